// The verdict on the digest box: its colours, its mark, its tooltip, what screen readers are told,
// and the clipboard it may come from.
#include <algorithm>
#include <cmath>
#include <cwchar>
#include <optional>
#include <thread>
#include <vector>

#include "window/announce_win32.h"
#include "window/controls_win32.h"
#include "window/main_window_win32.h"

// After <windows.h>, which main_window_win32.h brings in.
// clang-format off
#include <commctrl.h>
// clang-format on

namespace window::win32 {

namespace {

using runtime::win32::Narrow;
using runtime::win32::Wide;

using UniquePen = runtime::UniqueResource<HPEN, &::DeleteObject>;

bool HighContrastOn() {
    if (HighContrastForced()) return true;
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

COLORREF ColourOf(unsigned rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

bool MainWindow::CreateVerdictTip() {
    verdictTip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                    instance_, nullptr);
    if (verdictTip_ == nullptr) return false;
    // A width makes the tip break its text at line feeds: one line per expected digest.
    ::SendMessageW(verdictTip_, TTM_SETMAXTIPWIDTH, 0, TwipsToPixels(layout::kClientWidth, DpiOf(hwnd_)));
    return true;
}

HBRUSH MainWindow::TintBrush(unsigned rgb) {
    if (!verdictBrush_) verdictBrush_.Reset(::CreateSolidBrush(ColourOf(rgb)));
    return verdictBrush_.Get();
}

HBRUSH MainWindow::OnCtlColorEdit(HDC dc, HWND control) {
    if (control != Control(kIdMD5)) return nullptr;
    const std::optional<unsigned> rgb = VerdictBackground(verdict_, HighContrastOn());
    if (!rgb) return nullptr;
    ::SetBkColor(dc, ColourOf(*rgb));
    ::SetTextColor(dc, RGB(0, 0, 0));  // legible on the light tint whatever the text colour is
    return TintBrush(*rgb);
}

void MainWindow::DrawVerdictMark(const DRAWITEMSTRUCT& item) {
    const bool highContrast = HighContrastOn();
    const std::optional<unsigned> rgb = VerdictBackground(verdict_, highContrast);
    ::FillRect(item.hDC, &item.rcItem, rgb ? TintBrush(*rgb) : ::GetSysColorBrush(COLOR_WINDOW));
    const VerdictMark mark = MarkFor(verdict_, highContrast);
    if (mark.strokes.empty()) return;
    const RECT& r = item.rcItem;
    const LONG side = std::min(r.right - r.left, r.bottom - r.top);
    const LONG left = r.left + (r.right - r.left - side) / 2, top = r.top + (r.bottom - r.top - side) / 2;
    const COLORREF colour = mark.colour ? ColourOf(*mark.colour) : ::GetSysColor(COLOR_WINDOWTEXT);
    const UniquePen pen(::CreatePen(PS_SOLID, std::max(1L, std::lround(mark.penWidth * side)), colour));
    if (!pen) return;
    const HGDIOBJ previous = ::SelectObject(item.hDC, pen.Get());
    const runtime::ScopeGuard restore([&] { ::SelectObject(item.hDC, previous); });
    for (const auto& stroke : mark.strokes) {
        std::vector<POINT> points;
        points.reserve(stroke.size());
        for (const MarkPoint& p : stroke)
            points.push_back({left + std::lround(p.x * side), top + std::lround(p.y * side)});
        ::Polyline(item.hDC, points.data(), static_cast<int>(points.size()));
    }
}

void MainWindow::ShowVerdict(const ShownVerdict& shown) {
    if (shown.verdict != verdict_) verdictBrush_.Reset();
    verdict_ = shown.verdict;
    const HWND digestBox = Control(kIdMD5);
    ::InvalidateRect(digestBox, nullptr, TRUE);
    const HWND mark = ::GetDlgItem(digestBox, kIdVerdictMark);
    ::SetWindowTextW(mark, Wide(shown.sentence).c_str());  // its accessible name
    ::ShowWindow(mark, shown.verdict == verify::Verdict::kNone ? SW_HIDE : SW_SHOWNA);
    ::InvalidateRect(mark, nullptr, TRUE);
    if (!shown.sentence.empty()) Announce(hwnd_, shown.sentence);

    std::wstring text = Wide(shown.detail);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(digestBox);
    tool.lpszText = text.data();
    if (text.empty()) {
        if (tipHasTool_) ::SendMessageW(verdictTip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        tipHasTool_ = false;
    } else if (tipHasTool_) {
        ::SendMessageW(verdictTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        tipHasTool_ = ::SendMessageW(verdictTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
    }
}

namespace {

// The clipboard's text, opened by this thread alone: one that a worker starts and waits for. An
// owner that renders its text only when asked, and then does not answer, holds up that worker and
// nothing else.
std::string ReadClipboard(std::size_t limit) {
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(nullptr)) return "";
    const runtime::ScopeGuard close([] { ::CloseClipboard(); });
    const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    // A text of `limit` UTF-8 bytes has no more UTF-16 units; a longer one is not even copied.
    const std::size_t units = data == nullptr ? 0 : ::GlobalSize(data) / sizeof(wchar_t);
    if (units == 0 || units > limit + 1) return "";
    const auto* locked = static_cast<const wchar_t*>(::GlobalLock(data));
    if (locked == nullptr) return "";
    const runtime::ScopeGuard unlock([data] { ::GlobalUnlock(data); });
    const std::string text = Narrow(std::wstring(locked, ::wcsnlen(locked, units)));
    return text.size() <= limit ? text : "";
}

}  // namespace

std::function<std::string(std::size_t limit)> MainWindow::ClipboardReader() {
    // A thread that touches the clipboard gets an input queue until it ends, and workers live for
    // good; so the read has a thread of its own, and the queue goes with it.
    return [](std::size_t limit) {
        std::string text;
        std::thread([&text, limit] { text = ReadClipboard(limit); }).join();
        return text;
    };
}

}  // namespace window::win32
