// Long digests and slow lookups behind the fake view: the work runs on a worker while the view
// waits, the caption shows the progress, a cancel leaves the digest box empty, and errors come
// back to the message box. The preloaded read-fault shim slows or fails the reads (and slows the
// lookups) of the file a test names.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/fake_view.h"
#include "tests/support/test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using testsupport::FakeView;

class WaitTest : public ::testing::Test {
protected:
    // A package of eight full reads and a bit.
    std::string Package(const std::string& name) {
        std::string content((std::size_t{8} << 20) + 5, '\0');
        for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 >> 9);
        return home_.Package(name, content);
    }
    // Every read of the file sleeps `ms` first (or, for another action, the second read fails).
    static void Fault(const std::string& path, const char* action, int after) {
        ::setenv("PELLWICK_FAULT_PATH", path.c_str(), 1);
        ::setenv("PELLWICK_FAULT_ACTION", action, 1);
        ::setenv("PELLWICK_FAULT_AFTER", std::to_string(after).c_str(), 1);
    }
    void TearDown() override { ::unsetenv("PELLWICK_FAULT_ACTION"); }

    testsupport::Sandbox home_;
};

// The percentages that the captions show, checked to read "Pellwick – N%".
std::vector<int> Percentages(const std::vector<std::string>& captions) {
    std::vector<int> shares;
    for (const std::string& caption : captions) {
        const std::string prefix = "Pellwick \u2013 ";
        EXPECT_TRUE(caption.starts_with(prefix) && caption.ends_with("%")) << caption;
        shares.push_back(std::atoi(caption.substr(prefix.size()).c_str()));
    }
    return shares;
}

TEST_F(WaitTest, LongDigestShowsGrowingProgressAndACancelLeavesTheBoxEmptyWithoutError) {
    const std::string pkg = Package("slow.tar.gz");
    const std::string shown = testsupport::AsciiUpper(testsupport::Md5sumOf(pkg));
    // In order: the cancelled digest is followed by one that finishes.
    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancelled" : "finished");
        Fault(pkg, "slow", 120);
        FakeView view;
        view.digest = "PREVIOUS";
        const auto start = Clock::now();
        // After the lookup (slowed too) and the quiet 0.3 s of the digest.
        if (cancel) view.cancelWhen = [start](const runtime::Job&) { return Clock::now() - start > milliseconds(600); };
        view.SetFileNameText(pkg);
        EXPECT_EQ(view.digest, cancel ? "" : shown);
        // Nine slowed reads take over a second: a cancelled wait does not wait for the work.
        if (cancel) {
            EXPECT_LT(Clock::now() - start, milliseconds(9 * 120));
        }
        const std::vector<int> shares = Percentages(view.progressCaptions);
        ASSERT_GE(shares.size(), cancel ? 1u : 3u);
        for (std::size_t i = 1; i < shares.size(); ++i) EXPECT_GT(shares[i], shares[i - 1]);
        EXPECT_EQ(view.caption, "Pellwick");
        EXPECT_TRUE(view.errors.empty()) << view.errors.front();
        EXPECT_EQ(view.busyDepth, 0);
    }
}

TEST_F(WaitTest, ReadErrorOnTheWorkerReachesTheMessageBox) {
    const std::string pkg = Package("failing.tar.gz");
    Fault(pkg, "eio", 2);
    FakeView view;
    view.digest = "PREVIOUS";
    view.SetFileNameText(pkg);
    EXPECT_EQ(view.digest, "");
    ASSERT_EQ(view.errors.size(), 1u);
    EXPECT_EQ(view.errors[0], "Run-time error 57:\n\nCannot read \"" + pkg + "\": Input/output error");
}

TEST_F(WaitTest, SlowLookupIsWaitedForAndCancellingAbandonsIt) {
    const std::string pkg = home_.Package("remote.tar.gz", "remote");
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "abandoned" : "waited for");
        Fault(pkg, "slow", 300);  // its lookup and its reads, as on a share slow to answer
        FakeView view;
        view.digest = "PREVIOUS";
        const auto start = Clock::now();
        if (cancel) view.cancelWhen = [start](const runtime::Job&) { return Clock::now() - start > milliseconds(100); };
        view.SetFileNameText(pkg);
        EXPECT_EQ(view.digest, cancel ? "" : testsupport::AsciiUpper(testsupport::Md5sumOf(pkg)));
        EXPECT_EQ(view.waits, cancel ? 1 : 2) << "the lookup, then the digest";
        EXPECT_EQ(view.busyDepth, 0);
        EXPECT_TRUE(view.errors.empty());
    }
}

// A source that does not answer (a checksum file on a hung share, a clipboard owner that never
// renders) is passed over after a second, and holds back no other source, each read with its own
// second: the digest shows, with the other sources' verdict, and the tooltip says what was passed
// over. Meanwhile nothing of the file named before shows.
TEST_F(WaitTest, ASourceThatDoesNotAnswerIsPassedOverAndTheDigestShows) {
    const std::string hex = "5d41402abc4b2a76b9719d911017c592", sha256 = std::string(63, '0') + "1";
    std::filesystem::create_directories(home_.Packages() + "/m");
    const std::string matching = home_.Package("m/bar.tar.gz", "bar");
    testsupport::WriteFile(home_.Packages() + "/m/bar.tar.gz.md5", testsupport::Md5sumOf(matching) + "\n");
    const struct {
        std::string hung;  // a file slowed past the limit, or "clipboard"
        int slowMs;
        std::string sha256sums, caption;
    } cases[] = {
        {"SHA256SUMS", 5000, "0000  foo.tar.gz\n", "Pellwick \u2013 matches foo.tar.gz.md5, MD5SUMS"},
        {"clipboard", 0, "0000  foo.tar.gz\n", "Pellwick \u2013 matches foo.tar.gz.md5, MD5SUMS"},
        // Read one after another under one deadline, a slow first file left the next unread.
        {"foo.tar.gz.md5", 1200, sha256 + "  foo.tar.gz\n", "Pellwick \u2013 DOES NOT MATCH SHA256SUMS (SHA-256)"},
    };
    int count = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hung);
        const std::string folder = home_.Packages() + "/hung" + std::to_string(++count);
        std::filesystem::create_directories(folder);
        const std::string pkg = folder + "/foo.tar.gz";
        testsupport::WriteFile(pkg, "hello");
        testsupport::WriteFile(folder + "/MD5SUMS", hex + "  foo.tar.gz\n");
        testsupport::WriteFile(folder + "/foo.tar.gz.md5", hex + "\n");
        testsupport::WriteFile(folder + "/SHA256SUMS", c.sha256sums);
        if (c.hung != "clipboard") Fault(folder + "/" + c.hung, "slow", c.slowMs);
        FakeView view;
        view.SetFileNameText(matching);
        ASSERT_EQ(view.caption, "Pellwick \u2013 matches bar.tar.gz.md5");
        if (c.hung == "clipboard") {
            view.clipboardReader = [] {
                std::this_thread::sleep_for(std::chrono::seconds(5));
                return std::string("5d41402abc4b2a76b9719d911017c592");
            };
        }
        std::string shownDuring = "nothing polled";
        view.cancelWhen = [&](const runtime::Job&) {
            if (shownDuring == "nothing polled") shownDuring = view.caption + "|" + view.digest + "|" + view.detail;
            return false;
        };
        const auto start = Clock::now();
        view.SetFileNameText(pkg);
        EXPECT_LT(Clock::now() - start, milliseconds(2500));
        EXPECT_EQ(shownDuring, "Pellwick||") << "the verdict and digest of bar.tar.gz went at once";
        EXPECT_EQ(view.digest, testsupport::AsciiUpper(hex));
        EXPECT_EQ(view.caption, c.caption);
        const std::string passedOver = c.hung == "clipboard" ? "the clipboard" : folder + "/" + c.hung;
        EXPECT_NE(view.detail.find("Passed over " + passedOver + ": not read within 1 s"), std::string::npos)
            << view.detail;
        ::unsetenv("PELLWICK_FAULT_ACTION");
    }
}

}  // namespace
