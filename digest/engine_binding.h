// The three engine functions, each bound by name on its first call. The library is loaded
// once per process, from one full path, and never unloaded.
#pragma once

#include <cstddef>
#include <string>

#include "digest/md5_context.h"

namespace digest::engine {

using InitFn = void (*)(MD5Context*);
using UpdateFn = void (*)(MD5Context*, const unsigned char*, std::size_t);
using FinalFn = void (*)(unsigned char*, MD5Context*);

// Each returns the bound function, loading `libraryPath` first when no engine is loaded yet.
InitFn Init(const std::string& libraryPath);
UpdateFn Update(const std::string& libraryPath);
FinalFn Final(const std::string& libraryPath);

// True once this process has loaded the engine library.
bool IsLoaded();

}  // namespace digest::engine
