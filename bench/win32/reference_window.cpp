// The reference for the start-up benchmark: a plain Win32 window with the same controls as
// Pellwick's (two labels, two boxes, a button) and nothing behind them.
#include <windows.h>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, w, l);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = &Procedure;
    cls.hInstance = instance;
    cls.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = L"PellwickReference";
    ::RegisterClassExW(&cls);
    const HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, cls.lpszClassName, L"Reference", WS_CAPTION | WS_SYSMENU,
                                          CW_USEDEFAULT, CW_USEDEFAULT, 500, 90, nullptr, nullptr, instance, nullptr);
    const struct {
        const wchar_t* cls;
        const wchar_t* text;
        int x, y, w, h;
    } controls[] = {{L"STATIC", L"File:", 8, 8, 40, 17},
                    {L"EDIT", L"", 48, 8, 410, 19},
                    {L"BUTTON", L"...", 464, 8, 17, 17},
                    {L"STATIC", L"MD5:", 8, 32, 40, 17},
                    {L"EDIT", L"", 48, 32, 433, 19}};
    for (const auto& c : controls) {
        ::CreateWindowExW(0, c.cls, c.text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, c.x, c.y, c.w, c.h, window, nullptr,
                          instance, nullptr);
    }
    ::ShowWindow(window, show);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
