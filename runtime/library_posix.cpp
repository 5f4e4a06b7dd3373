#include <dlfcn.h>
#include <sys/stat.h>

#include "runtime/error.h"
#include "runtime/library.h"

namespace runtime {

const char* const kEngineFileName = "md5.so";

void* LoadLibraryForever(const std::string& fullPath) {
    const std::string what = "Cannot load the engine library " + Quoted(fullPath) + ": ";
    struct stat st {};
    if (fullPath.find('\0') != std::string::npos || ::stat(fullPath.c_str(), &st) != 0) {
        throw Error(kFileNotFound, what + "the file is missing");
    }
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
        throw Error(kEntryPointNotFound,
                    "The engine library " + Quoted(libraryPath) + " has no entry point " + name);
    }
    return address;
}

}  // namespace runtime
