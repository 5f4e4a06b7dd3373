// The verdict for everyone in the Windows window, watched from outside: a WinEvent listener hears
// the window's new name on each verdict; the mark sits at the digest box's right end, clear of the
// text, named by the verdict; the details' box from Alt+Enter in either box and from the digest
// box's menu (Shift+F10); nothing without a verdict; UI Automation's notification, missing from
// Wine 8, passed over quietly.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "app.h"
#include "support.h"

// After <windows.h>, which app.h brings in.
// clang-format off
#include <oleacc.h>
// clang-format on

namespace testwin {
namespace {

using UniqueWinEventHook = runtime::UniqueResource<HWINEVENTHOOK, &::UnhookWinEvent>;

// The window's names that a WinEvent listener saw, read as each event came.
std::vector<std::wstring> namesHeard;
HWND watched = nullptr;

void CALLBACK OnNameChange(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window != watched || object != OBJID_WINDOW || child != CHILDID_SELF) return;
    // Read from the system's copy: no message to a program that may be busy answering ours.
    wchar_t name[256] = {};
    ::GetWindowTextW(window, name, 256);
    namesHeard.emplace_back(name);
}

// Lets the hook's calls in (they come as sent messages) until the window's name has been heard.
bool Heard(const std::wstring& name) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::find(namesHeard.begin(), namesHeard.end(), name) == namesHeard.end()) {
        if (std::chrono::steady_clock::now() > end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
    return true;
}

// The name that screen readers take for the window's object, through the system's oleacc.dll.
std::wstring AccessibleName(HWND window) {
    wchar_t path[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    const UniqueModule oleacc(::LoadLibraryExW((std::wstring(path, length) + L"\\oleacc.dll").c_str(), nullptr, 0));
    using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    const auto fromWindow = reinterpret_cast<FromWindow>(
        reinterpret_cast<void (*)()>(::GetProcAddress(oleacc.Get(), "AccessibleObjectFromWindow")));
    IAccessible* object = nullptr;
    if (fromWindow == nullptr || FAILED(fromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&object)))) {
        return L"(none)";
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring text = object->get_accName(self, &name) == S_OK && name != nullptr ? name : L"(unnamed)";
    ::SysFreeString(name);
    object->Release();
    return text;
}

// The keys pressed together, then released in turn from the last.
void Press(std::initializer_list<WORD> chord) {
    std::vector<INPUT> inputs;
    const auto add = [&inputs](WORD key, DWORD flags) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        in.ki.dwFlags = flags;
        inputs.push_back(in);
    };
    for (const WORD key : chord) add(key, 0);
    for (auto key = std::rbegin(chord); key != std::rend(chord); ++key) add(*key, KEYEVENTF_KEYUP);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The keyboard's focus in that box, as a click would put it.
void FocusOn(const App& app, HWND box) {
    ::SetForegroundWindow(app.Window());
    ::AttachThreadInput(::GetCurrentThreadId(), app.ThreadId(), TRUE);
    ::SetFocus(box);
    ::AttachThreadInput(::GetCurrentThreadId(), app.ThreadId(), FALSE);
}

// The program's popup menu, once it tracks it; null when it shows none.
HWND OpenMenu(const App& app) {
    HWND menu = nullptr;
    WaitFor([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        menu = ::FindWindowW(L"#32768", nullptr);
        return ::GetGUIThreadInfo(app.ThreadId(), &info) && (info.flags & GUI_INMENUMODE) != 0 && menu != nullptr &&
               ::IsWindowVisible(menu);
    });
    return menu;
}

// The details' box that the keys bring up: its message, after closing it; "" when none came.
std::wstring DetailsBy(const App& app, const std::function<void()>& keys) {
    keys();
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindOwnedDialog(app.Window())) != nullptr; })) return L"";
    const std::wstring title = WindowText(box), message = WindowText(::GetDlgItem(box, 0xFFFF));
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    WaitFor([&] { return !::IsWindow(box); });
    return title + L": " + message;
}

TEST(A11yTest, TheVerdictHeardSeenByItsMarkAndItsDetailsReachedFromTheKeyboard) {
    SetInstallerDirectory(nullptr);
    const TempTree tree;
    const App app(tree / L"program");
    watched = app.Window();
    const UniqueWinEventHook hook(::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
                                                    &OnNameChange, app.ProcessId(), 0, WINEVENT_OUTOFCONTEXT));
    ASSERT_TRUE(hook.Valid());
    // Wine's program thread learns of a new hook at its next message.
    ::SendMessageTimeoutW(app.Window(), WM_NULL, 0, 0, SMTO_BLOCK, 2000, nullptr);

    const HWND mark = ::GetDlgItem(app.DigestBox(), window::win32::kIdVerdictMark);
    for (const bool match : {true, false}) {
        const auto folder = tree / (match ? L"match" : L"mismatch");
        std::filesystem::create_directories(folder);
        WriteBytes(folder / L"foo.tar.gz", "hello");
        WriteBytes(folder / L"foo.tar.gz.md5",
                   match ? "5d41402abc4b2a76b9719d911017c592\n" : "5d41402abc4b2a76b9719d911017c593\n");
        const std::wstring said = match ? L"matches foo.tar.gz.md5" : L"DOES NOT MATCH foo.tar.gz.md5";
        app.SetFileName((folder / L"foo.tar.gz").wstring());
        EXPECT_TRUE(Heard(L"Pellwick \u2013 " + said));

        // The mark: shown at the box's right end, inside the margin that keeps the digits clear.
        RECT box{}, place{};
        ::GetClientRect(app.DigestBox(), &box);
        ::GetWindowRect(mark, &place);
        ::MapWindowPoints(nullptr, app.DigestBox(), reinterpret_cast<POINT*>(&place), 2);
        const auto rightMargin = HIWORD(::SendMessageW(app.DigestBox(), EM_GETMARGINS, 0, 0));
        EXPECT_TRUE(::IsWindowVisible(mark));
        EXPECT_EQ(place.right, box.right);
        EXPECT_GE(place.left, box.right - rightMargin);
        EXPECT_GT(place.right - place.left, 0);
        const std::wstring sentence = L"The package " + said + L".";
        EXPECT_EQ(AccessibleName(mark), sentence);

        const std::wstring details = L"Verdict details: " + sentence + L"\n\n" + app.DigestTip();
        for (const HWND where : {app.DigestBox(), app.FileNameBox()}) {
            FocusOn(app, where);
            EXPECT_EQ(DetailsBy(app, [] { Press({VK_MENU, VK_RETURN}); }), details);
        }
        FocusOn(app, app.DigestBox());
        EXPECT_EQ(DetailsBy(app,
                            [&] {
                                Press({VK_SHIFT, VK_F10});
                                const HWND menu = OpenMenu(app);
                                ::PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);  // the last entry: the details
                                ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
                            }),
                  details);
    }
    // Wine 8's UI Automation has no notifications: looked for in the system's library, and passed over.
    EXPECT_TRUE(app.HasModuleLoaded(L"uiautomationcore.dll"));

    // Without a verdict Alt+Enter opens nothing: the key typed after it reaches the box.
    app.SetFileName(L"");
    EXPECT_FALSE(::IsWindowVisible(mark));
    FocusOn(app, app.DigestBox());
    Press({VK_MENU, VK_RETURN});
    Press({'A'});
    EXPECT_TRUE(WaitFor([&] { return app.Digest() == L"a"; }));
    EXPECT_EQ(FindOwnedDialog(app.Window()), nullptr);
}

}  // namespace
}  // namespace testwin
