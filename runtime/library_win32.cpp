#include "runtime/error.h"
#include "runtime/library.h"
#include "runtime/system_win32.h"

namespace runtime {

const char* const kEngineFileName = "md5.dll";

void* LoadLibraryForever(const std::string& fullPath) {
    const std::string what = "Cannot load the engine library " + Quoted(fullPath) + ": ";
    const std::wstring path = win32::FilePath(fullPath);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (fullPath.find('\0') != std::string::npos || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw Error(kFileNotFound, what + "the file is missing");
    }
    // A full path names exactly one file: neither the current directory nor PATH is asked.
    // The engine's own imports come from the system directory only.
    HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        const DWORD code = ::GetLastError();
        throw Error(code == ERROR_MOD_NOT_FOUND ? kFileNotFound : kDllLoadError, what + win32::Reason(code));
    }
    return module;
}

namespace win32 {

bool NarrowLibrarySearch() {
    return ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

}  // namespace win32

void* FindEntryPoint(void* library, const char* name, const std::string& libraryPath) {
    const FARPROC address = ::GetProcAddress(static_cast<HMODULE>(library), name);
    if (address == nullptr) {
        throw Error(kEntryPointNotFound, "The engine library " + Quoted(libraryPath) + " has no entry point " + name);
    }
    return reinterpret_cast<void*>(address);
}

}  // namespace runtime
