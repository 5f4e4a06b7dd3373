// The window as it opens: frame, geometry at the DPI in force, labels, tab order, focus,
// and what the load handler puts into the boxes; asked for its usage or version, a message box
// and no window.
#include <gtest/gtest.h>

#include "app.h"
#include "support.h"
#include "window/frmMain.h"

namespace testwin {
namespace {

using namespace window::win32;

UINT DpiOf(HWND window) {
    using Fn = UINT(WINAPI*)(HWND);
    const auto proc = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    const auto getDpi = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
    if (getDpi != nullptr && getDpi(window) != 0) return getDpi(window);
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

void PressKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> inputs;
    for (const auto& [key, down] : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

class StartupTest : public ::testing::Test {
protected:
    void TearDown() override { SetInstallerDirectory(nullptr); }
    TempTree tree_;
};

TEST_F(StartupTest, FixedToolWindowAtTwipsGeometryWithLabelsTabOrderAndFocus) {
    SetInstallerDirectory(nullptr);
    const App app(tree_ / L"program");
    const HWND w = app.Window();

    EXPECT_EQ(WindowText(w), L"Pellwick");
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_EXSTYLE));
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "a tool window has no taskbar button";
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU) << "close box";
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "not resizable";

    const UINT dpi = DpiOf(w);
    const auto px = [dpi](int twips) { return ::MulDiv(twips, static_cast<int>(dpi), 1440); };
    RECT client{};
    ::GetClientRect(w, &client);
    EXPECT_EQ(client.right, px(7335));
    EXPECT_EQ(client.bottom, px(855));

    struct Expected {
        int id;
        const wchar_t* kind;
        int left, top, width, height;
    } const expected[] = {
        {kIdFindFileName, L"Button", 6960, 120, 255, 255},
        {kIdFileName, L"Edit", 720, 120, 6135, 285},
        {kIdMD5, L"Edit", 720, 480, 6495, 285},
        {kIdLabel1, L"Static", 120, 480, 615, 255},
        {kIdLabelFile, L"Static", 120, 120, 615, 255},
    };
    for (const auto& e : expected) {
        const HWND control = app.Control(e.id);
        ASSERT_NE(control, nullptr) << e.id;
        wchar_t cls[32] = {};
        ::GetClassNameW(control, cls, 32);
        EXPECT_TRUE(SameText(cls, e.kind)) << e.id;
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, px(e.left)) << e.id;
        EXPECT_EQ(r.top, px(e.top)) << e.id;
        EXPECT_EQ(r.right - r.left, px(e.width)) << e.id;
        EXPECT_EQ(r.bottom - r.top, px(e.height)) << e.id;
    }
    EXPECT_EQ(WindowText(app.BrowseButton()), L"...");

    // Each label comes right before its box, which makes it the box's accessible name.
    EXPECT_EQ(::GetWindow(app.FileNameBox(), GW_HWNDPREV), app.Control(kIdLabelFile));
    EXPECT_EQ(::GetWindow(app.DigestBox(), GW_HWNDPREV), app.Control(kIdLabel1));
    EXPECT_EQ(WindowText(app.Control(kIdLabelFile)), L"File:");
    EXPECT_EQ(WindowText(app.Control(kIdLabel1)), L"MD5:");

    // Start-up: the documents folder, no digest, the focus in the digest box.
    EXPECT_TRUE(SameText(WithoutTrailingSeparator(app.FileName()), WithoutTrailingSeparator(DocumentsFolder())))
        << Narrow(app.FileName());
    EXPECT_EQ(app.Digest(), L"");
    EXPECT_EQ(app.Focus(), app.DigestBox());

    // Real keystrokes: Tab forward through the three, Shift+Tab back.
    ::SetForegroundWindow(w);
    const HWND forward[] = {app.FileNameBox(), app.BrowseButton(), app.DigestBox()};
    for (const HWND next : forward) {
        PressKeys({{VK_TAB, true}, {VK_TAB, false}});
        EXPECT_TRUE(WaitFor([&] { return app.Focus() == next; }, std::chrono::seconds(3))) << "Tab";
    }
    const HWND backward[] = {app.BrowseButton(), app.FileNameBox(), app.DigestBox()};
    for (const HWND next : backward) {
        PressKeys({{VK_SHIFT, true}, {VK_TAB, true}, {VK_TAB, false}, {VK_SHIFT, false}});
        EXPECT_TRUE(WaitFor([&] { return app.Focus() == next; }, std::chrono::seconds(3))) << "Shift+Tab";
    }
}

TEST_F(StartupTest, StoredDirectoryFillsTheFileNameBoxWhetherOrNotItExists) {
    const std::wstring existing = tree_.Path().wstring();
    const std::wstring missing = (tree_ / L"not here").wstring();
    for (const auto& dir : {existing, missing}) {
        SetInstallerDirectory(dir.c_str());
        const App app(tree_ / L"program");
        EXPECT_EQ(app.FileName(), dir);
        EXPECT_EQ(app.Digest(), L"");
    }
    // An empty stored text is a stored value: the box stays empty.
    SetInstallerDirectory(L"");
    const App app(tree_ / L"program");
    EXPECT_EQ(app.FileName(), L"");
}

TEST_F(StartupTest, StoredPackageIsDigestedAtStartUp) {
    const auto package = tree_ / L"start.tar.gz";
    const std::string content = SampleContent(5000, 1);
    WriteBytes(package, content);
    SetInstallerDirectory(package.c_str());
    const App app(tree_ / L"program");
    EXPECT_EQ(app.Digest(), Wide(SystemMd5(content)));
}

TEST_F(StartupTest, HelpAndVersionAreShownInAMessageBoxThatEndsTheProgram) {
    std::filesystem::create_directories(tree_ / L"program");
    const auto exe = tree_ / L"program" / L"Pellwick.exe";
    std::filesystem::copy_file(ProgramUnderTest(), exe);
    const struct {
        const wchar_t* argument;
        std::string text;
    } cases[] = {{L"/?", window::frmMain::Usage()},
                 {L"--help", window::frmMain::Usage()},
                 {L"--version", "Pellwick " PELLWICK_VERSION}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.argument));
        std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + c.argument;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                     &startup, &info));
        const runtime::win32::UniqueHandle process(info.hProcess), thread(info.hThread);
        HWND box = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (box = ShownWindowOf(info.dwProcessId, L"#32770")) != nullptr; }));
        EXPECT_EQ(ShownWindowOf(info.dwProcessId, window::win32::kWindowClass), nullptr);
        std::wstring shown = DialogMessage(box);
        std::erase(shown, L'\r');
        EXPECT_NE(shown.find(Wide(c.text)), std::wstring::npos) << Narrow(shown);
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ASSERT_EQ(::WaitForSingleObject(process.Get(), 10000), WAIT_OBJECT_0);
        DWORD code = 1;
        EXPECT_TRUE(::GetExitCodeProcess(process.Get(), &code));
        EXPECT_EQ(code, 0u);
    }
}

}  // namespace
}  // namespace testwin
