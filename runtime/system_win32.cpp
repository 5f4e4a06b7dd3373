#include "runtime/system_win32.h"

#include <algorithm>
#include <vector>

#include "runtime/text.h"

namespace runtime::win32 {

std::string Reason(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (n == 0 || text == nullptr) return "system error " + std::to_string(code);
    std::wstring reason(text, n);
    ::LocalFree(text);
    while (!reason.empty() &&
           (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' ' || reason.back() == L'.')) {
        reason.pop_back();
    }
    return Narrow(reason);
}

HMODULE SystemLibrary(const wchar_t* name) {
    // A load of a loaded library only counts it up; it is never freed, so that costs nothing.
    return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::wstring Wide(const std::string& utf8) {
    const std::u16string s = Utf8ToUtf16(utf8);
    return std::wstring(s.begin(), s.end());
}

std::string Narrow(const std::wstring& utf16) {
    return Utf16ToUtf8(std::u16string(utf16.begin(), utf16.end()));
}

std::size_t PrefixLength(std::wstring_view path) {
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    const bool prefixed = path.size() >= 4 && separator(path[0]) && separator(path[1]) &&
                          (path[2] == L'?' || path[2] == L'.') && separator(path[3]);
    return prefixed ? 4 : 0;
}

std::wstring FilePath(const std::string& utf8) {
    std::wstring path = Wide(utf8);
    // The program joins paths with "/"; some calls (the loader's) want the system's own separator.
    // Done first, so that a prefix written with "/" is known for one.
    std::replace(path.begin(), path.end(), L'/', L'\\');
    // Short enough for every API as it is, or already in a form the system takes at any length.
    if (path.size() < 240 || PrefixLength(path) != 0) return path;
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<wchar_t> full(needed);
    const DWORD n = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (n == 0 || n >= needed) return path;
    std::wstring absolute(full.data(), n);
    if (absolute.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + absolute.substr(2);
    return L"\\\\?\\" + absolute;
}

}  // namespace runtime::win32
