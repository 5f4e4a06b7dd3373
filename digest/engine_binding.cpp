#include "digest/engine_binding.h"

#include <atomic>
#include <mutex>

#include "runtime/library.h"

namespace digest::engine {

namespace {

std::mutex gBindLock;
std::atomic<void*> gLibrary{nullptr};
std::string gLibraryPath;  // guarded by gBindLock; set once with gLibrary

template <typename Fn>
Fn Bind(std::atomic<Fn>& slot, const char* name, const std::string& libraryPath) {
    if (Fn fn = slot.load(std::memory_order_acquire)) return fn;
    const std::lock_guard<std::mutex> lock(gBindLock);
    if (Fn fn = slot.load(std::memory_order_relaxed)) return fn;
    void* library = gLibrary.load(std::memory_order_relaxed);
    if (library == nullptr) {
        library = runtime::LoadLibraryForever(libraryPath);
        gLibraryPath = libraryPath;
        gLibrary.store(library, std::memory_order_release);
    }
    const auto fn = reinterpret_cast<Fn>(runtime::FindEntryPoint(library, name, gLibraryPath));
    slot.store(fn, std::memory_order_release);
    return fn;
}

std::atomic<InitFn> gInit{nullptr};
std::atomic<UpdateFn> gUpdate{nullptr};
std::atomic<FinalFn> gFinal{nullptr};

}  // namespace

InitFn Init(const std::string& libraryPath) { return Bind(gInit, "MD5Init", libraryPath); }
UpdateFn Update(const std::string& libraryPath) { return Bind(gUpdate, "MD5Update", libraryPath); }
FinalFn Final(const std::string& libraryPath) { return Bind(gFinal, "MD5Final", libraryPath); }

bool IsLoaded() { return gLibrary.load(std::memory_order_acquire) != nullptr; }

}  // namespace digest::engine
