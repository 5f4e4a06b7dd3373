// The verdict in the Windows window: caption, the digest box's colour and tooltip, from checksum
// files beside the package, the clipboard (set from this process), the command line and a drop.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app.h"
#include "support.h"
#include "window/frmMain.h"

namespace testwin {
namespace {

const std::wstring kMatches = L"Pellwick \u2013 matches ", kDiffers = L"Pellwick \u2013 DOES NOT MATCH ";

class VerdictTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetInstallerDirectory(nullptr);
        tree_ = new TempTree;
        app_ = new App(*tree_ / L"program");
    }
    static void TearDownTestSuite() {
        SetClipboardText(L"");
        delete app_;
        delete tree_;
    }
    // A folder with foo.tar.gz and the files given; {h}/{H} stand for its digest in lower and
    // upper case, {w} for one digit off.
    static std::filesystem::path Folder(const std::vector<std::pair<std::wstring, std::string>>& files) {
        static int count = 0;
        const auto folder = *tree_ / std::to_wstring(++count);
        std::filesystem::create_directories(folder);
        WriteBytes(folder / L"foo.tar.gz", "hello");
        for (const auto& [name, content] : files) WriteBytes(folder / name, Filled(content));
        return folder;
    }
    static std::string Filled(std::string text) {
        std::string upper = SystemMd5("hello"), lower = upper, other = upper;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        other[31] = other[31] == '0' ? '1' : '0';
        for (const auto& [from, to] : {std::pair{"{h}", lower}, {"{H}", upper}, {"{w}", other}}) {
            for (auto at = text.find(from); at != std::string::npos; at = text.find(from)) text.replace(at, 3, to);
        }
        return text;
    }
    // The digest box's background, away from its text.
    static unsigned DigestBackground(const App& app) {
        RECT box{};
        ::GetClientRect(app.DigestBox(), &box);
        ::MapWindowPoints(app.DigestBox(), app.Window(), reinterpret_cast<POINT*>(&box), 2);
        return ScreenColourAt(app.Window(), {box.right - 6, (box.top + box.bottom) / 2});
    }
    static void ExpectVerdict(const App& app, const std::wstring& caption) {
        EXPECT_TRUE(WaitFor([&] { return WindowText(app.Window()) == caption; }, std::chrono::seconds(2)))
            << Narrow(WindowText(app.Window()));
        const bool none = caption == L"Pellwick";
        const COLORREF system = ::GetSysColor(COLOR_WINDOW);
        const unsigned expected = none ? (GetRValue(system) << 16) | (GetGValue(system) << 8) | GetBValue(system)
                                  : caption.starts_with(kMatches) ? window::kMatchBackground
                                                                  : window::kMismatchBackground;
        EXPECT_TRUE(WaitFor([&] { return DigestBackground(app) == expected; }, std::chrono::seconds(2)))
            << std::hex << DigestBackground(app) << " for " << expected;
        const std::wstring tip = app.DigestTip();
        EXPECT_EQ(tip.find(L"line") != std::wstring::npos || tip.find(L"clipboard") != std::wstring::npos, !none)
            << Narrow(tip);
    }

    static TempTree* tree_;
    static App* app_;
};
TempTree* VerdictTest::tree_ = nullptr;
App* VerdictTest::app_ = nullptr;

TEST_F(VerdictTest, ChecksumFilesAndTheClipboardGiveTheVerdict) {
    const struct {
        const char* what;
        std::vector<std::pair<std::wstring, std::string>> files;
        std::string clipboard;
        std::wstring caption;
    } cases[] = {
        {"NAME.md5, GNU", {{L"foo.tar.gz.md5", "{h}  foo.tar.gz\n"}}, "", kMatches + L"foo.tar.gz.md5"},
        {"NAME.md5, bare", {{L"foo.tar.gz.md5", "{H}\r\n"}}, "", kMatches + L"foo.tar.gz.md5"},
        {"MD5SUMS, GNU", {{L"MD5SUMS", "{w}  bar.tar.gz\n{h} *foo.tar.gz\n"}}, "", kMatches + L"MD5SUMS"},
        {"MD5SUMS, BSD, CRLF", {{L"MD5SUMS", "MD5 (foo.tar.gz) = {H}\r\n"}}, "", kMatches + L"MD5SUMS"},
        {"md5sums, any case, once", {{L"md5sums", "{h}  FOO.TAR.GZ\n"}}, "", kMatches + L"md5sums"},
        {"one digit off", {{L"MD5SUMS", "{w}  foo.tar.gz\n"}}, "", kDiffers + L"MD5SUMS"},
        {"a list not naming it", {{L"MD5SUMS", "{w}  bar.tar.gz\n"}}, "", L"Pellwick"},
        {"clipboard", {}, " {H}\r\n", kMatches + L"clipboard"},
        {"clipboard one off", {}, "{w}", kDiffers + L"clipboard"},
        {"unrelated clipboard", {}, "Release notes", L"Pellwick"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetClipboardText(Wide(Filled(c.clipboard)));
        app_->SetFileName((Folder(c.files) / L"foo.tar.gz").wstring());
        EXPECT_EQ(app_->Digest(), Wide(SystemMd5("hello")));
        ExpectVerdict(*app_, c.caption);
    }
    SetClipboardText(L"");
    app_->SetFileName((Folder({{L"foo.tar.gz.md5", "{h}\n"}}) / L"foo.tar.gz").wstring());
    ExpectVerdict(*app_, kMatches + L"foo.tar.gz.md5");
    app_->SetFileName(L"");
    EXPECT_EQ(app_->Digest(), L"");
    ExpectVerdict(*app_, L"Pellwick");
}

TEST_F(VerdictTest, CommandLineAndDropTakeAPackageOrAChecksumFile) {
    const auto folder = Folder({{L"release.md5", "{h}  missing.tar.gz\n{h}  foo.tar.gz\n"}});
    const auto package = folder / L"foo.tar.gz";
    for (const std::wstring argument : {L"foo.tar.gz", L"release.md5"}) {
        SCOPED_TRACE(Narrow(argument));
        const App app(*tree_ / L"program2", folder, true, {argument});
        EXPECT_TRUE(SameText(app.FileName(), package.wstring())) << Narrow(app.FileName());
        EXPECT_EQ(app.Digest(), Wide(SystemMd5("hello")));
        ExpectVerdict(app, argument == L"foo.tar.gz" ? L"Pellwick" : kMatches + L"release.md5");
    }
    app_->SetFileName(L"");
    app_->DropFile((folder / L"release.md5").wstring());
    EXPECT_TRUE(SameText(app_->FileName(), package.wstring())) << Narrow(app_->FileName());
    ExpectVerdict(*app_, kMatches + L"release.md5");
}

}  // namespace
}  // namespace testwin
