// The verdict in the Windows window: caption, the digest box's colour and tooltip, from checksum
// files beside the package, the clipboard (set from this process), the command line and a drop; a
// clipboard owner that does not answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "app.h"
#include "runtime/paths.h"
#include "support.h"
#include "window/frmMain.h"

namespace testwin {
namespace {

const std::wstring kMatches = L"Pellwick \u2013 matches ", kDiffers = L"Pellwick \u2013 DOES NOT MATCH ";
const std::string kDigest = SystemMd5("hello");  // {H} below; {h} in lower case, {w} one digit off

std::string Filled(std::string text) {
    for (const auto& [from, to] : {std::pair{"{h}", "5d41402abc4b2a76b9719d911017c592"},
                                   {"{H}", kDigest.c_str()},
                                   {"{w}", "5d41402abc4b2a76b9719d911017c593"}}) {
        for (auto at = text.find(from); at != std::string::npos; at = text.find(from)) text.replace(at, 3, to);
    }
    return text;
}

// A folder of its own with foo.tar.gz and the files given.
std::filesystem::path Package(const TempTree& tree, const std::vector<std::pair<std::wstring, std::string>>& files) {
    static int count = 0;
    const auto folder = tree / std::to_wstring(++count);
    std::filesystem::create_directories(folder);
    for (const auto& [name, content] : files) WriteBytes(folder / name, Filled(content));
    WriteBytes(folder / L"foo.tar.gz", "hello");
    return folder / L"foo.tar.gz";
}

void ExpectVerdict(const App& app, const std::wstring& caption) {
    // A digest started by the command line or a drop runs while the window answers: wait for it.
    WaitFor([&] { return app.Digest() == Wide(kDigest) && WindowText(app.Window()) == caption; });
    EXPECT_EQ(WindowText(app.Window()), caption);
    EXPECT_EQ(app.Digest(), Wide(kDigest));
    const bool none = caption == L"Pellwick";
    const COLORREF system = ::GetSysColor(COLOR_WINDOW);
    const unsigned expected = none ? (GetRValue(system) << 16) | (GetGValue(system) << 8) | GetBValue(system)
                              : caption.starts_with(kMatches) ? window::kMatchBackground
                                                              : window::kMismatchBackground;
    RECT box{};  // its background, right of the digits
    ::GetWindowRect(app.DigestBox(), &box);
    ::MapWindowPoints(nullptr, app.Window(), reinterpret_cast<POINT*>(&box), 2);
    const int mark = HIWORD(::SendMessageW(app.DigestBox(), EM_GETMARGINS, 0, 0));
    EXPECT_TRUE(WaitFor(
        [&] {
            return ScreenColourAt(app.Window(), {box.right - mark - 8, (box.top + box.bottom) / 2}) == expected;
        },
        std::chrono::seconds(2)));
    EXPECT_EQ(app.DigestTip().find(Wide(kDigest.substr(0, 31))) != std::wstring::npos, !none)
        << Narrow(app.DigestTip());
}

TEST(VerdictTest, ChecksumFilesTheClipboardTheCommandLineAndADrop) {
    SetInstallerDirectory(nullptr);
    const TempTree tree;
    const App app(tree / L"program");
    const struct {
        std::vector<std::pair<std::wstring, std::string>> files;
        std::string clipboard;
        std::wstring caption;
    } cases[] = {
        {{{L"foo.tar.gz.md5", "{H}\r\n"}}, "", kMatches + L"foo.tar.gz.md5"},
        {{{L"md5sums", "{h}  FOO.TAR.GZ\n"}}, "", kMatches + L"md5sums"},  // any case, read once
        {{{L"MD5SUMS", "{w}  foo.tar.gz\n"}}, "", kDiffers + L"MD5SUMS"},
        {{{L"MD5SUMS", "{w}  bar.tar.gz\n"}}, "", L"Pellwick"},
        {{}, " {H}\r\n", kMatches + L"clipboard"},
        {{}, "{w}", kDiffers + L"clipboard"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.caption) + " " + c.clipboard);
        SetClipboardText(Wide(Filled(c.clipboard)));
        app.SetFileName(Package(tree, c.files).wstring());
        ExpectVerdict(app, c.caption);
    }
    SetClipboardText(L"");
    app.SetFileName(L"");
    EXPECT_EQ(WindowText(app.Window()), L"Pellwick");
    EXPECT_EQ(app.DigestTip(), L"");

    const auto package = Package(tree, {{L"release.md5", "{h}  missing.tar.gz\n{h}  foo.tar.gz\n"}});
    for (const std::wstring argument : {L"foo.tar.gz", L"release.md5"}) {
        const App started(tree / L"program2", package.parent_path(), true, {argument});
        EXPECT_TRUE(SameText(started.FileName(), package.wstring())) << Narrow(started.FileName());
        ExpectVerdict(started, argument == L"foo.tar.gz" ? L"Pellwick" : kMatches + L"release.md5");
    }
    app.DropFile((package.parent_path() / L"release.md5").wstring());
    EXPECT_TRUE(SameText(app.FileName(), package.wstring())) << Narrow(app.FileName());
    ExpectVerdict(app, kMatches + L"release.md5");
    // A digest the person edits has no verdict.
    ::SendMessageW(app.DigestBox(), WM_CHAR, L'0', 1);
    EXPECT_EQ(WindowText(app.Window()), L"Pellwick");
    EXPECT_EQ(app.DigestTip(), L"");
}

// The publisher's signature beside a list, checked by the gpgv.exe beside the program against the
// keyring in the person's %APPDATA%\gnupg (runtime_tests has every kind of signature).
TEST(VerdictTest, AListsSignatureIsCheckedByTheGpgvBesideTheProgram) {
    const char* list = std::getenv("PELLWICK_SIGNATURES");
    if (list == nullptr) GTEST_SKIP() << "no gpgv.exe was built";
    std::string fixture = std::string(list).substr(0, std::string(list).rfind('/'));
    std::replace(fixture.begin(), fixture.end(), '/', '\\');
    const fs::path signatures = L"Z:" + Wide(fixture), home = Wide(runtime::GnupgHome());
    fs::create_directories(home);
    fs::copy_file(signatures / L"person" / L"pubring.kbx", home / L"pubring.kbx", fs::copy_options::overwrite_existing);
    const runtime::ScopeGuard removeKeyring([&home] { fs::remove(home / L"pubring.kbx"); });
    SetInstallerDirectory(nullptr);
    SetClipboardText(L"");
    const TempTree tree;
    fs::copy(signatures / L"detached-asc", tree / L"list");
    fs::create_directories(tree / L"program");
    fs::copy_file(ProgramUnderTest().parent_path() / L"gpgv.exe", tree / L"program" / L"gpgv.exe");
    const App app(tree / L"program");
    app.SetFileName((tree / L"list" / L"foo.tar.gz").wstring());
    EXPECT_EQ(WindowText(app.Window()), kMatches + L"SHA256SUMS (SHA-256, signed by Pellwick Signer)")
        << Narrow(app.DigestTip());
}

// An owner that renders the clipboard's text only when asked, and is then too busy to answer: the
// digest still shows, after a second at most, and the tooltip says the clipboard was passed over.
TEST(VerdictTest, AClipboardOwnerThatDoesNotAnswerHoldsUpNothing) {
    SetInstallerDirectory(nullptr);
    const TempTree tree;
    WriteBytes(tree / L"foo.tar.gz", "hello");
    WriteBytes(tree / L"foo.tar.gz.md5", Filled("{h}\n"));
    const App app(tree / L"program");
    const runtime::win32::UniqueHandle offered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread owner([offered = offered.Get()] {
        const HWND window =
            ::CreateWindowExW(0, L"STATIC", L"owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ::OpenClipboard(window);
        ::EmptyClipboard();
        ::SetClipboardData(CF_UNICODETEXT, nullptr);  // rendered when asked, by a thread that sleeps
        ::CloseClipboard();
        ::SetEvent(offered);
        std::this_thread::sleep_for(std::chrono::seconds(4));
        ::DestroyWindow(window);
    });
    ::WaitForSingleObject(offered.Get(), 5000);
    const auto start = std::chrono::steady_clock::now();
    app.SetFileName((tree / L"foo.tar.gz").wstring());
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(2500));
    EXPECT_EQ(app.Digest(), Wide(kDigest));
    EXPECT_EQ(WindowText(app.Window()), kMatches + L"foo.tar.gz.md5");
    EXPECT_NE(app.DigestTip().find(L"Passed over the clipboard"), std::wstring::npos) << Narrow(app.DigestTip());
    owner.join();
}

}  // namespace
}  // namespace testwin
