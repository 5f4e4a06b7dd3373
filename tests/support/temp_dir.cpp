#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "runtime/system_posix.h"
#include "tests/support/signal_cleanup.h"
#include "tests/support/test_support.h"

namespace testsupport {

namespace fs = std::filesystem;

namespace detail {

namespace {

// Fixed storage: only async-signal-safe calls (kill, unlink, rmdir) may run in the handler.
constexpr int kMaxDoomed = 64;
constexpr std::size_t kMaxPath = 512;
struct Doomed {
    char path[kMaxPath];
    bool directory;
    volatile sig_atomic_t live;
};
Doomed gDoomed[kMaxDoomed];
volatile sig_atomic_t gDoomedCount = 0;
volatile sig_atomic_t gChild = 0;

void RemoveDoomed(int sig) {
    if (gChild > 0) ::kill(gChild, SIGTERM);
    for (const bool directories : {false, true}) {
        for (int i = gDoomedCount - 1; i >= 0; --i) {
            if (gDoomed[i].live == 0 || gDoomed[i].directory != directories) continue;
            if (directories) {
                ::rmdir(gDoomed[i].path);
            } else {
                ::unlink(gDoomed[i].path);
            }
        }
    }
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

}  // namespace

void RemoveOnSignal(const std::string& path, bool directory) {
    static const bool installed = [] {
        for (const int sig : {SIGINT, SIGTERM, SIGHUP}) ::signal(sig, RemoveDoomed);
        return true;
    }();
    (void)installed;
    if (gDoomedCount >= kMaxDoomed || path.size() >= kMaxPath) return;
    Doomed& entry = gDoomed[gDoomedCount];
    std::memcpy(entry.path, path.c_str(), path.size() + 1);
    entry.directory = directory;
    entry.live = 1;
    gDoomedCount = gDoomedCount + 1;
}

void ForgetOnSignal(const std::string& directory) {
    bool anyLive = false;
    for (int i = 0; i < gDoomedCount; ++i) {
        const std::string_view path = gDoomed[i].path;
        if (path == directory || path.substr(0, directory.size() + 1) == directory + "/") gDoomed[i].live = 0;
        anyLive = anyLive || gDoomed[i].live != 0;
    }
    if (!anyLive) gDoomedCount = 0;  // the table starts over once nothing in it is live
}

void StopOnSignal(pid_t child) {
    gChild = child;
}

}  // namespace detail

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// splitmix64: fast, and good enough that no compressor or cache can shortcut a digest.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    void Fill(unsigned char* out, std::size_t bytes) {
        for (std::size_t at = 0; at < bytes; at += 8) {
            const std::uint64_t v = Next();
            std::memcpy(out + at, &v, std::min<std::size_t>(8, bytes - at));
        }
    }

private:
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::uint64_t state_;
};

void WriteAll(int fd, const unsigned char* data, std::size_t size, const std::string& path) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) Fail("cannot write " + path);
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

runtime::UniqueFd CreateDoomed(const std::string& path) {
    detail::RemoveOnSignal(path, false);
    runtime::UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.Valid()) Fail("cannot create " + path);
    return file;
}

constexpr std::size_t kChunk = std::size_t{1} << 20;

}  // namespace

TempDir::TempDir(const std::string& prefix) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) Fail("mkdtemp " + pattern);
    ::chmod(pattern.c_str(), 0755);  // so that an unprivileged child can reach its files
    path_ = pattern;
    detail::RemoveOnSignal(path_, true);
}

TempDir::~TempDir() {
    detail::ForgetOnSignal(path_);
    std::error_code ec;
    // Tests make some entries unwritable; give write access back so that the tree can go.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_directory(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TempDir::WriteRandomFile(const std::string& name, std::uint64_t bytes, std::uint64_t seed) const {
    std::string path = *this / name;
    const runtime::UniqueFd file = CreateDoomed(path);
    {
        Random random(seed);
        const auto buffer = std::make_unique<unsigned char[]>(kChunk);
        for (std::uint64_t done = 0; done < bytes;) {
            const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, bytes - done));
            random.Fill(buffer.get(), n);
            WriteAll(file.Get(), buffer.get(), n, path);
            done += n;
        }
    }
    if (::fdatasync(file.Get()) != 0) Fail("cannot flush " + path);
    return path;
}

std::string TempDir::WriteSparseFile(const std::string& name, std::uint64_t bytes, std::uint64_t seed) const {
    std::string path = *this / name;
    const runtime::UniqueFd file = CreateDoomed(path);
    const std::uint64_t tail = std::min<std::uint64_t>(kChunk, bytes);
    if (::ftruncate(file.Get(), static_cast<off_t>(bytes - tail)) != 0 ||
        ::lseek(file.Get(), static_cast<off_t>(bytes - tail), SEEK_SET) < 0) {
        Fail("cannot size " + path);
    }
    const auto buffer = std::make_unique<unsigned char[]>(tail);
    Random(seed).Fill(buffer.get(), tail);
    WriteAll(file.Get(), buffer.get(), tail, path);
    return path;
}

}  // namespace testsupport
