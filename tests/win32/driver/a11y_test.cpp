// From outside: a WinEvent hook hears the window's new name on each verdict; the mark named by it in the right
// margin; the details from Alt+Enter in either box and the menu (Shift+F10); Wine 8's UI Automation passed over.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "app.h"
#include "support.h"

namespace testwin {
namespace {

using UniqueWinEventHook = runtime::UniqueResource<HWINEVENTHOOK, &::UnhookWinEvent>;
std::vector<std::wstring> namesHeard;  // as each event came

void CALLBACK OnNameChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    wchar_t name[256] = {};  // the system's copy of the text: no message to a program that may be busy
    if (object == OBJID_WINDOW && ::GetWindowTextW(window, name, 256) > 0) namesHeard.emplace_back(name);
}

// The details' box that keys typed in that box bring up (a key is released when negative): its text.
std::wstring DetailsBy(const App& app, HWND box, const std::vector<int>& keys) {
    WaitFor([&] {  // again and again: the window, back from the last box, gives the focus back too
        ::SetForegroundWindow(app.Window());
        ::AttachThreadInput(::GetCurrentThreadId(), app.ThreadId(), TRUE);
        ::SetFocus(box);
        ::AttachThreadInput(::GetCurrentThreadId(), app.ThreadId(), FALSE);
        return ::GetForegroundWindow() == app.Window() && app.Focus() == box;
    });
    std::vector<INPUT> in;
    for (const int key : keys) {
        in.push_back({INPUT_KEYBOARD, {.ki = {WORD(std::abs(key)), 0, key < 0 ? DWORD{KEYEVENTF_KEYUP} : 0, 0, 0}}});
    }
    ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    HWND shown = nullptr;
    WaitFor([&] { return (shown = FindOwnedDialog(app.Window())) != nullptr; });
    const std::wstring text = WindowText(shown) + L": " + WindowText(::GetDlgItem(shown, 0xFFFF));
    ::PostMessageW(shown, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return text;
}

TEST(A11yTest, TheVerdictHeardMarkedAndItsDetailsFromTheKeyboard) {
    SetInstallerDirectory(nullptr);
    const TempTree tree;
    const App app(tree / L"program");
    const UniqueWinEventHook hook(::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                                    &OnNameChange, app.ProcessId(), 0, WINEVENT_OUTOFCONTEXT));
    ::SendMessageTimeoutW(app.Window(), WM_NULL, 0, 0, SMTO_BLOCK, 2000, nullptr);  // Wine: sees the hook
    const HWND mark = ::GetDlgItem(app.DigestBox(), window::win32::kIdVerdictMark);
    WriteBytes(tree / L"foo.tar.gz", "hello");
    for (const std::wstring said : {L"matches foo.tar.gz.md5", L"DOES NOT MATCH foo.tar.gz.md5"}) {
        WriteBytes(tree / L"foo.tar.gz.md5",
                   std::string("5d41402abc4b2a76b9719d911017c59") + (said[0] == 'm' ? "2" : "3"));
        app.SetFileName((tree / L"foo.tar.gz").wstring());
        EXPECT_TRUE(WaitFor([&] {  // the hook's calls come as sent messages
            MSG message{};
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
            return std::ranges::count(namesHeard, L"Pellwick \u2013 " + said) > 0;
        }));
        RECT place{};  // inside the margin that keeps the digits clear
        ::GetClientRect(mark, &place);
        EXPECT_TRUE(::IsWindowVisible(mark) && place.right > 0 &&
                    place.right <= HIWORD(::SendMessageW(app.DigestBox(), EM_GETMARGINS, 0, 0)));
        EXPECT_EQ(WindowText(mark), L"The package " + said + L".");  // a static control's accessible name
        const std::wstring details = L"Verdict details: The package " + said + L".\n\n" + app.DigestTip();
        const std::pair<HWND, std::vector<int>> ways[] = {
            {app.DigestBox(), {VK_MENU, VK_RETURN, -VK_RETURN, -VK_MENU}},
            {app.FileNameBox(), {VK_MENU, VK_RETURN, -VK_RETURN, -VK_MENU}},
            {app.DigestBox(),
             {VK_SHIFT, VK_F10, -VK_F10, -VK_SHIFT, VK_UP, -VK_UP, VK_RETURN, -VK_RETURN}}};  // the menu's last entry
        for (const auto& [box, keys] : ways) EXPECT_EQ(DetailsBy(app, box, keys), details);
    }
    EXPECT_TRUE(app.HasModuleLoaded(L"uiautomationcore.dll"));  // looked in, and the verdicts came
}

}  // namespace
}  // namespace testwin
