// The window's handlers behind the fake view, without a screen: real files and a real
// settings file in a throwaway home, the real engine. The Qt and Wine tests drive the same
// handlers through real windows; here every rule is checked case by case, cheaply.
#include "window/frmMain.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>

#include "tests/support/fake_view.h"
#include "tests/support/test_support.h"
#include "window/modPublics.h"

namespace {

using testsupport::FakeView;

// What the digest box must show for a file: md5sum's digest in uppercase.
std::string Shown(const std::string& path) {
    return testsupport::AsciiUpper(testsupport::Md5sumOf(path));
}

class FrmMainTest : public ::testing::Test {
protected:
    testsupport::Sandbox home_;
};

TEST_F(FrmMainTest, StartUpShowsTheStoredDirectoryOrTheDocumentsFolder) {
    const std::string package = home_.Package("start.tar.gz", "start");
    // In order: each case changes the home the next one starts from.
    const struct {
        const char* what;
        bool removeDocuments;
        std::optional<std::string> stored;
        std::string fileName, digest;
    } cases[] = {
        {"no setting, a documents folder", false, std::nullopt, home_.Documents(), ""},
        {"no setting, no documents folder", true, std::nullopt, "", ""},
        {"a setting", false, home_.Packages(), home_.Packages(), ""},
        {"a setting that is empty", false, "", "", ""},
        {"a setting that names a package", false, package, package, Shown(package)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.removeDocuments) home_.RemoveDocuments();
        if (c.stored) home_.StoreInstallerDir(*c.stored);
        FakeView view;
        view.fileName = view.digest = "left from before";
        view.form.OnLoad();
        EXPECT_EQ(view.fileName, c.fileName);
        EXPECT_EQ(view.digest, c.digest);
        EXPECT_EQ(modPublics::mDefaultDir, c.fileName);
        EXPECT_TRUE(view.errors.empty()) << view.errors.front();
    }
}

TEST_F(FrmMainTest, ChangeShowsTheDigestEmptiesTheBoxOrKeepsIt) {
    enum Outcome { kDigest, kEmptied, kKept };
    const auto at = [this](const std::string& name) { return home_.Packages() + "/" + name; };
    for (const char* name :
         {"lower.tar.gz", "UPPER.TAR.GZ", "Mixed.Tar.Gz", ".hidden.tar.gz", "b.tgz", "b.tar.gz.bak"}) {
        home_.Package(name, name);
    }
    home_.Package("empty.tar.gz", "");
    ASSERT_EQ(::mkdir(at("dir.tar.gz").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(at("fifo.tar.gz").c_str(), 0644), 0);  // no ordinary file, so never read
    const struct {
        std::string text;
        Outcome outcome;
    } cases[] = {
        {at("lower.tar.gz"), kDigest},
        {at("UPPER.TAR.GZ"), kDigest},
        {at("Mixed.Tar.Gz"), kDigest},
        {at("empty.tar.gz"), kDigest},
        {"", kEmptied},
        {at("missing.tar.gz"), kEmptied},
        {at("dir.tar.gz"), kEmptied},
        {at(".hidden.tar.gz"), kEmptied},
        {at("fifo.tar.gz"), kEmptied},
        {at("*.tar.gz"), kEmptied},
        {at("b.tgz"), kKept},
        {at("b.tar.gz.bak"), kKept},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FakeView view;
        view.digest = "PREVIOUS";
        view.SetFileNameText(c.text);
        EXPECT_EQ(view.digest, c.outcome == kDigest ? Shown(c.text) : c.outcome == kKept ? "PREVIOUS" : "");
        EXPECT_TRUE(view.errors.empty()) << view.errors.front();
        EXPECT_EQ(view.busyPeak, c.outcome == kDigest ? 1 : 0) << "the wait cursor shows during a digest only";
        EXPECT_EQ(view.busyDepth, 0);
        EXPECT_EQ(view.waits, c.outcome == kDigest ? 1 : 0)
            << "a local lookup, done within its grace, is never waited for";
        EXPECT_TRUE(view.progressCaptions.empty()) << "a short digest leaves the caption alone";
    }
}

TEST_F(FrmMainTest, FailedDigestEmptiesTheBoxShowsTheErrorNamingTheFileAndTheWindowGoesOn) {
    const std::string locked = home_.Package("locked.tar.gz", "locked");
    const std::string good = home_.Package("good.tar.gz", "good");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    FakeView view;
    view.SetFileNameText(good);
    {
        const testsupport::Unprivileged asUser;
        view.SetFileNameText(locked);
    }
    EXPECT_EQ(view.digest, "");
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(view.errors[0], "Run-time error 70:\n\nCannot open \"" + locked + "\" for reading: Permission denied");
    EXPECT_EQ(view.busyDepth, 0);
    view.SetFileNameText(good);
    EXPECT_EQ(view.digest, Shown(good));
}

TEST_F(FrmMainTest, BrowseOpensAtTheSettingReadAfreshAndTakesTheChoice) {
    const std::string chosen = home_.Package("chosen.tar.gz", "chosen");
    const std::string other = home_.Package("other.tar.gz", "other");
    home_.StoreInstallerDir(home_.Packages());
    FakeView view;
    view.form.OnLoad();
    view.SetFileNameText(chosen);
    // In order, from the window as start-up and the last case left it.
    const struct {
        const char* what;
        std::optional<std::string> storedBefore;
        std::string answer, startDir, fileName, digest;
    } cases[] = {
        {"cancel", std::nullopt, "", home_.Packages(), chosen, Shown(chosen)},
        {"a package, the setting changed", home_.Home(), other, home_.Home(), other, Shown(other)},
        {"a folder", std::nullopt, home_.Packages(), home_.Home(), home_.Packages(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.storedBefore) home_.StoreInstallerDir(*c.storedBefore);
        view.browseResult = c.answer;
        const std::size_t calls = view.browseCalls.size();
        view.form.OnFindFileNameClicked();
        ASSERT_EQ(view.browseCalls.size(), calls + 1);
        EXPECT_EQ(view.browseCalls.back().title, "");
        EXPECT_EQ(view.browseCalls.back().startDir, c.startDir);
        EXPECT_EQ(view.browseCalls.back().flags, 16454);
        EXPECT_EQ(view.fileName, c.fileName);
        EXPECT_EQ(view.digest, c.digest);
        EXPECT_TRUE(view.errors.empty()) << view.errors.front();
    }
    EXPECT_EQ(modPublics::mDefaultDir, home_.Packages()) << "browsing leaves the start-up directory alone";
}

}  // namespace
