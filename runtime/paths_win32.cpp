#include <filesystem>
#include <vector>

#include "runtime/files.h"
#include "runtime/paths.h"
#include "runtime/system_win32.h"
#include "runtime/text.h"

// After <windows.h>, which runtime/system_win32.h brings in.
// clang-format off
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

namespace runtime {

namespace {

using win32::FilePath;
using win32::Narrow;
using win32::Wide;

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// The volume and index that identify an open file system object.
bool IdentityOf(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    // No access asked, backup semantics for folders: a file locked by another program answers too.
    const win32::UniqueHandle file(win32::NullIfInvalid(
        ::CreateFileW(FilePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
    return file.Valid() && ::GetFileInformationByHandle(file.Get(), &info);
}

}  // namespace

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    const std::wstring wide = Wide(path);
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<wchar_t> full(needed);
    const DWORD n = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    return n == 0 || n >= needed ? path : Narrow(std::wstring(full.data(), n));
}

std::string ParentPath(const std::string& path) {
    return Narrow(std::filesystem::path(Wide(path)).parent_path().wstring());
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return Narrow((std::filesystem::path(Wide(folder)) / Wide(name)).wstring());
}

std::string_view BareName(std::string_view path) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsSeparator(path[i])) start = i + 1;
    }
    // "C:name" is relative to the drive's current folder.
    if (start == 0 && path.size() >= 2 && path[1] == ':') start = 2;
    return path.substr(start);
}

bool SameFileName(std::string_view a, std::string_view b) {
    if (IsAscii(a) && IsAscii(b)) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
        }
        return true;
    }
    // The file system's own rule: ordinal, case-insensitive.
    const std::wstring wa = Wide(std::string(a)), wb = Wide(std::string(b));
    return ::CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                  TRUE) == CSTR_EQUAL;
}

bool SamePath(const std::string& a, const std::string& b) {
    // The system's own reading of a path, as every file call makes it.
    return SameFileName(AbsolutePath(a), AbsolutePath(b));
}

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    return IdentityOf(a, ia) && IdentityOf(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

std::string GnupgHome() {
    std::vector<wchar_t> home(32768);
    if (const DWORD n = ::GetEnvironmentVariableW(L"GNUPGHOME", home.data(), 32768); n > 0 && n < 32768) {
        return Narrow(home.data());
    }
    // Freed whether or not the call succeeded, as the shell asks.
    UniqueResource<PWSTR, &::CoTaskMemFree> appData;
    if (FAILED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, appData.Out()))) return "";
    return Narrow(appData.Get()) + "\\gnupg";
}

std::string GpgvProgram() {
    return ProgramDirectory() + "\\gpgv.exe";
}

}  // namespace runtime
