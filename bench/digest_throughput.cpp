// Digest throughput of Pellwick's engine against md5sum on one large file held in the page
// cache. Both run as child processes, in alternation, so that both pay the same start-up and
// drift in the machine's speed falls on both alike. Exits non-zero when the digests differ.
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
        // Untimed: brings the file and both programs into the cache and puts the engine in place.
        Check(testsupport::Run(md5sum, kStderrPassesThrough), "md5sum", agreed);
        Check(testsupport::Run(pellwick, kStderrPassesThrough), "Pellwick", agreed);

        std::vector<double> md5sumSeconds, pellwickSeconds, md5sumCpu, pellwickCpu;
        for (int i = 0; i < options.runs; ++i) {
            const auto m = testsupport::Run(md5sum, kStderrPassesThrough);
            Check(m, "md5sum", agreed);
            const auto p = testsupport::Run(pellwick, kStderrPassesThrough);
            Check(p, "Pellwick", agreed);
            md5sumSeconds.push_back(m.seconds);
            pellwickSeconds.push_back(p.seconds);
            md5sumCpu.push_back(m.cpuSeconds);
            pellwickCpu.push_back(p.cpuSeconds);
            std::printf("run %d: md5sum %.3f s (CPU %.3f s), Pellwick %.3f s (CPU %.3f s)\n", i + 1, m.seconds,
                        m.cpuSeconds, p.seconds, p.cpuSeconds);
            std::fflush(stdout);
        }

        const double mb = static_cast<double>(bytes) / 1e6;
        const double m = testsupport::Median(md5sumSeconds), p = testsupport::Median(pellwickSeconds);
        const double mc = testsupport::Median(md5sumCpu), pc = testsupport::Median(pellwickCpu);
        std::printf("\ndigest throughput, %llu MiB file in the page cache, median of %d runs each\n",
                    static_cast<unsigned long long>(options.mib), options.runs);
        std::printf("  %-10s %14s %14s\n", "", "wall", "CPU (user+sys)");
        std::printf("  %-10s %9.1f MB/s %9.1f MB/s\n", "md5sum", mb / m, mb / mc);
        std::printf("  %-10s %9.1f MB/s %9.1f MB/s\n", "Pellwick", mb / p, mb / pc);
        const auto verdict = [](double ratio) { return ratio >= 0.97 ? "met" : "NOT MET"; };
        std::printf("  %-10s %14.3f %14.3f   Pellwick/md5sum\n", "ratio", m / p, mc / pc);
        std::printf("  %-10s %14s %14s   target >= 0.97\n", "", verdict(m / p), verdict(mc / pc));
        std::printf("  both printed %s\n", agreed.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_digest_throughput: %s\n", e.what());
        return 1;
    }
}
