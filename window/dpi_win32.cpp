#include "window/dpi_win32.h"

namespace window::win32 {

namespace {

// Per-window DPI calls arrived with Windows 10; older systems run with the screen's DPI.
template <typename Fn>
Fn User32Function(const char* name) {
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const FARPROC proc = user32 != nullptr ? ::GetProcAddress(user32, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

UINT ScreenDpi() {
    const HDC screen = ::GetDC(nullptr);
    if (screen == nullptr) return 96;
    const runtime::ScopeGuard release([screen] { ::ReleaseDC(nullptr, screen); });
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

UINT DpiOf(HWND window) {
    static const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(window) : 0;
    return dpi != 0 ? dpi : ScreenDpi();
}

SIZE WindowSizeFor(SIZE client, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjust =
        User32Function<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (adjust == nullptr || !adjust(&rect, style, FALSE, exStyle, dpi)) {
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

HFONT CreateMessageFont(UINT dpi) {
    static const auto forDpi =
        User32Function<BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT)>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (forDpi == nullptr || !forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
        metrics.lfMessageFont.lfHeight =
            ::MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(ScreenDpi()));
    }
    return ::CreateFontIndirectW(&metrics.lfMessageFont);
}

}  // namespace window::win32
