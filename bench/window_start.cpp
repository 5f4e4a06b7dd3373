// Time from start to a shown window with its first digest, for the real Linux program, against
// two references started the same way on the same X server: a Qt window with the same
// controls and nothing behind them (Qt's own floor) and xmessage (a plain Xt program). The
// window counts as shown at the X server's MapNotify for the program's top-level window,
// received as an event, not polled; Pellwick's first digest is done when the package, having
// been read, is closed (inotify). Its figure is the later of the two. Run it on a private X
// server without a window manager, so that the program's own window is what maps:
//
//   xvfb-run -a bench_window_start [--runs N] [PELLWICK]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/system_posix.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr double kTimeoutSeconds = 30;

struct Display_ {
    Display* x = nullptr;
    Atom windowType = None, dialogType = None, utf8 = None, netName = None;
};

struct Target {
    std::string label;
    std::vector<std::string> argv;
    std::string title;         // WM_NAME of the window that counts
    std::string watchedFile;   // read by the first digest; "" for the references
    std::string freshDirFrom;  // copy this program into a new directory for every run
};

struct Timing {
    double mappedSeconds = -1;
    double digestSeconds = -1;  // the package closed after a read
    double ShownWithDigest() const { return std::max(mappedSeconds, digestSeconds); }
};

std::string WindowTitle(Display_& d, Window w) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(d.x, w, d.netName, 0, 1024, False, d.utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data != nullptr) {
        title.assign(reinterpret_cast<char*>(data), count);
    }
    if (data != nullptr) XFree(data);
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(d.x, w, &name) && name != nullptr) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

bool IsDialog(Display_& d, Window w) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool dialog = false;
    if (XGetWindowProperty(d.x, w, d.windowType, 0, 16, False, XA_ATOM, &type, &format, &count, &after, &data) ==
            Success &&
        data != nullptr) {
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) dialog = dialog || atoms[i] == d.dialogType;
    }
    if (data != nullptr) XFree(data);
    return dialog;
}

Timing RunOnce(Display_& d, const Target& t, const testsupport::RunOptions& launch, const std::string& workDir,
               int serial) {
    std::vector<std::string> argv = t.argv;
    std::string freshDir;
    if (!t.freshDirFrom.empty()) {
        freshDir = workDir + "/fresh-" + std::to_string(serial);
        fs::create_directory(freshDir);
        fs::copy_file(t.freshDirFrom, freshDir + "/pellwick");
        argv[0] = freshDir + "/pellwick";
    }

    const runtime::UniqueFd watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    const int inotify = watch.Get();
    if (!watch.Valid()) throw std::runtime_error("inotify_init1 failed");
    if (!t.watchedFile.empty() &&
        ::inotify_add_watch(inotify, t.watchedFile.c_str(), IN_ACCESS | IN_CLOSE_NOWRITE) < 0) {
        throw std::runtime_error("cannot watch " + t.watchedFile);
    }
    // Events of earlier runs are done with.
    XSync(d.x, False);
    while (XPending(d.x) > 0) {
        XEvent e;
        XNextEvent(d.x, &e);
    }

    const std::string log = workDir + "/" + t.label + ".log";
    const double start = testsupport::Now();
    const pid_t pid = testsupport::Start(argv, launch, log);
    Timing timing;
    bool read = false;
    std::optional<std::string> failure;
    // Done when the window is mapped and, for Pellwick, its first digest has read the package,
    // whichever comes last.
    while (!failure && (timing.mappedSeconds < 0 || (!t.watchedFile.empty() && timing.digestSeconds < 0))) {
        if (testsupport::Now() - start > kTimeoutSeconds) {
            failure = "no window with a digest within " + std::to_string(static_cast<int>(kTimeoutSeconds)) + " s";
            break;
        }
        std::array<pollfd, 2> fds{pollfd{ConnectionNumber(d.x), POLLIN, 0}, pollfd{inotify, POLLIN, 0}};
        if (XPending(d.x) == 0) ::poll(fds.data(), fds.size(), 100);
        const double seen = testsupport::Now() - start;

        alignas(inotify_event) char buf[4096];
        for (ssize_t n; (n = ::read(inotify, buf, sizeof buf)) > 0;) {
            for (char* at = buf; at < buf + n;) {
                const auto* ev = reinterpret_cast<const inotify_event*>(at);
                if (ev->mask & IN_ACCESS) read = true;
                if ((ev->mask & IN_CLOSE_NOWRITE) && read && timing.digestSeconds < 0) timing.digestSeconds = seen;
                at += sizeof(inotify_event) + ev->len;
            }
        }
        while (XPending(d.x) > 0) {
            XEvent e;
            XNextEvent(d.x, &e);
            if (e.type != MapNotify || e.xmap.override_redirect || timing.mappedSeconds >= 0) continue;
            if (WindowTitle(d, e.xmap.window) != t.title) continue;
            if (IsDialog(d, e.xmap.window)) {
                failure = "a message box opened instead of the window";
                break;
            }
            timing.mappedSeconds = seen;
        }
    }
    testsupport::Stop(pid);
    if (!failure && !freshDir.empty() && !fs::exists(freshDir + "/md5.so"))
        failure = "no engine was put beside the program";
    if (failure) throw std::runtime_error(t.label + ": " + *failure + "\n" + testsupport::ReadFile(log));
    if (!freshDir.empty()) fs::remove_all(freshDir);
    return timing;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        int runs = 10;
        std::string pellwick = PELLWICK_PROGRAM;
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
                runs = std::atoi(argv[++i]);
            } else {
                pellwick = argv[i];
            }
        }
        if (runs < 1) throw std::runtime_error("--runs takes a positive number");

        Display_ d;
        d.x = XOpenDisplay(nullptr);
        if (d.x == nullptr) {
            std::fprintf(stderr, "bench_window_start: no X display; run it as: xvfb-run -a %s\n", argv[0]);
            return 2;
        }
        d.windowType = XInternAtom(d.x, "_NET_WM_WINDOW_TYPE", False);
        d.dialogType = XInternAtom(d.x, "_NET_WM_WINDOW_TYPE_DIALOG", False);
        d.utf8 = XInternAtom(d.x, "UTF8_STRING", False);
        d.netName = XInternAtom(d.x, "_NET_WM_NAME", False);
        XSelectInput(d.x, DefaultRootWindow(d.x), SubstructureNotifyMask);

        const testsupport::TempDir scratch("pellwick-bench-start");
        const std::string home = scratch / "home", config = scratch / "config", runtimeDir = scratch / "runtime";
        fs::create_directories(home + "/Documents");
        fs::create_directories(runtimeDir);
        fs::permissions(runtimeDir, fs::perms::owner_all, fs::perm_options::replace);
        const std::string package = scratch.WriteRandomFile("home/Documents/release-1.0.tar.gz", 64 << 10, 0x7);
        testsupport::StoreInstallerDir(config, package);
        const testsupport::RunOptions launch{.environment = {{"HOME", home},
                                                             {"XDG_CONFIG_HOME", config},
                                                             {"XDG_RUNTIME_DIR", runtimeDir},
                                                             {"QT_QPA_PLATFORM", std::nullopt}}};
        // The installed case: the engine already lies beside this copy from its first run.
        const std::string installed = scratch / "installed";
        fs::create_directory(installed);
        fs::copy_file(pellwick, installed + "/pellwick");

        const std::vector<Target> targets{
            {"pellwick-fresh", {""}, "Pellwick", package, pellwick},
            {"pellwick", {installed + "/pellwick"}, "Pellwick", package, ""},
            {"qt-window", {QT_REFERENCE_PROGRAM}, "Reference", "", ""},
            {"xmessage", {"/usr/bin/xmessage", "Reference"}, "xmessage", "", ""},
        };
        std::printf("machine: %s\n", testsupport::MachineSummary().c_str());
        std::printf("X server: %s, %s\n", DisplayString(d.x), ServerVendor(d.x));
        std::fflush(stdout);

        int serial = 0;
        // Untimed: font and shader caches, the engine beside the installed copy.
        for (const Target& t : targets) RunOnce(d, t, launch, scratch.Path(), serial++);
        std::vector<std::vector<double>> shown(targets.size()), digest(targets.size());
        for (int r = 0; r < runs; ++r) {
            for (std::size_t i = 0; i < targets.size(); ++i) {
                const Timing timing = RunOnce(d, targets[i], launch, scratch.Path(), serial++);
                shown[i].push_back(timing.ShownWithDigest() * 1000);
                if (timing.digestSeconds >= 0) digest[i].push_back(timing.digestSeconds * 1000);
            }
        }

        const double qt = testsupport::Median(shown[2]), xm = testsupport::Median(shown[3]);
        std::printf("\nstart to shown window (with its first digest), milliseconds, median of %d runs\n", runs);
        std::printf("  %-44s %8s %8s %8s %10s %10s\n", "program", "median", "min", "max", "/ Qt window", "/ xmessage");
        const char* labels[] = {"Pellwick, engine written on first digest", "Pellwick, engine already beside it",
                                "Qt window, same controls (reference)", "xmessage (reference)"};
        for (std::size_t i = 0; i < targets.size(); ++i) {
            const double m = testsupport::Median(shown[i]);
            const auto [low, high] = std::minmax_element(shown[i].begin(), shown[i].end());
            std::printf("  %-44s %8.1f %8.1f %8.1f %10.2f %10.2f\n", labels[i], m, *low, *high, m / qt, m / xm);
        }
        for (std::size_t i = 0; i < 2; ++i) {
            std::printf("  %s: package read and closed at %.1f ms (median)\n", labels[i],
                        testsupport::Median(digest[i]));
        }
        XCloseDisplay(d.x);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_window_start: %s\n", e.what());
        return 1;
    }
}
