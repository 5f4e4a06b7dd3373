// Keeps the Wine session warm for the test run: a hidden window that lives until the
// fixture stops the server. It first opens one browse dialog and cancels it, which settles
// the shell's first-dialog start-up in a fresh prefix.
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

namespace {

wchar_t gTemp[MAX_PATH];

void CALLBACK Cancel(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(dialog, timer);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Selects the temporary folder, where the tests keep their files, and lets the dialog
// settle on it before cancelling.
int CALLBACK SelectThenCancel(HWND dialog, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED) {
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(gTemp));
        ::SetTimer(dialog, 1, 300, Cancel);
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = L"PellwickTestKeeper";
    ::RegisterClassW(&wc);
    const HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"keeper", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                          instance, nullptr);

    BROWSEINFOW info{};
    info.hwndOwner = window;
    info.ulFlags = BIF_NEWDIALOGSTYLE | BIF_BROWSEINCLUDEFILES | BIF_STATUSTEXT;
    info.lpfn = SelectThenCancel;
    ::GetTempPathW(MAX_PATH, gTemp);
    if (PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&info)) ::CoTaskMemFree(item);

    const HANDLE ready = ::CreateFileW(L"C:\\keeper-ready", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (ready != INVALID_HANDLE_VALUE) ::CloseHandle(ready);

    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}
