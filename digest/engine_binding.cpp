#include "digest/engine_binding.h"

#include <mutex>
#include <optional>

#include "runtime/error.h"
#include "runtime/library.h"

namespace digest::engine {

namespace {

std::mutex gLock;
// Guarded by gLock. The library stays loaded even when binding a function failed, so that
// its file is never rewritten under the mapping.
void* gLibrary = nullptr;
std::string gLibraryPath;
std::optional<Functions> gFunctions;

template <typename Fn>
Fn EntryPoint(const char* name) {
    return reinterpret_cast<Fn>(runtime::FindEntryPoint(gLibrary, name, gLibraryPath));
}

}  // namespace

const Functions& Bind(const std::string& libraryPath) {
    const std::lock_guard<std::mutex> lock(gLock);
    if (gLibrary == nullptr) {
        gLibrary = runtime::LoadLibraryForever(libraryPath);
        gLibraryPath = libraryPath;
    } else if (libraryPath != gLibraryPath) {
        throw runtime::Error(runtime::kDllLoadError, "Cannot load the engine library " + runtime::Quoted(libraryPath) +
                                                         ": the engine " + runtime::Quoted(gLibraryPath) +
                                                         " is already loaded");
    }
    if (!gFunctions) {
        gFunctions = Functions{EntryPoint<decltype(Functions::Init)>("MD5Init"),
                               EntryPoint<decltype(Functions::Update)>("MD5Update"),
                               EntryPoint<decltype(Functions::Final)>("MD5Final")};
    }
    return *gFunctions;
}

bool IsLoaded() {
    const std::lock_guard<std::mutex> lock(gLock);
    return gLibrary != nullptr;
}

}  // namespace digest::engine
