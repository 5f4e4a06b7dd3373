#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/system_win32.h"
#include "runtime/text.h"

// After <windows.h>, which system_win32.h brings in.
// clang-format off
#include <bcrypt.h>
// clang-format on

namespace runtime {

namespace {

using win32::FilePath;
using win32::Reason;
using win32::UniqueHandle;
using win32::Wide;

bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(FilePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

[[noreturn]] void ThrowOpenError(const std::string& path, DWORD code) {
    const std::string text = "Cannot open " + Quoted(path) + " for reading: ";
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            throw Error(kFileNotFound, text + Reason(code));
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
            throw Error(kBadFileName, text + Reason(code));
        case ERROR_ACCESS_DENIED:
            // The system says "access denied" for a directory too; name what it really is.
            if (IsDirectory(path)) throw Error(kPathFileAccessError, text + "the name is a directory");
            throw Error(kPermissionDenied, text + Reason(code));
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            throw Error(kPermissionDenied, text + Reason(code));
        default:
            throw Error(kPathFileAccessError, text + Reason(code));
    }
}

std::string DirectoryOf(const std::wstring& path) {
    const auto sep = path.find_last_of(L"\\/");
    if (sep == std::wstring::npos) return ".";
    std::wstring dir = path.substr(0, sep);
    // "C:" alone would mean the drive's current directory, not its root.
    if (dir.size() == 2 && dir[1] == L':') dir += L'\\';
    if (dir.empty()) dir = L"\\";
    return win32::Narrow(dir);
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name the system's devices in every folder, in any case,
// whatever follows a dot after them and with spaces before that dot. The system's lookup reports
// such a name as a file named for the device.
bool NamesDevice(std::wstring_view path) {
    std::wstring_view name = path.substr(path.find_last_of(L'\\') + 1);
    if (name.size() >= 2 && name[1] == L':') name.remove_prefix(2);  // "C:CON", relative to the drive
    name = name.substr(0, name.find_first_of(L".:"));
    while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
    std::wstring upper(name);
    for (auto& c : upper) c = AsciiUpper(c);
    if (upper == L"CON" || upper == L"PRN" || upper == L"AUX" || upper == L"NUL") return true;
    return upper.size() == 4 && (upper.starts_with(L"COM") || upper.starts_with(L"LPT")) && upper[3] >= L'1' &&
           upper[3] <= L'9';
}

// A new file beside `path` under a name nobody can know beforehand, so that nothing planted
// under a predictable name (a link to another file) is written through. Sets `temp` to its name.
UniqueHandle CreateFileBeside(const std::string& path, std::string& temp) {
    const std::string what = "Cannot create a file beside " + Quoted(path) + ": ";
    const auto random = win32::SystemFunction<decltype(&::BCryptGenRandom)>(L"bcrypt.dll", "BCryptGenRandom");
    if (random == nullptr) throw Error(kPathFileAccessError, what + "the system has no random number generator");
    for (int attempt = 0;; ++attempt) {
        unsigned char bytes[8] = {};
        const NTSTATUS status = random(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
        if (!BCRYPT_SUCCESS(status)) {
            throw Error(kPathFileAccessError, what + "the system gave no random numbers (status " +
                                                  std::to_string(static_cast<unsigned long>(status)) + ")");
        }
        temp = path + "." + HexEncode(bytes) + ".tmp";
        // CREATE_NEW: a name that is taken, by whatever, is never opened.
        UniqueHandle file(win32::NullIfInvalid(::CreateFileW(FilePath(temp).c_str(), GENERIC_WRITE, 0, nullptr,
                                                             CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr)));
        if (file.Valid()) return file;
        const DWORD code = ::GetLastError();
        if (code != ERROR_FILE_EXISTS || attempt == 7) throw Error(kPathFileAccessError, what + Reason(code));
    }
}

}  // namespace

std::string ProgramDirectory() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            throw Error(kPathFileAccessError, "Cannot find the program's directory: " + Reason(::GetLastError()));
        if (n < buf.size()) return DirectoryOf(std::wstring(buf.data(), n));
        buf.resize(buf.size() * 2);  // cut short: the path is longer than the buffer
    }
}

std::string FindFirstMatch(const std::string& text) {
    // A NUL would cut the name short at the system call.
    if (text.empty() || text.find('\0') != std::string::npos) return "";
    const std::wstring path = FilePath(text);
    const std::wstring_view rest = std::wstring_view(path).substr(win32::PrefixLength(path));
    // The wildcards (including the system's own <, > and ") name no file here; the "?" of a
    // "\\?\" prefix is none.
    if (rest.find_first_of(L"*?<>\"") != std::wstring_view::npos || NamesDevice(rest)) return "";
    WIN32_FIND_DATAW data{};
    const win32::UniqueFind find(win32::NullIfInvalid(
        ::FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0)));
    if (!find.Valid()) return "";
    constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if ((data.dwFileAttributes & kNotOrdinary) == 0) return win32::Narrow(data.cFileName);
    } while (::FindNextFileW(find.Get(), &data));
    return "";
}

std::vector<std::string> ListFolder(const std::string& folder, const std::function<bool(std::string_view)>& wanted) {
    std::vector<std::string> names;
    const std::string pattern = (folder.empty() ? std::string(".") : folder) + "\\*";
    WIN32_FIND_DATAW data{};
    const win32::UniqueFind find(win32::NullIfInvalid(::FindFirstFileExW(
        FilePath(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH)));
    if (!find.Valid()) return names;
    constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if ((data.dwFileAttributes & kNotOrdinary) != 0) continue;
        std::string name = win32::Narrow(data.cFileName);
        if (wanted(name)) names.push_back(std::move(name));
    } while (::FindNextFileW(find.Get(), &data));
    return names;
}

std::optional<std::string> SettledFolderStamp(const std::string& folder) {
    const UniqueHandle handle(win32::NullIfInvalid(::CreateFileW(
        FilePath(folder.empty() ? "." : folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle.Valid() || !::GetFileInformationByHandle(handle.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return std::nullopt;
    }
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    const std::uint64_t written = ticks(info.ftLastWriteTime);
    if (ticks(now) < written + std::uint64_t{20'000'000}) return std::nullopt;  // two seconds of 100 ns
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
           std::to_string(info.nFileIndexLow) + ":" + std::to_string(written);
}

struct InputFile::Handle {
    UniqueHandle file;
    std::uint64_t size = 0;
};

InputFile::InputFile(const std::string& path) : path_(path), handle_(std::make_unique<Handle>()) {
    if (path.find('\0') != std::string::npos) {
        throw Error(kBadFileName, "Cannot open " + Quoted(path) + " for reading: the name holds a NUL character");
    }
    // Others may read the package meanwhile, but nobody may change it under the digest.
    handle_->file.Reset(
        win32::NullIfInvalid(::CreateFileW(FilePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)));
    if (!handle_->file.Valid()) ThrowOpenError(path, ::GetLastError());
    if (::GetFileType(handle_->file.Get()) != FILE_TYPE_DISK) {
        throw Error(kPathFileAccessError, "Cannot open " + Quoted(path) + " for reading: not a regular file");
    }
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(handle_->file.Get(), &size)) handle_->size = static_cast<std::uint64_t>(size.QuadPart);
}

InputFile::~InputFile() = default;

std::uint64_t InputFile::Size() const {
    return handle_->size;
}

std::size_t InputFile::Read(unsigned char* buffer, std::size_t capacity) {
    const DWORD want = capacity > 0x40000000u ? 0x40000000u : static_cast<DWORD>(capacity);
    DWORD got = 0;
    if (!::ReadFile(handle_->file.Get(), buffer, want, &got, nullptr)) {
        throw Error(kDeviceIoError, "Cannot read " + Quoted(path_) + ": " + Reason(::GetLastError()));
    }
    return got;
}

struct ReadInterrupter::Handle {
    UniqueHandle thread;
};

ReadInterrupter::ReadInterrupter() : handle_(std::make_unique<Handle>()) {
    // CancelSynchronousIo needs a real handle with terminate access, not the pseudo-handle.
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), handle_->thread.Out(),
                      THREAD_TERMINATE, FALSE, 0);
}

ReadInterrupter::~ReadInterrupter() = default;

void ReadInterrupter::Interrupt() const {
    // Fails harmlessly when no read is pending, or where the system cannot cancel one.
    if (handle_->thread) ::CancelSynchronousIo(handle_->thread.Get());
}

bool FileHoldsExactly(const std::string& path, std::span<const unsigned char> data) {
    const UniqueHandle file(win32::NullIfInvalid(::CreateFileW(FilePath(path).c_str(), GENERIC_READ,
                                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                               nullptr, OPEN_EXISTING, 0, nullptr)));
    LARGE_INTEGER size{};
    if (!file.Valid() || !::GetFileSizeEx(file.Get(), &size)) return false;
    if (static_cast<std::uint64_t>(size.QuadPart) != data.size()) return false;
    std::vector<unsigned char> content(data.size() + 1);
    std::size_t got = 0;
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file.Get(), content.data() + got, static_cast<DWORD>(content.size() - got), &n, nullptr)) {
            return false;
        }
        if (n == 0) break;
        got += n;
        if (got == content.size()) return false;  // grew since the size was read
    }
    return got == data.size() && std::memcmp(content.data(), data.data(), data.size()) == 0;
}

bool IsReadOnlyFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(FilePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

void ReplaceFileAtomically(const std::string& path, std::span<const unsigned char> data) {
    std::string temp;
    UniqueHandle file = CreateFileBeside(path, temp);
    const std::wstring wideTemp = FilePath(temp);
    runtime::ScopeGuard removeTemp([&file, &wideTemp] {
        file.Reset();  // nobody else may open it, so it goes only once closed
        ::DeleteFileW(wideTemp.c_str());
    });
    std::size_t done = 0;
    while (done < data.size()) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 20));
        if (!::WriteFile(file.Get(), data.data() + done, chunk, &n, nullptr) || n == 0) {
            throw Error(kDeviceIoError, "Cannot write " + Quoted(temp) + ": " + Reason(::GetLastError()));
        }
        done += n;
    }
    if (!::FlushFileBuffers(file.Get())) {
        throw Error(kDeviceIoError, "Cannot write " + Quoted(temp) + ": " + Reason(::GetLastError()));
    }
    file.Reset();
    ::SetFileAttributesW(wideTemp.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::MoveFileExW(wideTemp.c_str(), FilePath(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw Error(kPathFileAccessError, "Cannot replace " + Quoted(path) + ": " + Reason(::GetLastError()));
    }
    removeTemp.Dismiss();
}

}  // namespace runtime
