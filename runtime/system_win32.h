// Helpers shared by the Win32 halves of runtime/, shell/ and window/: handle owners, the
// system's reason for a failure, and paths in the form the wide file APIs take at any length.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

#include "runtime/unique_resource.h"

namespace runtime::win32 {

// The text of a system error code, without the trailing line break.
std::string Reason(DWORD code);

std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

// The path as the wide file APIs take it: with backslashes, and made absolute with the
// long-path prefix ("\\?\" + path) once it is long enough that MAX_PATH would cut it. A path
// that already starts with "\\?\" or "\\.\" (either separator) keeps its prefix.
std::wstring FilePath(const std::string& utf8);

// 4 when the path starts with "\\?\" or "\\.\" (either separator), else 0.
std::size_t PrefixLength(std::wstring_view path);

// Makes the loader take libraries named without a path from the system directory only, never
// from the program's folder or the current one. True when the system took the setting.
bool NarrowLibrarySearch();

// A library that comes with the system, loaded from the system folder only (never from the
// program's folder, where anything may have been put), and kept loaded; null when there is none.
// The loads of the system's libraries that are not among its KnownDLLs go through here, so that
// the program imports none of them.
HMODULE SystemLibrary(const wchar_t* name);

// A function of such a library, or null.
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name) {
    const HMODULE module = SystemLibrary(library);
    return module == nullptr ? nullptr
                             : reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Owners of the kernel and registry handles the program opens. CreateFileW and
// FindFirstFileExW report failure as INVALID_HANDLE_VALUE: wrap their result with
// NullIfInvalid, so that null alone means "none".
using UniqueHandle = UniqueResource<HANDLE, &::CloseHandle>;
using UniqueFind = UniqueResource<HANDLE, &::FindClose>;
using UniqueKey = UniqueResource<HKEY, &::RegCloseKey>;

inline HANDLE NullIfInvalid(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

}  // namespace runtime::win32
