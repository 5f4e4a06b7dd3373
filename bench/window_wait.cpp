// A 4 GiB sparse package digested through the real Qt window (offscreen): the longest time its
// GUI thread went without running a 1 ms timer meanwhile, and the digest's rate against md5sum
// on the same file in the same run, interleaved, median of N each. Exits non-zero when the
// digests differ.
//
//   bench_window_wait [--gib N] [--runs N]
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "window/main_window_qt.h"

namespace {

struct Run {
    double seconds = 0;
    double slowestGapMs = 0;
    std::string digest;
};

Run DigestThroughTheWindow(window::MainWindow& w, const std::string& package) {
    w.SetFileNameText("");
    Run run;
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        run.slowestGapMs = std::max(run.slowestGapMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    probe.start(1);
    sinceTick.start();
    const double start = testsupport::Now();
    w.SetFileNameText(package);  // returns once the digest box is set
    run.seconds = testsupport::Now() - start;
    probe.stop();
    run.digest = w.findChild<QLineEdit*>("txtMD5")->text().toStdString();
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    int gib = 4, runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--gib") == 0) gib = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    }
    try {
        if (gib < 1 || runs < 1) throw std::runtime_error("--gib and --runs take positive numbers");
        const testsupport::Sandbox home;
        const testsupport::TempDir scratch("pellwick-bench-wait");
        const std::uint64_t bytes = (std::uint64_t{1} << 30) * static_cast<std::uint64_t>(gib);
        const std::string package = scratch.WriteSparseFile("package.tar.gz", bytes, 0x5eed);
        std::printf("machine: %s\n", testsupport::MachineSummary().c_str());
        std::fflush(stdout);

        QApplication app(argc, argv);
        window::MainWindow w;
        w.show();
        const std::string expected = testsupport::AsciiUpper(testsupport::Md5sumOf(package));  // also warms up

        std::vector<double> windowSeconds, md5sumSeconds, gaps;
        for (int i = 0; i < runs; ++i) {
            const auto m = testsupport::Run({"md5sum", "--", package});
            if (m.exitCode != 0) throw std::runtime_error("md5sum failed");
            const Run p = DigestThroughTheWindow(w, package);
            if (p.digest != expected) throw std::runtime_error("DIGESTS DIFFER: the window showed " + p.digest);
            md5sumSeconds.push_back(m.seconds);
            windowSeconds.push_back(p.seconds);
            gaps.push_back(p.slowestGapMs);
            std::printf("run %d: md5sum %.3f s, window %.3f s, longest unanswered %.1f ms\n", i + 1, m.seconds,
                        p.seconds, p.slowestGapMs);
            std::fflush(stdout);
        }
        const double mb = static_cast<double>(bytes) / 1e6;
        const double m = testsupport::Median(md5sumSeconds), p = testsupport::Median(windowSeconds);
        const double worst = *std::max_element(gaps.begin(), gaps.end());
        std::printf("\n%d GiB sparse package through the window, median of %d\n", gib, runs);
        std::printf("  longest the GUI thread went unanswered: %.1f ms (worst run; target < 50 ms)\n", worst);
        std::printf("  window %.1f MB/s, md5sum %.1f MB/s, ratio %.3f (target >= 0.97)\n", mb / p, mb / m, m / p);
        std::printf("  both gave %s\n", expected.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_window_wait: %s\n", e.what());
        return 1;
    }
}
