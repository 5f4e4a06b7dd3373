// Loading of the engine library by full path.
#pragma once

#include <string>

namespace runtime {

// "md5.so" or "md5.dll": the engine file's name on this platform.
extern const char* const kEngineFileName;

// Loads the library at exactly this path (never through a search) and never unloads it.
// Throws the library-not-found error when no file is there, the library-load error when
// the file is not a library the platform accepts.
void* LoadLibraryForever(const std::string& fullPath);

// Address of the exported function, or the entry-point-not-found error naming it.
void* FindEntryPoint(void* library, const char* name, const std::string& libraryPath);

}  // namespace runtime
