#include "window/main_window_win32.h"

#include <vector>

#include "shell/modBrowseForFolder_win32.h"
#include "window/controls_win32.h"

namespace window::win32 {

namespace {

using runtime::win32::Narrow;
using runtime::win32::Wide;

// Fixed single border, caption with a close box only; a tool window gets no taskbar button.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

std::string TextOf(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(control, text.data(), length + 1);
    return Narrow(std::wstring(text.data(), static_cast<std::size_t>(got > 0 ? got : 0)));
}

using UniqueDrop = runtime::UniqueResource<HDROP, &::DragFinish>;

// How long a wait sleeps at most between looks at the caption's progress.
constexpr DWORD kCaptionTickMs = 25;

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance), form_(*this) {}

bool MainWindow::Create(int showCommand) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &MainWindow::WindowProc;
    wc.hInstance = instance_;
    wc.hIcon =
        static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                        ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    wc.hIconSm =
        static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                        ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kWindowClass;
    if (::RegisterClassExW(&wc) == 0) return false;
    jobSettled_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!jobSettled_) return false;

    // Sized once its DPI is known (OnCreate); placed where the system puts a new window.
    if (::CreateWindowExW(kExStyle, kWindowClass, Wide(frmMain::kCaption).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          0, 0, nullptr, nullptr, instance_, this) == nullptr) {
        return false;
    }
    form_.OnLoad();  // before the window is first shown
    ::ShowWindow(hwnd_, showCommand);
    ::UpdateWindow(hwnd_);
    ::SetFocus(Control(kIdMD5));  // the first control in the tab order
    return true;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self != nullptr ? self->HandleMessage(message, wParam, lParam)
                           : ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate() ? 0 : -1;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_SETCURSOR:
            if (OnSetCursor()) return TRUE;
            break;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_CTLCOLOREDIT:
            if (const HBRUSH brush = OnCtlColorEdit(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
            // High contrast may have come or gone.
            ::RedrawWindow(Control(kIdMD5), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            break;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool MainWindow::OnCreate() {
    for (const auto& c : kControls) {
        const bool isEdit = c.id == kIdFileName || c.id == kIdMD5;
        DWORD style = WS_CHILD | WS_VISIBLE;
        if (isEdit) style |= WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
        if (c.id == kIdMD5) style |= WS_CLIPCHILDREN;  // the verdict's mark inside
        if (c.id == kIdFindFileName) style |= WS_TABSTOP | BS_PUSHBUTTON;
        if (c.id == kIdLabelFile || c.id == kIdLabel1) style |= SS_LEFT | SS_NOPREFIX;
        const HWND control =
            ::CreateWindowExW(isEdit ? WS_EX_CLIENTEDGE : 0, c.className, c.text, style, 0, 0, 0, 0, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_, nullptr);
        if (control == nullptr) return false;
        if (isEdit) ::SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // no limit but the system's
    }
    if (!CreateVerdictMark()) return false;  // before the layout places it
    Layout(DpiOf(hwnd_));
    ::DragAcceptFiles(hwnd_, TRUE);
    return CreateVerdictTip();
}

void MainWindow::Layout(UINT dpi) {
    const SIZE client{TwipsToPixels(layout::kClientWidth, dpi), TwipsToPixels(layout::kClientHeight, dpi)};
    const SIZE outer = WindowSizeFor(client, kStyle, kExStyle, dpi);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    font_.Reset(CreateMessageFont(dpi));
    // The stock font is the system's to keep; it stands in when no message font was made.
    const HGDIOBJ font = font_ ? font_.Get() : ::GetStockObject(DEFAULT_GUI_FONT);
    for (const auto& c : kControls) {
        const HWND control = Control(c.id);
        ::SetWindowPos(control, nullptr, TwipsToPixels(c.twips.left, dpi), TwipsToPixels(c.twips.top, dpi),
                       TwipsToPixels(c.twips.width, dpi), TwipsToPixels(c.twips.height, dpi),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void MainWindow::OnCommand(int id, int code) {
    if (id == kIdFileName && code == EN_CHANGE) form_.OnFileNameChanged();
    if (id == kIdMD5 && code == EN_CHANGE) form_.OnDigestTextChanged(TextOf(Control(kIdMD5)));
    if (id == kIdFindFileName && code == BN_CLICKED) form_.OnFindFileNameClicked();
}

void MainWindow::OnDropFiles(HDROP drop) {
    const UniqueDrop owned(drop);
    const UINT length = ::DragQueryFileW(owned.Get(), 0, nullptr, 0);
    if (length == 0) return;
    std::vector<wchar_t> path(length + 1, L'\0');
    ::DragQueryFileW(owned.Get(), 0, path.data(), length + 1);
    form_.OnFileDropped(Narrow(path.data()));
}

void MainWindow::OnDpiChanged(UINT, const RECT& suggested) {
    Layout(DpiOf(hwnd_));
    ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::OnActivate(bool active) {
    // Like a dialog: the control that had the focus gets it back when the window returns.
    if (!active) {
        const HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
    } else {
        ::SetFocus(lastFocus_ != nullptr ? lastFocus_ : Control(kIdMD5));
    }
}

bool MainWindow::OnSetCursor() {
    if (!busy_) return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

void MainWindow::OnClose() {
    if (form_.OnCloseAsked()) ::DestroyWindow(hwnd_);
}

void MainWindow::CloseLater() {
    ::PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

bool MainWindow::TakeDuringWait(const MSG& message) {
    const UINT m = message.message;
    if (m == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
        form_.OnEscape();
        return false;
    }
    if (m == WM_SYSKEYDOWN && message.wParam == VK_F4) return true;  // closes, so cancels
    if (m >= WM_KEYFIRST && m <= WM_KEYLAST) return false;
    if (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) return false;
    if (m == WM_DROPFILES) {
        const UniqueDrop dropped(reinterpret_cast<HDROP>(message.wParam));
        return false;
    }
    return true;
}

void MainWindow::WaitFor(runtime::Job& job, const std::function<void()>& tick) {
    ::ResetEvent(jobSettled_.Get());
    job.OnSettled([event = jobSettled_.Get()] { ::SetEvent(event); });
    const runtime::ScopeGuard done([&job] { job.OnSettled(nullptr); });
    const HANDLE settled = jobSettled_.Get();
    bool quitting = false;
    while (!job.Cancelled() && !job.Finished() && !quitting) {
        // Sent messages (another program's probes) are answered inside the wait and the peek.
        ::MsgWaitForMultipleObjectsEx(1, &settled, kCaptionTickMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message{};
        while (!job.Cancelled() && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(message.wParam));  // for the main loop
                quitting = true;
                break;
            }
            if (!TakeDuringWait(message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        tick();
    }
}

std::string MainWindow::FileNameText() const {
    return TextOf(Control(kIdFileName));
}

void MainWindow::SetFileNameText(const std::string& text) {
    // The edit control reports EN_CHANGE from inside this call, so the handler has run when
    // it returns.
    ::SetWindowTextW(Control(kIdFileName), Wide(text).c_str());
}

std::string MainWindow::DigestText() const {
    return TextOf(Control(kIdMD5));
}

void MainWindow::SetDigestText(const std::string& text) {
    ::SetWindowTextW(Control(kIdMD5), Wide(text).c_str());
}

std::string MainWindow::BrowseForFolder(const std::string& title, const std::string& startDir, std::int32_t flags) {
    return modBrowseForFolder::BrowseForFolder(hwnd_, title, startDir, flags);
}

void MainWindow::ShowError(const std::string& message) {
    ::MessageBoxW(hwnd_, Wide(message).c_str(), Wide(frmMain::kCaption).c_str(), MB_OK | MB_ICONERROR);
}

void MainWindow::ShowInformation(const std::string& title, const std::string& text) {
    // The system's box: Windows copies its text on Ctrl+C (Wine's does not).
    ::MessageBoxW(hwnd_, Wide(text).c_str(), Wide(title).c_str(), MB_OK | MB_ICONINFORMATION);
}

void MainWindow::SetCaption(const std::string& text) {
    ::SetWindowTextW(hwnd_, Wide(text).c_str());
    // Windows tells WinEvent listeners of the new name by itself (so they hear it twice); Wine does not.
    ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hwnd_, OBJID_WINDOW, CHILDID_SELF);
}

void MainWindow::SetBusy(bool busy) {
    busy_ = busy;
    // Shown at once, not at the next move of the mouse.
    if (busy) {
        cursorBeforeBusy_ = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    } else {
        ::SetCursor(cursorBeforeBusy_);
    }
}

}  // namespace window::win32
