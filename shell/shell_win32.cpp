#include "shell/shell_win32.h"

#include <vector>

namespace shell::win32 {

std::wstring PathOf(PCIDLIST_ABSOLUTE item) {
    // The buffer is cut at the shell's NUL; a long path gets a buffer it fits in.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 8) {
        std::vector<wchar_t> buffer(size, L'\0');
        if (::SHGetPathFromIDListEx(item, buffer.data(), size, GPFIDL_DEFAULT)) return buffer.data();
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    }
    return L"";
}

}  // namespace shell::win32
