// Digest throughput of Pellwick's engine against md5sum, and against the engine's own ceiling (a
// plain loop feeding libmd's MD5 in 64-byte calls from the read size that suits this machine
// best, found first by trying 32 KiB to 1 MiB), on one large file held in the page cache. All
// run as child processes, in alternation, so that all pay the same start-up and drift in the
// machine's speed falls on all alike. Exits non-zero when the digests differ.
//
//   bench_digest_throughput [--mib N] [--runs N] [--program DIGEST_PROGRAM]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

const testsupport::RunOptions kStderrPassesThrough{.captureStderr = false};

struct Options {
    std::uint64_t mib = 1024;
    int runs = 7;
    std::string program = PELLWICK_DIGEST_PROGRAM;
};

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--mib") == 0) o.mib = std::strtoull(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--runs") == 0) o.runs = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--program") == 0) o.program = argv[i + 1];
    }
    if (o.mib == 0 || o.runs < 1) throw std::runtime_error("--mib and --runs take positive numbers");
    return o;
}

// The digest a run printed, checked against the one every run must print.
void Check(const testsupport::ProcessResult& run, const char* who, std::string& agreed) {
    if (run.exitCode != 0 || run.output.size() < 32) {
        throw std::runtime_error(std::string(who) + " failed (exit " + std::to_string(run.exitCode) + ")");
    }
    const std::string digest = testsupport::AsciiUpper(run.output.substr(0, 32));
    if (agreed.empty()) agreed = digest;
    if (digest != agreed) {
        throw std::runtime_error(std::string("DIGESTS DIFFER: ") + who + " printed " + digest + ", expected " + agreed);
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options options = Parse(argc, argv);
        const std::uint64_t bytes = options.mib << 20;
        const testsupport::TempDir scratch("pellwick-bench-throughput");
        std::printf("machine: %s\n", testsupport::MachineSummary().c_str());
        std::printf("writing %llu MiB of pseudo-random bytes...\n", static_cast<unsigned long long>(options.mib));
        std::fflush(stdout);
        const std::string file = scratch.WriteRandomFile("package.tar.gz", bytes, 0x5eed);

        const std::vector<std::string> md5sum{"md5sum", "--", file};
        const std::vector<std::string> pellwick{options.program, file};
        std::string agreed;
        // Untimed: brings the file and the programs into the cache and puts the engine in place.
        Check(testsupport::Run(md5sum, kStderrPassesThrough), "md5sum", agreed);
        Check(testsupport::Run(pellwick, kStderrPassesThrough), "Pellwick", agreed);

        // The engine's ceiling: its best read size on this machine, two tries each.
        std::size_t best = 0;
        double bestSeconds = 0;
        std::printf("the engine alone, by read size:");
        for (std::size_t size = 32 << 10; size <= (1 << 20); size *= 2) {
            std::vector<double> tries;
            for (int i = 0; i < 2; ++i) {
                const auto c = testsupport::Run({ENGINE_CEILING_PROGRAM, file, std::to_string(size)});
                Check(c, "the engine alone", agreed);
                tries.push_back(c.seconds);
            }
            const double seconds = testsupport::Median(tries);
            std::printf(" %zu KiB %.0f MB/s,", size >> 10, static_cast<double>(bytes) / 1e6 / seconds);
            if (best == 0 || seconds < bestSeconds) best = size, bestSeconds = seconds;
        }
        std::printf(" best %zu KiB\n", best >> 10);
        const std::vector<std::string> ceiling{ENGINE_CEILING_PROGRAM, file, std::to_string(best)};

        struct Timed {
            const char* who;
            const std::vector<std::string>* argv;
            std::vector<double> wall, cpu;
        } timed[] = {{"md5sum", &md5sum, {}, {}}, {"engine", &ceiling, {}, {}}, {"Pellwick", &pellwick, {}, {}}};
        for (int i = 0; i < options.runs; ++i) {
            std::printf("run %d:", i + 1);
            for (auto& t : timed) {
                const auto r = testsupport::Run(*t.argv, kStderrPassesThrough);
                Check(r, t.who, agreed);
                t.wall.push_back(r.seconds);
                t.cpu.push_back(r.cpuSeconds);
                std::printf(" %s %.3f s (CPU %.3f s)", t.who, r.seconds, r.cpuSeconds);
            }
            std::printf("\n");
            std::fflush(stdout);
        }

        const double mb = static_cast<double>(bytes) / 1e6;
        const double m = testsupport::Median(timed[0].wall), e = testsupport::Median(timed[1].wall),
                     p = testsupport::Median(timed[2].wall);
        const double mc = testsupport::Median(timed[0].cpu), ec = testsupport::Median(timed[1].cpu),
                     pc = testsupport::Median(timed[2].cpu);
        std::printf("\ndigest throughput, %llu MiB file in the page cache, median of %d runs each\n",
                    static_cast<unsigned long long>(options.mib), options.runs);
        std::printf("  %-26s %14s %14s\n", "", "wall", "CPU (user+sys)");
        std::printf("  %-26s %9.1f MB/s %9.1f MB/s\n", "md5sum", mb / m, mb / mc);
        std::printf("  %-26s %9.1f MB/s %9.1f MB/s\n", ("engine alone, " + std::to_string(best >> 10) + " KiB").c_str(),
                    mb / e, mb / ec);
        std::printf("  %-26s %9.1f MB/s %9.1f MB/s\n", "Pellwick", mb / p, mb / pc);
        const auto verdict = [](double ratio) { return ratio >= 0.97 ? "met" : "NOT MET"; };
        std::printf("  %-26s %14.3f %14.3f   target >= 0.97 (within 3%%): %s\n", "Pellwick / engine alone", e / p,
                    ec / pc, verdict(e / p));
        std::printf("  %-26s %14.3f %14.3f\n", "engine alone / md5sum", m / e, mc / ec);
        std::printf("  %-26s %14.3f %14.3f   target >= 0.97 where the engine alone reaches it: %s\n",
                    "Pellwick / md5sum", m / p, mc / pc, m / e < 0.97 ? "the engine does not" : verdict(m / p));
        std::printf("  all printed %s\n", agreed.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_digest_throughput: %s\n", e.what());
        return 1;
    }
}
