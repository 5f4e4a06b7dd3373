// The verdict behind the fake view: real checksum files beside a real package, the clipboard's
// text, the command line and drops. Every rule here; the GUI tests check that the windows show it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/fake_view.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::FakeView;
using verify::Verdict;

const std::string kMatches = "Pellwick \u2013 matches ", kDiffers = "Pellwick \u2013 DOES NOT MATCH ";

class VerdictTest : public ::testing::Test {
protected:
    VerdictTest() : package_(dir_ / "foo.tar.gz") {
        testsupport::WriteFile(package_, "hello");
        hex_ = testsupport::Md5sumOf(package_);
        digest_ = testsupport::AsciiUpper(hex_);
        other_ = hex_;
        other_[31] = other_[31] == '0' ? '1' : '0';
    }
    // {h}, {H}: the package's digest in lower and upper case; {w}: one digit off.
    std::string Filled(std::string text) const {
        for (const auto& [from, to] : {std::pair{"{h}", hex_}, {"{H}", digest_}, {"{w}", other_}}) {
            for (auto at = text.find(from); at != std::string::npos; at = text.find(from)) text.replace(at, 3, to);
        }
        return text;
    }
    void Write(const std::string& name, const std::string& content) const {
        testsupport::WriteFile(dir_ / name, Filled(content));
    }
    testsupport::TempDir dir_;
    std::string package_, hex_, digest_, other_;
};

TEST_F(VerdictTest, SourcesBesideThePackageAndOnTheClipboardGiveTheCaption) {
    const std::string big(600 << 10, '#');
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;
        std::string clipboard, caption;
    } cases[] = {
        {"no source", {}, "", "Pellwick"},
        {"NAME.md5, GNU", {{"foo.tar.gz.md5", "{h}  foo.tar.gz\n"}}, "", kMatches + "foo.tar.gz.md5"},
        {"NAME.md5, bare", {{"foo.tar.gz.md5", "\xEF\xBB\xBF{H}\r\n"}}, "", kMatches + "foo.tar.gz.md5"},
        {"NAME.md5sum, BSD", {{"foo.tar.gz.md5sum", "MD5 (foo.tar.gz) = {h}"}}, "", kMatches + "foo.tar.gz.md5sum"},
        {"MD5SUMS, CRLF, upper",
         {{"MD5SUMS", "{w}  bar.tar.gz\r\nMD5 (foo.tar.gz) = {H}\r\n"}},
         "",
         kMatches + "MD5SUMS"},
        {"one digit off", {{"md5sums.txt", "{w} *foo.tar.gz\n"}}, "", kDiffers + "md5sums.txt"},
        {"one of two disagrees",
         {{"foo.tar.gz.md5", "{h}\n"}, {"MD5SUMS.txt", "{w}  foo.tar.gz\n"}},
         "",
         kDiffers + "MD5SUMS.txt"},
        {"two entries disagree", {{"MD5SUMS", "{h}  foo.tar.gz\n{w}  ./foo.tar.gz\n"}}, "", kDiffers + "MD5SUMS"},
        {"all agree, in order",
         {{"md5sums", "{h}  foo.tar.gz\n"},
          {"MD5SUMS", "{h}  foo.tar.gz\n"},
          {"foo.tar.gz.md5sum", "{h}\n"},
          {"foo.tar.gz.md5", "{h}\n"}},
         "{h}",
         kMatches + "foo.tar.gz.md5, foo.tar.gz.md5sum, MD5SUMS, md5sums, clipboard"},
        {"lists naming others", {{"MD5SUMS", "{h}  bar.tar.gz\n{w}  sub/foo.tar.gz\n"}}, "", "Pellwick"},
        {"bare digests not for it", {{"MD5SUMS", "{w}\n"}, {"bar.tar.gz.md5", "{w}\n"}}, "", "Pellwick"},
        {"garbage, NULs and a long line first",
         {{"MD5SUMS", "\x01\xff\0\0garbage\n" + std::string(100000, 'x') + "\n{h}  foo.tar.gz\n"}},
         "",
         kMatches + "MD5SUMS"},
        {"beyond 1 MiB", {{"MD5SUMS", big + "\n" + big + "\n{w}  foo.tar.gz\n"}}, "", "Pellwick"},
        {"cut at 1 MiB", {{"MD5SUMS", std::string((1 << 20) - 45, '#') + "\n{w}  foo.tar.gz.sig\n"}}, "", "Pellwick"},
        {"clipboard digest", {}, "  {H}\r\n", kMatches + "clipboard"},
        {"clipboard digest one off", {}, "{w}", kDiffers + "clipboard"},
        {"clipboard line", {}, "{h} *foo.tar.gz", kMatches + "clipboard"},
        {"clipboard line for another", {}, "{h}  bar.tar.gz", "Pellwick"},
        {"clipboard of two lines", {}, "{h}\n{h}", "Pellwick"},
        {"unrelated clipboard", {}, "Release notes for foo 1.0", "Pellwick"},
        {"clipboard over 4 KiB", {}, "{h}" + std::string(5000, ' '), "Pellwick"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const testsupport::TempDir folder;
        const std::string package = folder / "foo.tar.gz";
        testsupport::WriteFile(package, "hello");
        for (const auto& [name, content] : c.files) testsupport::WriteFile(folder / name, Filled(content));
        FakeView view;
        view.clipboard = Filled(c.clipboard);
        view.SetFileNameText(package);
        EXPECT_EQ(view.digest, digest_);
        EXPECT_EQ(view.caption, c.caption);
        EXPECT_EQ(view.verdict, c.caption == "Pellwick"           ? Verdict::kNone
                                : c.caption.starts_with(kMatches) ? Verdict::kMatch
                                                                  : Verdict::kMismatch);
        EXPECT_EQ(view.detail.empty(), view.verdict == Verdict::kNone);
        EXPECT_TRUE(view.errors.empty()) << view.errors.front();
    }
}

TEST_F(VerdictTest, UnreadableSourcesAreSkippedQuietly) {
    ASSERT_EQ(::mkdir((dir_ / "MD5SUMS").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo((dir_ / "md5sums").c_str(), 0644), 0);  // never opened for a blocking read
    Write("foo.tar.gz.md5", "{w}  foo.tar.gz\n");
    ASSERT_EQ(::chmod((dir_ / "foo.tar.gz.md5").c_str(), 0), 0);
    Write("foo.tar.gz.md5sum", "{h}  foo.tar.gz\n");
    Write("bar.tar.gz", "bar");
    FakeView view;
    view.SetFileNameText(dir_ / "bar.tar.gz");  // the engine in place before the user changes
    {
        const testsupport::Unprivileged asUser;
        view.SetFileNameText(package_);
    }
    EXPECT_EQ(view.digest, digest_);
    EXPECT_EQ(view.caption, kMatches + "foo.tar.gz.md5sum");
    EXPECT_EQ(view.detail, "Matches " + (dir_ / "foo.tar.gz.md5sum") + ", line 1: " + digest_);
    EXPECT_TRUE(view.errors.empty()) << view.errors.front();
}

TEST_F(VerdictTest, TheVerdictGoesWithItsDigestOnly) {
    Write("MD5SUMS", "{h}  foo.tar.gz\n");
    Write("notes.txt", "notes");
    Write("bar.tar.gz", "bar");
    const std::string locked = dir_ / "locked.tar.gz";
    Write("locked.tar.gz", "locked");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    const std::string bar = testsupport::AsciiUpper(testsupport::Md5sumOf(dir_ / "bar.tar.gz"));
    FakeView view;
    const struct {
        std::string text, caption, digest;
    } steps[] = {
        {package_, kMatches + "MD5SUMS", digest_},
        {dir_ / "notes.txt", kMatches + "MD5SUMS", digest_},  // another ending keeps digest and verdict
        {dir_ / "missing", "Pellwick", ""},
        {package_, kMatches + "MD5SUMS", digest_},
        {dir_ / "bar.tar.gz", "Pellwick", bar},
        {package_, kMatches + "MD5SUMS", digest_},
        {locked, "Pellwick", ""},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.text);
        std::optional<testsupport::Unprivileged> asUser;
        if (step.text == locked) asUser.emplace();
        view.SetFileNameText(step.text);
        EXPECT_EQ(view.caption, step.caption);
        EXPECT_EQ(view.verdict == Verdict::kNone, step.caption == "Pellwick");
        EXPECT_EQ(view.digest, step.digest);
    }
    EXPECT_EQ(view.errors.size(), 1u) << "the locked package";
    EXPECT_EQ(view.detail, "");
}

TEST_F(VerdictTest, CommandLineAndDropsTakeChecksumFilesAndPackages) {
    Write("bar.tar.gz", "bar");
    Write("list.md5", "{h}  missing.tar.gz\n{h}  sub/../foo.tar.gz\n{h}  bar.tar.gz\n");
    Write("foo.tar.gz.md5", "{H}\n");
    ::mkdir((dir_ / "sub").c_str(), 0755);
    Write("sub/MD5SUMS", "{h}  missing.tar.gz\n");
    char* const cwd = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(dir_.Path().c_str()), 0);
    const struct {
        std::vector<std::string> arguments;
        bool dropped;
        std::string fileName, caption;
    } cases[] = {
        {{"foo.tar.gz"}, false, package_, kMatches + "foo.tar.gz.md5"},
        {{"foo.tar.gz.md5"}, false, package_, kMatches + "foo.tar.gz.md5"},  // named and beside: once
        {{"list.md5"}, false, dir_ / "sub/../foo.tar.gz", kMatches + "list.md5, foo.tar.gz.md5"},
        {{dir_ / "list.md5"}, true, dir_ / "sub/../foo.tar.gz", kMatches + "list.md5, foo.tar.gz.md5"},
        {{dir_ / "sub/MD5SUMS"}, true, dir_ / "sub/MD5SUMS", "Pellwick"},  // lists nothing that exists
        {{package_}, true, package_, kMatches + "foo.tar.gz.md5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments[0]);
        FakeView view;
        if (c.dropped) {
            view.form.OnFileDropped(c.arguments[0]);
        } else {
            view.form.OnArguments(c.arguments);
        }
        EXPECT_EQ(view.fileName, c.fileName);
        EXPECT_EQ(view.caption, c.caption);
        EXPECT_TRUE(view.errors.empty()) << view.errors.front();
    }
    // The named list goes on counting for the other package it lists.
    FakeView view;
    view.form.OnArguments({"list.md5"});
    view.SetFileNameText(dir_ / "bar.tar.gz");
    EXPECT_EQ(view.caption, kDiffers + "list.md5");

    FakeView twoArguments;
    twoArguments.form.OnArguments({"foo.tar.gz", "list.md5"});
    EXPECT_EQ(twoArguments.errors, std::vector<std::string>{window::frmMain::kUsage});
    EXPECT_EQ(twoArguments.fileName, "");
    EXPECT_EQ(::chdir(cwd), 0);
    ::free(cwd);
}

}  // namespace
