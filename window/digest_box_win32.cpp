// The digest box's own part: the verdict's mark, a child window at its right end that the text
// never runs under, and the box's menu, the edit control's entries and the verdict's details.
#include <algorithm>

#include "window/controls_win32.h"
#include "window/main_window_win32.h"

// After <windows.h>, which main_window_win32.h brings in.
// clang-format off
#include <commctrl.h>
#include <windowsx.h>
// clang-format on

namespace window::win32 {

namespace {

using runtime::win32::Wide;
using UniqueMenu = runtime::UniqueResource<HMENU, &::DestroyMenu>;

constexpr UINT_PTR kDigestBoxSubclass = 1;

enum MenuCommand : UINT {
    kMenuUndo = 1,
    kMenuCut,
    kMenuCopy,
    kMenuPaste,
    kMenuDelete,
    kMenuSelectAll,
    kMenuDetails,
};

}  // namespace

bool MainWindow::CreateVerdictMark() {
    const HWND box = Control(kIdMD5);
    // A static control: its text, the verdict's sentence, is its accessible name; drawn by the
    // box (verdict_win32.cpp), which hears its clicks. Hidden while no verdict shows.
    const HWND mark =
        ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_OWNERDRAW | SS_NOTIFY, 0, 0, 0, 0, box,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdVerdictMark)), instance_, nullptr);
    return mark != nullptr &&
           ::SetWindowSubclass(box, &MainWindow::DigestBoxProc, kDigestBoxSubclass, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK MainWindow::DigestBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR self) {
    auto* window = reinterpret_cast<MainWindow*>(self);
    switch (message) {
        case WM_SETFONT:
        case WM_SIZE: {
            // The box sets its margins afresh for a new font; the size follows the DPI.
            const LRESULT result = ::DefSubclassProc(box, message, wParam, lParam);
            window->PlaceVerdictMark();
            return result;
        }
        case WM_DRAWITEM:
            window->DrawVerdictMark(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) != kIdVerdictMark) break;
            if (HIWORD(wParam) == STN_CLICKED) window->form_.OnDetailsAsked();
            return 0;
        case WM_CONTEXTMENU:
            window->ShowDigestBoxMenu(lParam);
            return 0;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(box, &MainWindow::DigestBoxProc, kDigestBoxSubclass);
            break;
        default:
            break;
    }
    return ::DefSubclassProc(box, message, wParam, lParam);
}

void MainWindow::PlaceVerdictMark() {
    const HWND box = Control(kIdMD5);
    RECT client{};
    ::GetClientRect(box, &client);
    // A square as high as the box's inside, so that it scales with the DPI as the box does.
    const int side = client.bottom;
    ::SendMessageW(box, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, side));
    ::SetWindowPos(::GetDlgItem(box, kIdVerdictMark), nullptr, client.right - side, 0, side, side,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::ShowDigestBoxMenu(LPARAM where) {
    const HWND box = Control(kIdMD5);
    POINT at{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (where == -1) {
        // From the keyboard (the Menu key, Shift+F10): below the caret, inside the box.
        RECT client{};
        ::GetClientRect(box, &client);
        if (!::GetCaretPos(&at)) at = {0, 0};
        at = {std::clamp(at.x, client.left, client.right), client.bottom};
        ::ClientToScreen(box, &at);
    }
    DWORD start = 0, end = 0;
    ::SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const bool selection = start != end;
    const auto length = static_cast<DWORD>(::GetWindowTextLengthW(box));
    // The edit control's own entries, as its built-in menu has them; that menu cannot be added to.
    const UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return;
    const auto add = [&menu](UINT command, const wchar_t* text, bool enabled) {
        ::AppendMenuW(menu.Get(), MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), command, text);
    };
    add(kMenuUndo, L"&Undo", ::SendMessageW(box, EM_CANUNDO, 0, 0) != 0);
    ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    add(kMenuCut, L"Cu&t", selection);
    add(kMenuCopy, L"&Copy", selection);
    add(kMenuPaste, L"&Paste", ::IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE);
    add(kMenuDelete, L"&Delete", selection);
    ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    add(kMenuSelectAll, L"Select &All", length > 0 && !(start == 0 && end == length));
    ::AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    add(kMenuDetails, Wide(frmMain::kDetailsCommand).c_str(), form_.DetailsOffered());
    if (::GetFocus() != box) ::SetFocus(box);
    const auto chosen = static_cast<UINT>(
        ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, box, nullptr));
    switch (chosen) {
        case kMenuUndo:
            ::SendMessageW(box, WM_UNDO, 0, 0);
            break;
        case kMenuCut:
            ::SendMessageW(box, WM_CUT, 0, 0);
            break;
        case kMenuCopy:
            ::SendMessageW(box, WM_COPY, 0, 0);
            break;
        case kMenuPaste:
            ::SendMessageW(box, WM_PASTE, 0, 0);
            break;
        case kMenuDelete:
            ::SendMessageW(box, WM_CLEAR, 0, 0);
            break;
        case kMenuSelectAll:
            ::SendMessageW(box, EM_SETSEL, 0, -1);
            break;
        case kMenuDetails:
            form_.OnDetailsAsked();
            break;
        default:
            break;
    }
}

bool MainWindow::TakeDetailsKey(const MSG& message) {
    if (message.message != WM_SYSKEYDOWN || message.wParam != VK_RETURN) return false;
    if (message.hwnd != Control(kIdMD5) && message.hwnd != Control(kIdFileName)) return false;
    if ((HIWORD(message.lParam) & KF_REPEAT) == 0) form_.OnDetailsAsked();
    return true;
}

}  // namespace window::win32
