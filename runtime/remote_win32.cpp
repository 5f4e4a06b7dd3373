#include <vector>

#include "runtime/remote.h"
#include "runtime/system_win32.h"

namespace runtime {

namespace {

bool IsLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool IsNetworkDrive(wchar_t letter) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    return ::GetDriveTypeW(root) == DRIVE_REMOTE;
}

}  // namespace

bool MayWaitOnNetwork(const std::string& text) {
    if (SlowForTesting(text)) return true;
    if (text.empty()) return false;
    if (IsUncPath(text)) return true;
    const std::wstring path = win32::Wide(text);
    // "C:\x", "C:x", and the same behind a \\?\ or \\.\ prefix.
    const std::wstring_view rest = std::wstring_view(path).substr(win32::PrefixLength(path));
    if (rest.size() >= 2 && rest[1] == L':' && IsLetter(rest[0])) return IsNetworkDrive(rest[0]);
    if (win32::PrefixLength(path) != 0) return false;  // a device
    // Relative to the current directory, or to its drive's root.
    std::vector<wchar_t> cwd(MAX_PATH);
    DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data());
    if (n >= cwd.size()) {
        cwd.resize(n + 1);
        n = ::GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data());
    }
    if (n == 0 || n >= cwd.size()) return false;
    const std::wstring current(cwd.data(), n);
    if (IsUncPath(win32::Narrow(current))) return true;
    return current.size() >= 2 && current[1] == L':' && IsNetworkDrive(current[0]);
}

}  // namespace runtime
