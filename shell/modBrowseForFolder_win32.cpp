#include "shell/modBrowseForFolder_win32.h"

#include "shell/shell_win32.h"

namespace modBrowseForFolder {

namespace {

// The start directory and its NUL, read by the callback when the dialog comes up. Only one
// browse dialog is open at a time.
std::wstring mStartDir;

int CALLBACK BrowseCallbackProc(HWND dialog, UINT message, LPARAM param, LPARAM /*callerData*/) {
    // Nothing may escape into the shell's frames.
    try {
        if (message == BFFM_INITIALIZED) {
            ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(mStartDir.c_str()));
        } else if (message == BFFM_SELCHANGED) {
            wchar_t path[MAX_PATH] = {};
            if (::SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(param), path)) {
                ::SendMessageW(dialog, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
            }
        }
    } catch (...) {
    }
    return 0;
}

// Pointer-sized, so that no address is cut on 64-bit Windows.
LONG_PTR AddressToLong(BFFCALLBACK address) {
    return reinterpret_cast<LONG_PTR>(address);
}

}  // namespace

std::string BrowseForFolder(HWND owner, const std::string& title, const std::string& startDir, std::int32_t flags) {
    mStartDir = runtime::win32::Wide(startDir) + L'\0';
    const std::wstring titleCopy = runtime::win32::Wide(title);
    // The new dialog style hosts COM controls; every successful initialisation is undone.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const runtime::ScopeGuard uninitialize([com] {
        if (SUCCEEDED(com)) ::CoUninitialize();
    });

    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = titleCopy.c_str();
    info.ulFlags = static_cast<UINT>(flags);
    info.lpfn = reinterpret_cast<BFFCALLBACK>(AddressToLong(&BrowseCallbackProc));
    const shell::win32::UniqueItemList chosen(::SHBrowseForFolderW(&info));
    if (!chosen) return "";
    // An item without a file-system path gives "", which the caller reads as nothing chosen.
    return runtime::win32::Narrow(shell::win32::PathOf(chosen.Get()));
}

}  // namespace modBrowseForFolder
