// What checking a SHA-256 costs: Pellwick's MD5 and SHA-256 from one read of a 1 GiB file in the
// page cache (each digest on a thread of its own) against its MD5 alone, its SHA-256 (the
// platform's crypto) against openssl dgst, and its MD5 against md5sum, all as child processes in
// alternation; then the peak memory of MD5 and SHA-256 together for a 64 MiB and the 1 GiB file.
//   bench_sha [--mib N] [--runs N]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

struct Timed {
    const char* who;
    std::vector<std::string> argv;
    std::vector<double> wall;
};

// The first hex token a run printed; `field` picks the second of Pellwick's "MD5 SHA256".
std::string Printed(const testsupport::ProcessResult& run, const char* who, int field = 0) {
    if (run.exitCode != 0)
        throw std::runtime_error(std::string(who) + " failed (exit " + std::to_string(run.exitCode) + ")");
    std::string out = run.output;
    const auto equals = out.find("= ");  // openssl dgst: "SHA2-256(FILE)= hex"
    if (equals != std::string::npos) out = out.substr(equals + 2);
    for (int i = 0; i < field; ++i) out = out.substr(out.find(' ') + 1);
    return testsupport::AsciiUpper(out.substr(0, out.find_first_of(" \n")));
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::uint64_t mib = 1024;
        int runs = 5;
        for (int i = 1; i + 1 < argc; i += 2) {
            if (std::strcmp(argv[i], "--mib") == 0) mib = std::strtoull(argv[i + 1], nullptr, 10);
            if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
        }
        const testsupport::TempDir scratch("pellwick-bench-sha");
        std::printf("machine: %s\n", testsupport::MachineSummary().c_str());
        std::fflush(stdout);
        const std::string file = scratch.WriteRandomFile("package.tar.gz", mib << 20, 0x5a);
        const std::string small = scratch.WriteRandomFile("small.tar.gz", 64 << 20, 0x5b);
        Timed timed[] = {{"md5 alone", {PELLWICK_DIGEST_PROGRAM, file}, {}},
                         {"md5+sha256", {PELLWICK_DIGEST_PROGRAM, "--also", "sha256", file}, {}},
                         {"sha256", {PELLWICK_DIGEST_PROGRAM, "--only", "sha256", file}, {}},
                         {"openssl dgst -sha256", {"openssl", "dgst", "-sha256", file}, {}},
                         {"md5sum", {"md5sum", "--", file}, {}}};
        const std::string md5 = Printed(testsupport::Run({"md5sum", "--", file}), "md5sum");
        const std::string sha256 = Printed(testsupport::Run({"sha256sum", "--", file}), "sha256sum");
        for (int i = -1; i < runs; ++i) {  // the first round is untimed: it warms the cache
            for (auto& t : timed) {
                const auto run = testsupport::Run(t.argv);
                const std::string expected = t.who == std::string("sha256") || t.who[0] == 'o' ? sha256 : md5;
                if (Printed(run, t.who) != expected ||
                    (t.who == std::string("md5+sha256") && Printed(run, t.who, 1) != sha256)) {
                    throw std::runtime_error(std::string("DIGESTS DIFFER: ") + t.who + " printed " + run.output);
                }
                if (i >= 0) t.wall.push_back(run.seconds);
            }
        }
        std::printf("\n%llu MiB file in the page cache, median of %d runs each\n", static_cast<unsigned long long>(mib),
                    runs);
        double median[5];
        for (int i = 0; i < 5; ++i) {
            median[i] = testsupport::Median(timed[i].wall);
            std::printf("  %-22s %7.3f s %9.1f MB/s\n", timed[i].who, median[i],
                        static_cast<double>(mib << 20) / 1e6 / median[i]);
        }
        std::printf("md5+sha256 / md5 alone: %.3f\n", median[1] / median[0]);
        std::printf("sha256 / openssl dgst -sha256: %.3f\n", median[2] / median[3]);
        std::printf("md5 alone / md5sum: %.3f\n", median[0] / median[4]);
        std::printf("targets: <= 1.05, <= 1.10, and md5 alone as fast as before\n");

        std::printf("\npeak memory of md5+sha256:");
        for (const std::string& f : {small, file}) {
            const auto run = testsupport::Run({PEAK_RSS_PROGRAM, PELLWICK_DIGEST_PROGRAM, "--also", "sha256", f});
            const auto at = run.output.rfind("peak_rss_kib ");
            if (run.exitCode != 0 || at == std::string::npos) throw std::runtime_error("the peak was not measured");
            std::printf(" %s %ld KiB", f == small ? "64 MiB" : "the large file",
                        std::atol(run.output.c_str() + at + 13));
        }
        std::printf("\n");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_sha: %s\n", e.what());
        return 1;
    }
}
