#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>
#include <vector>

#include "runtime/error.h"
#include "runtime/library.h"
#include "runtime/system_posix.h"

namespace runtime {

namespace {

bool ReadAt(int fd, void* buffer, std::size_t size, off_t offset) {
    return ::pread(fd, buffer, size, offset) == static_cast<ssize_t>(size);
}

// The loader maps a library's segments straight from the file; a segment that reaches past
// the end of a truncated file faults the process when touched, so such a file is refused
// before it is loaded.
bool IsCompleteLibraryImage(const std::string& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!fd.Valid()) return true;  // dlopen explains
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    ElfW(Ehdr) header{};
    if (!ReadAt(fd.Get(), &header, sizeof header, 0)) return false;
    if (std::string_view(reinterpret_cast<const char*>(header.e_ident), SELFMAG) != ELFMAG) return false;
    if (header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_phnum == 0) return false;
    std::vector<ElfW(Phdr)> segments(header.e_phnum);
    if (header.e_phoff > size ||
        !ReadAt(fd.Get(), segments.data(), segments.size() * sizeof(ElfW(Phdr)), static_cast<off_t>(header.e_phoff))) {
        return false;
    }
    for (const auto& segment : segments) {
        if (segment.p_offset > size || segment.p_filesz > size - segment.p_offset) return false;
    }
    return true;
}

}  // namespace

const char* const kEngineFileName = "md5.so";

void* LoadLibraryForever(const std::string& fullPath) {
    const std::string what = "Cannot load the engine library " + Quoted(fullPath) + ": ";
    struct stat st {};
    if (fullPath.find('\0') != std::string::npos || ::stat(fullPath.c_str(), &st) != 0) {
        throw Error(kFileNotFound, what + "the file is missing");
    }
    // dlopen reads whatever is there: a FIFO would keep it waiting for a writer for ever.
    if (!S_ISREG(st.st_mode)) throw Error(kDllLoadError, what + "not a regular file");
    if (!IsCompleteLibraryImage(fullPath)) throw Error(kDllLoadError, what + "the file is not a complete library");
    // A path with a slash makes dlopen take exactly that file, never a search result.
    void* handle = ::dlopen(fullPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = ::dlerror();
        throw Error(kDllLoadError, what + (why ? why : "not a loadable library"));
    }
    return handle;
}

void* FindEntryPoint(void* library, const char* name, const std::string& libraryPath) {
    ::dlerror();
    void* address = ::dlsym(library, name);
    if (address == nullptr) {
        throw Error(kEntryPointNotFound, "The engine library " + Quoted(libraryPath) + " has no entry point " + name);
    }
    return address;
}

}  // namespace runtime
