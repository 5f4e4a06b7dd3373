// The engine library's three functions, bound together when a digest first needs them. The
// library is loaded once per process, from the one full path that digest objects name, and
// never unloaded; the bound functions may be called from any thread.
#pragma once

#include <cstddef>
#include <string>

#include "digest/md5_context.h"

namespace digest::engine {

struct Functions {
    void (*Init)(MD5Context*);
    void (*Update)(MD5Context*, const unsigned char*, std::size_t);
    void (*Final)(unsigned char*, MD5Context*);
};

// The engine's functions, loading the library at `libraryPath` and binding them on the
// first call. Throws the runtime's library errors; a later call retries.
const Functions& Bind(const std::string& libraryPath);

// True once this process has loaded the engine library.
bool IsLoaded();

}  // namespace digest::engine
