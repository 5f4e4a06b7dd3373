// Peak memory of a digest against the size of the file: Pellwick's digest of a 64 MiB and a
// 4 GiB (sparse) file, each in a child process whose peak resident size the kernel reports
// (through the small launcher bench_peak_rss), with md5sum on the same files as the
// reference. The digest reads in fixed pieces, so the two peaks should match. Exits non-zero
// when a digest differs from md5sum's. Then the same with a SHA-256 computed from the same reads.
//
//   bench_peak_memory [--runs N] [--program DIGEST_PROGRAM]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

struct Measured {
    std::string digest;  // uppercase
    double peakKiB = 0;
};

Measured RunMeasured(const std::vector<std::string>& argv) {
    std::vector<std::string> launched{PEAK_RSS_PROGRAM};
    launched.insert(launched.end(), argv.begin(), argv.end());
    const auto run = testsupport::Run(launched, {.captureStderr = false});
    const auto last = run.output.rfind("peak_rss_kib ");
    if (run.exitCode != 0 || run.output.size() < 32 || last == std::string::npos) {
        throw std::runtime_error(argv[0] + " failed (exit " + std::to_string(run.exitCode) + ")");
    }
    return {testsupport::AsciiUpper(run.output.substr(0, 32)), std::atof(run.output.c_str() + last + 13)};
}

struct Peaks {
    double pellwickKiB = 0;
    double md5sumKiB = 0;
};

Peaks Measure(const std::string& program, const std::string& file, int runs) {
    std::vector<double> pellwick, md5sum;
    for (int i = 0; i < runs; ++i) {
        const Measured p = RunMeasured({program, file});
        const Measured m = RunMeasured({"md5sum", "--", file});
        if (p.digest != m.digest) {
            throw std::runtime_error("DIGESTS DIFFER on " + file + ": Pellwick " + p.digest + ", md5sum " + m.digest);
        }
        pellwick.push_back(p.peakKiB);
        md5sum.push_back(m.peakKiB);
    }
    return {testsupport::Median(pellwick), testsupport::Median(md5sum)};
}

}  // namespace

int main(int argc, char** argv) {
    try {
        int runs = 3;
        std::string program = PELLWICK_DIGEST_PROGRAM;
        for (int i = 1; i + 1 < argc; i += 2) {
            if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
            if (std::strcmp(argv[i], "--program") == 0) program = argv[i + 1];
        }
        if (runs < 1) throw std::runtime_error("--runs takes a positive number");

        const testsupport::TempDir scratch("pellwick-bench-memory");
        std::printf("machine: %s\n", testsupport::MachineSummary().c_str());
        const std::string small = scratch.WriteRandomFile("small.tar.gz", std::uint64_t{64} << 20, 0x64);
        const std::string large = scratch.WriteSparseFile("large.tar.gz", std::uint64_t{4} << 30, 0x4);
        // Untimed: puts the engine beside the digest program, so no run pays for that.
        testsupport::Run({program, small}, {.captureStderr = false});

        const Peaks a = Measure(program, small, runs);
        const Peaks b = Measure(program, large, runs);
        const double diff = b.pellwickKiB - a.pellwickKiB;
        std::printf("\npeak resident memory of one digest (ru_maxrss), median of %d runs each\n", runs);
        std::printf("  %-22s %12s %12s %10s\n", "file", "Pellwick", "md5sum", "ratio");
        std::printf("  %-22s %8.0f KiB %8.0f KiB %10.2f\n", "64 MiB", a.pellwickKiB, a.md5sumKiB,
                    a.pellwickKiB / a.md5sumKiB);
        std::printf("  %-22s %8.0f KiB %8.0f KiB %10.2f\n", "4 GiB (sparse)", b.pellwickKiB, b.md5sumKiB,
                    b.pellwickKiB / b.md5sumKiB);
        std::printf("  Pellwick 4 GiB - 64 MiB: %+.0f KiB  (target within 1024 KiB: %s)\n", diff,
                    diff <= 1024 && diff >= -1024 ? "met" : "NOT MET");
        std::printf("  md5sum   4 GiB - 64 MiB: %+.0f KiB\n", b.md5sumKiB - a.md5sumKiB);
        const double withSha[] = {RunMeasured({program, "--also", "sha256", small}).peakKiB,
                                  RunMeasured({program, "--also", "sha256", large}).peakKiB};
        std::printf("  with a SHA-256 too: 64 MiB %.0f KiB, 4 GiB %.0f KiB (%+.0f KiB)\n", withSha[0], withSha[1],
                    withSha[1] - withSha[0]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_peak_memory: %s\n", e.what());
        return 1;
    }
}
