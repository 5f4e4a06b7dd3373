#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "runtime/remote.h"
#include "runtime/system_posix.h"

namespace runtime {

namespace {

std::string ReadMountInfo() {
    std::string text;
    const UniqueFd fd(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) return text;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return text;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string Absolute(const std::string& text) {
    if (text.starts_with('/')) return std::filesystem::path(text).lexically_normal().string();
    std::error_code ec;
    const auto cwd = std::filesystem::current_path(ec);
    // Without a current directory the relative text names nothing anywhere.
    if (ec) return text;
    return (cwd / text).lexically_normal().string();
}

}  // namespace

bool MayWaitOnNetwork(const std::string& text) {
    if (SlowForTesting(text)) return true;
    // Per thread, so that a keystroke takes no lock; in practice only the GUI thread asks.
    thread_local std::vector<std::string> mountPoints;
    thread_local long readAt = -2;  // seconds on the coarse clock, which costs no system call
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    if (now.tv_sec - readAt >= 1) {
        mountPoints = NetworkMountPoints(ReadMountInfo());
        readAt = now.tv_sec;
    }
    if (mountPoints.empty() || text.empty()) return false;
    return UnderMountPoint(Absolute(text), mountPoints);
}

}  // namespace runtime
