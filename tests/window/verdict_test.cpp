// The verdict behind the fake view: real checksum files beside a real package, the clipboard's
// text, the command line and drops. Every rule here; the GUI tests check that the windows show it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/fake_view.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::FakeView;
using verify::Verdict;

const std::string kMatches = "Pellwick \u2013 matches ", kDiffers = "Pellwick \u2013 DOES NOT MATCH ";

// A folder with foo.tar.gz ("hello") and checksum files in which {h} and {H} stand for its MD5
// in lower and upper case, {w} for one digit off, {h1}, {h256}, {H256}, {h512} for its SHA-1,
// SHA-256 and SHA-512 (from the reference tools) and {w1}, {w256}, {W256}, {w512} one digit off;
// "<dir>", "<fifo>" and "<locked>" make a folder, a FIFO and an unreadable file.
class VerdictTest : public ::testing::Test {
protected:
    VerdictTest() {
        const std::string hello = dir_ / "hello";
        testsupport::WriteFile(hello, "hello");
        for (const auto& [tool, key] : {std::pair{"sha1sum", "1"}, {"sha256sum", "256"}, {"sha512sum", "512"}}) {
            const std::string hex = testsupport::SumOf(tool, hello);
            std::string other = hex;
            other.back() = other.back() == '0' ? '1' : '0';
            fills_.push_back({std::string("{h") + key + "}", hex});
            fills_.push_back({std::string("{H") + key + "}", testsupport::AsciiUpper(hex)});
            fills_.push_back({std::string("{w") + key + "}", other});
            fills_.push_back({std::string("{W") + key + "}", testsupport::AsciiUpper(other)});
        }
        fills_.push_back({"{h}", hex_});
        fills_.push_back({"{H}", digest_});
        fills_.push_back({"{w}", other_});
    }
    std::string Package(const std::vector<std::pair<std::string, std::string>>& files) {
        const std::string folder = dir_ / std::to_string(++count_);
        ::mkdir(folder.c_str(), 0755);
        testsupport::WriteFile(folder + "/foo.tar.gz", "hello");
        for (const auto& [name, content] : files) {
            const std::string path = folder + "/" + name;
            if (content == "<dir>") ::mkdir(path.c_str(), 0755);
            if (content == "<fifo>") ::mkfifo(path.c_str(), 0644);
            if (content == "<dir>" || content == "<fifo>") continue;
            testsupport::WriteFile(path, Filled(content == "<locked>" ? "{w}  foo.tar.gz\n" : content));
            if (content == "<locked>") ::chmod(path.c_str(), 0);
        }
        return folder + "/foo.tar.gz";
    }
    std::string Filled(std::string text) const {
        for (const auto& [from, to] : fills_) {
            for (auto at = text.find(from); at != std::string::npos; at = text.find(from)) {
                text.replace(at, from.size(), to);
            }
        }
        return text;
    }
    static Verdict VerdictOf(const std::string& caption) {
        return caption == "Pellwick"           ? Verdict::kNone
               : caption.starts_with(kMatches) ? Verdict::kMatch
                                               : Verdict::kMismatch;
    }
    testsupport::TempDir dir_;
    std::vector<std::pair<std::string, std::string>> fills_;
    int count_ = 0;
    const std::string hex_ = "5d41402abc4b2a76b9719d911017c592", digest_ = testsupport::AsciiUpper(hex_),
                      other_ = "5d41402abc4b2a76b9719d911017c593";
};

TEST_F(VerdictTest, SourcesBesideThePackageAndOnTheClipboardGiveTheCaption) {
    const std::string big(600 << 10, '#');
    const std::string sha = " (SHA-256)";
    const struct {
        std::vector<std::pair<std::string, std::string>> files;
        std::string clipboard, caption;
    } cases[] = {
        {{{"SHA256SUMS", "{h256}  foo.tar.gz\n"}}, "", kMatches + "SHA256SUMS" + sha},
        {{{"SHA256SUMS", "{w256}  foo.tar.gz\n"}}, "", kDiffers + "SHA256SUMS" + sha},
        {{{"sha512sums.txt", "SHA512 (foo.tar.gz) = {H512}\n"}}, "", kMatches + "sha512sums.txt (SHA-512)"},
        {{{"SHA512SUMS", "SHA512 (foo.tar.gz) = {w512}\n"}}, "", kDiffers + "SHA512SUMS (SHA-512)"},
        {{{"foo.tar.gz.sha1", "{h1}  foo.tar.gz\n"}}, "", kMatches + "foo.tar.gz.sha1 (SHA-1)"},
        {{{"foo.tar.gz.sha256", "\xEF\xBB\xBF{W256}\r\n"}}, "", kDiffers + "foo.tar.gz.sha256" + sha},
        {{{"MD5SUMS", "{h}  foo.tar.gz\n"}, {"SHA256SUMS", "{w256}  foo.tar.gz\n"}}, "", kDiffers + "SHA256SUMS" + sha},
        {{{"CHECKSUMS", "{h}  foo.tar.gz\n{w256}  foo.tar.gz\n"}}, "", kDiffers + "CHECKSUMS" + sha},
        {{{"CHECKSUMS", "{w}  foo.tar.gz\n{h256}  foo.tar.gz\n"}}, "", kDiffers + "CHECKSUMS"},         // its MD5 too
        {{{"CHECKSUMS", "{w1}  foo.tar.gz\n{h256}  foo.tar.gz\n"}}, "", kMatches + "CHECKSUMS" + sha},  // not SHA-1
        {{{"SHA256SUMS", "{h256}  foo.tar.gz\n"}}, "{H512}", kMatches + "SHA256SUMS" + sha + ", clipboard (SHA-512)"},
        {{}, " {H256}\n", kMatches + "clipboard" + sha},
        {{}, "{h256} *foo.tar.gz", kMatches + "clipboard" + sha},
        {{}, "{w1}", kDiffers + "clipboard (SHA-1)"},
        {{}, "{H256}0", "Pellwick"},  // 65 digits
        {{}, "{h}  foo.tar.gz\n{h256}  foo.tar.gz\n", "Pellwick"},
        // Broken forms give no verdict from the broken part; a size that differs is a mismatch.
        {{{"foo.tar.gz.sha256", "-----BEGIN PGP SIGNED MESSAGE-----\nHash: SHA256\n\n- {h256}  foo.tar.gz\n"}},
         "",
         "Pellwick"},  // cut before its signature: plain lines
        {{{"p.dsc", "Checksums-Sha256:\n {h256} 5x foo.tar.gz\n {h256} 5 foo.tar.gz extra\n"}}, "", "Pellwick"},
        {{{"p.dsc", "Files:\n {h} 4 foo.tar.gz\n"}}, "", kDiffers + "p.dsc"},
        {{{"foo.tar.gz.sha512", "foo.tar.gz: 2CF24DBA 5FB0A30E\n            26E83B2A\n"}}, "", "Pellwick"},
        {{{"foo.tar.gz.md5", "\xFF\xFE{H}\x41"}}, "", "Pellwick"},  // UTF-16 read as bytes would be no digest
        {{{"a\xE2\x80\xAE"
           "checksums.txt",
           "{h}  foo.tar.gz\n"}},
         "",
         kMatches + "a<U+202E>checksums.txt"},
        {{}, "", "Pellwick"},
        {{{"foo.tar.gz.md5", "{h}  foo.tar.gz\n"}}, "", kMatches + "foo.tar.gz.md5"},
        {{{"foo.tar.gz.md5", "\xEF\xBB\xBF{H}\r\n"}}, "", kMatches + "foo.tar.gz.md5"},
        {{{"foo.tar.gz.md5sum", "MD5 (foo.tar.gz) = {h}"}}, "", kMatches + "foo.tar.gz.md5sum"},
        {{{"MD5SUMS", "{w}  bar.tar.gz\r\nMD5 (foo.tar.gz) = {H}\r\n"}}, "", kMatches + "MD5SUMS"},
        {{{"md5sums.txt", "{w} *foo.tar.gz\n"}}, "", kDiffers + "md5sums.txt"},
        {{{"foo.tar.gz.md5", "{h}\n"}, {"MD5SUMS.txt", "{w}  foo.tar.gz\n"}}, "", kDiffers + "MD5SUMS.txt"},
        {{{"MD5SUMS", "{h}  foo.tar.gz\n{w}  ./foo.tar.gz\n"}}, "", kDiffers + "MD5SUMS"},
        {{{"md5sums", "{h}  foo.tar.gz\n"},
          {"MD5SUMS", "{h}  foo.tar.gz\n"},
          {"foo.tar.gz.md5sum", "{h}"},
          {"foo.tar.gz.md5", "{h}"}},
         "{h}",
         kMatches + "foo.tar.gz.md5, foo.tar.gz.md5sum, MD5SUMS, md5sums, clipboard"},
        {{{"MD5SUMS", "{h}  bar.tar.gz\n{w}  sub/foo.tar.gz\n"}}, "", "Pellwick"},
        {{{"MD5SUMS", "{w}\n"}, {"bar.tar.gz.md5", "{w}\n"}}, "", "Pellwick"},  // bare digests, not for it
        {{{"MD5SUMS", "\x01\xff\0\0garbage\n" + std::string(100000, 'x') + "\n{h}  foo.tar.gz\n"}},
         "",
         kMatches + "MD5SUMS"},
        {{{"MD5SUMS", "{h}  foo.tar.gz\n" + big + "\n" + big + "\n{w}  foo.tar.gz\n"}}, "", kDiffers + "MD5SUMS"},
        {{{"MD5SUMS", std::string((1 << 20) - 45, '#') + "\n{w}  foo.tar.gz.sig\n"}}, "", "Pellwick"},
        {{{"MD5SUMS", "<dir>"}, {"md5sums", "<fifo>"}, {"foo.tar.gz.md5", "<locked>"}}, "", "Pellwick"},
        {{}, "  {H}\r\n", kMatches + "clipboard"},
        {{}, "{w}", kDiffers + "clipboard"},
        {{}, "{h} *foo.tar.gz", kMatches + "clipboard"},
        {{}, "{h}  bar.tar.gz", "Pellwick"},
        {{}, "{h}\n{h}", "Pellwick"},
        {{}, "Release notes for foo 1.0", "Pellwick"},
        {{}, "{h}" + std::string(5000, ' '), "Pellwick"},  // over 4 KiB
    };
    FakeView primer;  // the engine in place before the unprivileged user digests
    primer.SetFileNameText(Package({}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption + " " + c.clipboard);
        FakeView view;
        view.clipboard = Filled(c.clipboard);
        const std::string package = Package(c.files);
        const testsupport::Unprivileged asUser;
        view.SetFileNameText(package);
        EXPECT_EQ(view.digest, digest_);
        EXPECT_EQ(view.caption, c.caption);
        EXPECT_EQ(view.verdict, VerdictOf(c.caption));
        EXPECT_EQ(view.detail.empty(), view.verdict == Verdict::kNone);
        // Only where nothing stronger than SHA-1 was checked is that said.
        const bool strong =
            view.detail.find("(SHA-2") != std::string::npos || view.detail.find("(SHA-5") != std::string::npos;
        EXPECT_EQ(view.detail.find("not deliberate tampering") != std::string::npos,
                  view.verdict != Verdict::kNone && !strong)
            << view.detail;
        EXPECT_TRUE(view.errors.empty()) << view.errors.front();
    }
}

TEST_F(VerdictTest, TheVerdictGoesWithItsDigestOnly) {
    const std::string package = Package({{"MD5SUMS", "{h}  foo.tar.gz\n"}, {"notes.txt", ""}, {"bar.tar.gz", ""}});
    const std::string folder = package.substr(0, package.rfind('/') + 1), locked = folder + "locked.tar.gz";
    testsupport::WriteFile(locked, "locked");
    ::chmod(locked.c_str(), 0);
    FakeView view;
    const struct {
        std::string text, caption;
    } steps[] = {
        {package, kMatches + "MD5SUMS"},     {folder + "notes.txt", kMatches + "MD5SUMS"},  // another ending keeps both
        {folder + "missing", "Pellwick"},    {package, kMatches + "MD5SUMS"},
        {folder + "bar.tar.gz", "Pellwick"},  // a digest with no source
        {package, kMatches + "MD5SUMS"},     {locked, "Pellwick"},
    };
    for (const auto& step : steps) {
        const testsupport::Unprivileged asUser;
        view.SetFileNameText(step.text);
        EXPECT_EQ(view.caption, step.caption) << step.text;
        EXPECT_EQ(view.verdict, VerdictOf(step.caption)) << step.text;
        EXPECT_EQ(view.digest.empty(), step.text == locked || step.text.ends_with("missing")) << step.text;
    }
    EXPECT_EQ(view.errors.size(), 1u) << "the locked package";
    EXPECT_EQ(view.detail, "");
    // A digest the person edits is no longer the one the verdict was about; the program's own
    // writes to the box keep it.
    view.SetFileNameText(package);
    view.form.OnDigestTextChanged(view.digest);
    EXPECT_EQ(view.caption, kMatches + "MD5SUMS");
    view.form.OnDigestTextChanged(view.digest + "0");
    EXPECT_EQ(view.caption, "Pellwick");
    EXPECT_EQ(view.verdict, Verdict::kNone);
    EXPECT_EQ(view.detail, "");
}

// Beyond the most checksum files read, the tooltip says how many were passed over, and those
// that are for the package (NAME.*, its source package's .dsc) are never among them.
TEST_F(VerdictTest, AtMostSixtyFourChecksumFilesAreReadAndThePackagesOwnAreAmongThem) {
    const std::string name = "hello_2.10.orig.tar.gz";
    std::vector<std::pair<std::string, std::string>> files = {{name + ".sha256", "{w256}\n"},
                                                              {"hello_2.10-3.dsc", "Files:\n {h} 5 " + name + "\n"}};
    for (int i = 0; i < 70; ++i) {
        const std::string list = (i < 10 ? "p0" : "p") + std::to_string(i) + "-checksums.txt";
        files.emplace_back(list, i == 69 ? "{w}  " + name + "\n" : "{h}  other.tar.gz\n");
    }
    const std::string package = Package(files), folder = package.substr(0, package.rfind('/'));
    ::rename(package.c_str(), (folder + "/" + name).c_str());
    FakeView view;
    view.SetFileNameText(folder + "/" + name);
    EXPECT_EQ(view.caption, kDiffers + name + ".sha256 (SHA-256)");
    EXPECT_NE(view.detail.find("Matches " + folder + "/hello_2.10-3.dsc, line 2"), std::string::npos) << view.detail;
    EXPECT_NE(view.detail.find("Passed over 8 more checksum files in " + folder + ": at most 64 are read"),
              std::string::npos)
        << view.detail;
    EXPECT_EQ(view.detail.find("p69"), std::string::npos) << view.detail;
}

TEST_F(VerdictTest, CommandLineAndDropsTakeChecksumFilesAndPackages) {
    const std::string package = Package({{"bar.tar.gz", "bar"},
                                         {"pkg.tgz", "tgz"},
                                         {"list.md5", "{h}  missing.tar.gz\n{h}  ./foo.tar.gz\n{h}  bar.tar.gz\n"},
                                         {"foo.tar.gz.md5", "{H}\n"},
                                         {"MD5SUMS", "{h}  missing.tar.gz\n"},
                                         {"notes.txt", "{h}  foo.tar.gz\n"},
                                         {"big.txt", "{h}  foo.tar.gz\n" + std::string(16 << 20, '#')}});
    const std::string folder = package.substr(0, package.rfind('/') + 1);
    char* const cwd = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(folder.c_str()), 0);
    const struct {
        std::vector<std::string> arguments;
        std::string fileName, caption;
    } cases[] = {
        {{"foo.tar.gz"}, package, kMatches + "foo.tar.gz.md5"},
        {{"foo.tar.gz.md5"}, package, kMatches + "foo.tar.gz.md5"},      // named and beside: once
        {{"list.md5"}, package, kMatches + "list.md5, foo.tar.gz.md5"},  // "./foo.tar.gz" as the folder's
        {{"foo.tar.gz.sig"}, package, kMatches + "foo.tar.gz.md5"},      // a signature: what it signs
        {{"list.md5.asc"}, package, kMatches + "list.md5, foo.tar.gz.md5"},
        {{"MD5SUMS"}, folder + "MD5SUMS", "Pellwick"},  // lists nothing that exists: said in a message box
        {{"pkg.tgz"}, folder + "pkg.tgz", "Pellwick"},  // never digested: said too
        {{"notes.txt"}, package, kMatches + "notes.txt, foo.tar.gz.md5"},
        {{"big.txt"}, folder + "big.txt", "Pellwick"},  // not named like a checksum file, and large: not read
        {{"foo.tar.gz", "list.md5"}, "", "Pellwick"},
    };
    for (const auto& c : cases) {
        for (const bool dropped : {false, true}) {
            if (dropped && c.arguments.size() > 1) continue;
            FakeView view;
            if (dropped) {
                view.form.OnFileDropped(folder + c.arguments[0]);
            } else {
                view.form.OnArguments(c.arguments);
            }
            EXPECT_EQ(view.fileName, c.fileName) << c.arguments[0];
            EXPECT_EQ(view.caption, c.caption) << c.arguments[0];
            std::vector<std::string> errors;
            if (c.arguments.size() > 1) errors = {window::frmMain::Usage()};
            if ((c.arguments[0] == "MD5SUMS" || c.arguments[0] == "pkg.tgz" || c.arguments[0] == "big.txt") &&
                !dropped) {
                errors = {window::frmMain::NotDigested(folder + c.arguments[0])};
            }
            EXPECT_EQ(view.errors, errors);
            // The named list goes on counting for the other package it lists.
            view.SetFileNameText(folder + "bar.tar.gz");
            EXPECT_EQ(view.caption, c.arguments[0].starts_with("list.md5") ? kDiffers + "list.md5" : "Pellwick");
        }
    }
    EXPECT_EQ(::chdir(cwd), 0);
    ::free(cwd);
}

}  // namespace
