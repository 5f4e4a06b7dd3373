// Long digests and slow lookups behind the fake view: the work runs on a worker while the view
// waits, the caption shows the progress, a cancel leaves the digest box empty, and errors come
// back to the message box. The preloaded read-fault shim slows or fails the package's reads;
// PELLWICK_TEST_SLOW_LOOKUP (set by ctest) slows lookups under a folder of the build tree.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/remote.h"
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
        if (cancel) view.cancelWhen = [start](const window::Job&) { return Clock::now() - start > milliseconds(400); };
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
    const char* hook = std::getenv("PELLWICK_TEST_SLOW_LOOKUP");
    ASSERT_NE(hook, nullptr) << "ctest sets the slow-lookup hook";
    const std::string text(hook);
    const std::string folder = text.substr(text.find(':') + 1);
    std::filesystem::create_directories(folder);
    const std::string pkg = folder + "/remote.tar.gz";
    testsupport::WriteFile(pkg, "remote");
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "abandoned" : "waited for");
        FakeView view;
        view.digest = "PREVIOUS";
        const auto start = Clock::now();
        if (cancel) view.cancelWhen = [start](const window::Job&) { return Clock::now() - start > milliseconds(100); };
        view.SetFileNameText(pkg);
        EXPECT_EQ(view.digest, cancel ? "" : testsupport::AsciiUpper(testsupport::Md5sumOf(pkg)));
        EXPECT_EQ(view.waits, cancel ? 1 : 2) << "the lookup, then the digest";
        EXPECT_EQ(view.busyDepth, 0);
        EXPECT_TRUE(view.errors.empty());
    }
    std::filesystem::remove_all(folder);
}

TEST(NetworkPathTest, MountTableAndPathsClassify) {
    const std::string mountinfo =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "30 22 0:40 / /mnt/nfs rw shared:5 - nfs4 server:/export rw,vers=4.2\n"
        "31 22 0:41 / /mnt/my\\040share rw - cifs //server/share rw\n"
        "32 22 0:42 / /home/u/remote rw,nosuid - fuse.sshfs u@host: rw\n"
        "33 22 0:43 / /net rw - autofs /etc/auto.net rw\n"
        "34 22 8:17 / /media/usb rw - fuseblk /dev/sdb1 rw\n"
        "35 22 0:44 / /proc rw - proc proc rw\n";
    EXPECT_EQ(runtime::NetworkMountPoints(mountinfo),
              (std::vector<std::string>{"/mnt/nfs", "/mnt/my share", "/home/u/remote", "/net"}));
    const std::vector<std::string> mounts = runtime::NetworkMountPoints(mountinfo);
    for (const char* path :
         {"/mnt/nfs", "/mnt/nfs/a.tar.gz", "/mnt/my share/x", "/net/host/p.tar.gz", "/home/u/remote/"}) {
        EXPECT_TRUE(runtime::UnderMountPoint(path, mounts)) << path;
    }
    for (const char* path : {"/mnt/nfsx/a.tar.gz", "/mnt", "/media/usb/a.tar.gz", "/home/u/remotely"}) {
        EXPECT_FALSE(runtime::UnderMountPoint(path, mounts)) << path;
    }
    EXPECT_TRUE(runtime::UnderMountPoint("/anything", {"/"})) << "a network root holds everything";
    for (const char* unc : {"\\\\server\\share\\a.tar.gz", "//server/share/a", "\\/server/x", "\\\\?\\UNC\\server\\s",
                            "//?/unc/server/share"}) {
        EXPECT_TRUE(runtime::IsUncPath(unc)) << unc;
    }
    for (const char* local :
         {"\\\\?\\C:\\a.tar.gz", "\\\\.\\C:\\a", "\\\\.\\pipe\\x", "C:\\a.tar.gz", "\\a.tar.gz", "\\\\", ""}) {
        EXPECT_FALSE(runtime::IsUncPath(local)) << local;
    }
    // Nothing in this test's own folders is remote, so their lookups are never handed off.
    EXPECT_FALSE(runtime::MayWaitOnNetwork(testsupport::TempDir().Path() + "/a.tar.gz"));
}

}  // namespace
