#include "support.h"

#include <bcrypt.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace testwin {

TempTree::TempTree() {
    static int counter = 0;
    // Outside the user's profile: the shell's first browse dialog in a fresh Wine prefix
    // sometimes cannot open folders below the profile folder.
    path_ = fs::path(L"C:\\pellwick-tests") /
            (std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TempTree::~TempTree() {
    // The long-path form, so that trees deeper than MAX_PATH go too.
    const fs::path all(L"\\\\?\\" + path_.wstring());
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(all, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    fs::remove_all(all, ec);
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string SampleContent(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 23);
    }
    return bytes;
}

std::string SystemMd5(const std::string& bytes) {
    unsigned char digest[16] = {};
    BCRYPT_ALG_HANDLE md5 = nullptr;
    bool ok = BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&md5, BCRYPT_MD5_ALGORITHM, nullptr, 0));
    ok = ok && BCRYPT_SUCCESS(::BCryptHash(md5, nullptr, 0, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                                           static_cast<ULONG>(bytes.size()), digest, sizeof digest));
    if (md5 != nullptr) ::BCryptCloseAlgorithmProvider(md5, 0);
    if (!ok) throw std::runtime_error("the system's MD5 provider failed");
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const unsigned char b : digest) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring WithoutTrailingSeparator(std::wstring path) {
    if (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

std::wstring DocumentsFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
    return path;
}

std::string ResourceBytes(HMODULE module, const wchar_t* type, int id, WORD language) {
    const HRSRC found = ::FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
    if (found == nullptr) return {};
    const void* data = ::LockResource(::LoadResource(module, found));
    return std::string(static_cast<const char*>(data), ::SizeofResource(module, found));
}

void SetInstallerDirectory(const wchar_t* value) {
    constexpr wchar_t kKey[] = L"Software\\Quorrel\\Settings";
    if (value == nullptr) {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"QRL_Dir");
        return;
    }
    const auto bytes = static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(wchar_t));
    if (::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"QRL_Dir", REG_SZ, value, bytes) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot write the setting");
    }
}

void SetClipboardText(const std::wstring& text) {
    if (!WaitFor([] { return ::OpenClipboard(nullptr) != FALSE; }))
        throw std::runtime_error("cannot open the clipboard");
    const runtime::ScopeGuard close([] { ::CloseClipboard(); });
    ::EmptyClipboard();
    if (text.empty()) return;
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) throw std::runtime_error("cannot allocate for the clipboard");
    std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
    ::GlobalUnlock(memory);
    // The clipboard owns the memory from here on.
    if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
        ::GlobalFree(memory);
        throw std::runtime_error("cannot set the clipboard");
    }
}

unsigned ScreenColourAt(HWND window, POINT point) {
    ::ClientToScreen(window, &point);
    const HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::wstring WindowText(HWND window) {
    // WM_GETTEXT crosses processes; the length first, since a path may be long. Bounded, so
    // that a window that hangs fails the test instead of holding up the run.
    constexpr UINT kTimeoutMs = 10000;
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kTimeoutMs, &length)) return L"";
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 2, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                          kTimeoutMs, &copied);
    return text.data();
}

HWND ShownWindowOf(DWORD processId, const wchar_t* windowClass) {
    HWND w = nullptr;
    while ((w = ::FindWindowExW(nullptr, w, windowClass, nullptr)) != nullptr) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        if (pid == processId && ::IsWindowVisible(w)) return w;
    }
    return nullptr;
}

HWND FindOwnedDialog(HWND owner) {
    struct Search {
        HWND owner;
        HWND found = nullptr;
    } search{owner};
    ::EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            wchar_t cls[16] = {};
            ::GetClassNameW(w, cls, 16);
            if (std::wstring(cls) == L"#32770" && ::GetWindow(w, GW_OWNER) == s->owner && ::IsWindowVisible(w)) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring DialogMessage(HWND dialog) {
    std::wstring all;
    ::EnumChildWindows(
        dialog,
        [](HWND w, LPARAM p) -> BOOL {
            wchar_t cls[16] = {};
            ::GetClassNameW(w, cls, 16);
            if (SameText(cls, L"Static")) *reinterpret_cast<std::wstring*>(p) += WindowText(w) + L"\n";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

}  // namespace testwin
