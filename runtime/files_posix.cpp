#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/system_posix.h"

namespace runtime {

namespace {

std::string Reason(int err) {
    return std::strerror(err);
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

[[noreturn]] void ThrowOpenError(const std::string& path, int err) {
    const std::string text = "Cannot open " + Quoted(path) + " for reading: ";
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            throw Error(kFileNotFound, text + Reason(err));
        case ENAMETOOLONG:
            throw Error(kBadFileName, text + Reason(err));
        case EACCES:
        case EPERM:
            throw Error(kPermissionDenied, text + Reason(err));
        default:
            throw Error(kPathFileAccessError, text + Reason(err));
    }
}

}  // namespace

std::string ProgramDirectory() {
    std::vector<char> buf(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) throw Error(kPathFileAccessError, "Cannot find the program's directory: " + Reason(errno));
        if (static_cast<size_t>(n) < buf.size()) return ParentOf(std::string(buf.data(), static_cast<size_t>(n)));
        buf.resize(buf.size() * 2);
    }
}

std::string FindFirstMatch(const std::string& text) {
    // A NUL would cut the path short at the system call and name some other file.
    if (text.empty() || text.find_first_of(std::string("*?\0", 3)) != std::string::npos) return "";
    struct stat st {};
    if (::stat(text.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
    const auto slash = text.find_last_of('/');
    std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    if (name.empty() || name[0] == '.') return "";  // dot-files are the hidden files here
    return name;
}

std::vector<std::string> ListFolder(const std::string& folder, const std::function<bool(std::string_view)>& wanted) {
    std::vector<std::string> names;
    using UniqueDir = UniqueResource<DIR*, &::closedir>;
    const UniqueDir dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.Get())) {
        const std::string_view name = entry->d_name;
        if (name.starts_with('.') || !wanted(name)) continue;  // dot-files are the hidden files here
        struct stat st {};
        const bool ordinary = entry->d_type == DT_REG ||
                              ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
                               ::fstatat(::dirfd(dir.Get()), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode));
        if (ordinary) names.emplace_back(name);
    }
    return names;
}

std::optional<std::string> SettledFolderStamp(const std::string& folder) {
    struct stat st {};
    timespec now{};
    if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        ::clock_gettime(CLOCK_REALTIME, &now) != 0) {
        return std::nullopt;
    }
    const auto latest = std::max(st.st_mtim.tv_sec, st.st_ctim.tv_sec);
    if (now.tv_sec - latest < 2) return std::nullopt;
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec) + ":" + std::to_string(st.st_ctim.tv_sec) + "." +
           std::to_string(st.st_ctim.tv_nsec);
}

struct InputFile::Handle {
    UniqueFd fd;
    std::uint64_t size = 0;
    struct timespec modified {};
};

InputFile::InputFile(const std::string& path) : path_(path), handle_(std::make_unique<Handle>()) {
    if (path.find('\0') != std::string::npos) {
        throw Error(kBadFileName, "Cannot open " + Quoted(path) + " for reading: the name holds a NUL character");
    }
    // O_NONBLOCK keeps a FIFO from hanging the window; it means nothing for a regular file.
    handle_->fd.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!handle_->fd.Valid()) ThrowOpenError(path, errno);
    struct stat st {};
    if (::fstat(handle_->fd.Get(), &st) != 0) ThrowOpenError(path, errno);
    if (S_ISDIR(st.st_mode)) ThrowOpenError(path, EISDIR);
    if (!S_ISREG(st.st_mode)) {
        throw Error(kPathFileAccessError, "Cannot open " + Quoted(path) + " for reading: not a regular file");
    }
    handle_->size = static_cast<std::uint64_t>(st.st_size);
    handle_->modified = st.st_mtim;
    ::posix_fadvise(handle_->fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
}

InputFile::~InputFile() = default;

std::uint64_t InputFile::Size() const {
    return handle_->size;
}

std::size_t InputFile::Read(unsigned char* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t n = ::read(handle_->fd.Get(), buffer, capacity);
        if (n == 0) {
            // A file written while it was read has no digest of any one version of it.
            struct stat st {};
            if (::fstat(handle_->fd.Get(), &st) != 0 || static_cast<std::uint64_t>(st.st_size) != handle_->size ||
                st.st_mtim.tv_sec != handle_->modified.tv_sec || st.st_mtim.tv_nsec != handle_->modified.tv_nsec) {
                throw Error(kDeviceIoError, "Cannot read " + Quoted(path_) + ": the file changed while it was read");
            }
        }
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno == EINTR) continue;
        throw Error(kDeviceIoError, "Cannot read " + Quoted(path_) + ": " + Reason(errno));
    }
}

// A read of a local disk cannot be interrupted, nor one of a hard-mounted share (short of
// SIGKILL); the reader's bounded reads see a cancellation between them instead.
struct ReadInterrupter::Handle {};
ReadInterrupter::ReadInterrupter() = default;
ReadInterrupter::~ReadInterrupter() = default;
void ReadInterrupter::Interrupt() const {}

bool FileHoldsExactly(const std::string& path, std::span<const unsigned char> data) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (static_cast<std::uint64_t>(st.st_size) != data.size()) return false;
    std::vector<unsigned char> content(data.size() + 1);
    size_t got = 0;
    for (;;) {
        const ssize_t n = ::read(fd.Get(), content.data() + got, content.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += static_cast<size_t>(n);
        if (got == content.size()) return false;  // grew since the stat
    }
    return got == data.size() && std::memcmp(content.data(), data.data(), data.size()) == 0;
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return false;
    // The mode bits, not the process's privileges, say whether the owner meant it read-only.
    if (st.st_uid == ::geteuid()) return (st.st_mode & S_IWUSR) == 0;
    if (st.st_gid == ::getegid()) return (st.st_mode & S_IWGRP) == 0;
    return (st.st_mode & S_IWOTH) == 0;
}

void ReplaceFileAtomically(const std::string& path, std::span<const unsigned char> data) {
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = ParentOf(path) + "/." + name + ".XXXXXX";
    UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.Valid())
        throw Error(kPathFileAccessError, "Cannot create a file beside " + Quoted(path) + ": " + Reason(errno));
    ScopeGuard removeTemp([&temp] { ::unlink(temp.c_str()); });
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd.Get(), data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw Error(kDeviceIoError, "Cannot write " + Quoted(temp) + ": " + Reason(n < 0 ? errno : ENOSPC));
        done += static_cast<size_t>(n);
    }
    if (::fchmod(fd.Get(), 0755) != 0 || ::fsync(fd.Get()) != 0) {
        throw Error(kDeviceIoError, "Cannot write " + Quoted(temp) + ": " + Reason(errno));
    }
    if (::close(fd.Release()) != 0) throw Error(kDeviceIoError, "Cannot write " + Quoted(temp) + ": " + Reason(errno));
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        throw Error(kPathFileAccessError, "Cannot replace " + Quoted(path) + ": " + Reason(errno));
    }
    removeTemp.Dismiss();
}

}  // namespace runtime
