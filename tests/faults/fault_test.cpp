// Real faults around a digest: the package changing or failing under the read, a broken or
// missing engine, a program directory that is full, several programs provisioning at once.
// Each must end in the right digest or a clear error naming the file, and the engine file
// must be either untouched or exactly the image.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "digest/clsMD5.h"
#include "runtime/error.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

const std::string kEngineImage = testsupport::ReadFile(ENGINE_PATH);

class FaultTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::InstallProbe(PROBE_PATH, programDir); }

    // A package large enough to take several reads, dated in the past so that any write
    // during the digest shows in its modification time.
    std::string MakePackage(std::size_t size = (std::size_t{3} << 20) + 123) {
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 131) >> 7);
        const std::string path = dataDir / "pkg.tar.gz";
        testsupport::WriteFile(path, content);
        const timeval past[2] = {{1600000000, 0}, {1600000000, 0}};
        ::utimes(path.c_str(), past);
        return path;
    }

    testsupport::ProcessResult ProbeWithFault(const std::string& file, const std::string& action) {
        testsupport::RunOptions options;
        options.environment = {{"LD_PRELOAD", SHIM_PATH},
                               {"PELLWICK_FAULT_PATH", file},
                               {"PELLWICK_FAULT_ACTION", action},
                               {"ASAN_OPTIONS", "verify_asan_link_order=0"}};
        return testsupport::Run({programDir / "probe", file}, options);
    }

    TempDir programDir;
    TempDir dataDir;
};

TEST_F(FaultTest, PackageChangedDuringTheReadGivesAnErrorNamingIt) {
    for (const std::string action : {"truncate", "grow", "rewrite"}) {
        const std::string pkg = MakePackage();
        const auto r = ProbeWithFault(pkg, action);
        EXPECT_NE(r.output.find("error 57 Cannot read \"" + pkg + "\": the file changed while it was read"),
                  std::string::npos)
            << action << ": " << r.output;
        EXPECT_EQ(r.output.find("digest "), std::string::npos) << action << ": " << r.output;
    }
}

TEST_F(FaultTest, PackageDeletedDuringTheReadStillGivesItsDigest) {
    const std::string pkg = MakePackage();
    const std::string expected = testsupport::Md5sumOf(pkg);
    const auto r = ProbeWithFault(pkg, "unlink");
    EXPECT_NE(r.output.find("digest " + expected), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(pkg));  // the fault really happened
}

TEST_F(FaultTest, ReadFailingMidFileGivesTheSystemsReason) {
    const std::string pkg = MakePackage();
    const auto r = ProbeWithFault(pkg, "eio");
    EXPECT_NE(r.output.find("error 57 Cannot read \"" + pkg + "\": Input/output error"), std::string::npos) << r.output;
}

// What is at the path, with its type, its mode and, for a regular file, its content: any
// change to it shows.
std::string Snapshot(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return "nothing";
    return std::to_string(st.st_mode) + (S_ISREG(st.st_mode) ? " " + testsupport::ReadFile(path) : "");
}

TEST_F(FaultTest, BrokenEnginesAreReportedAndLeftAlone) {
    const std::string pkg = MakePackage(100);
    std::string corrupt = kEngineImage;
    for (std::size_t i = 64; i < corrupt.size(); i += 7) corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5A);
    const auto readOnlyFile = [](const std::string& content) {
        return [content](const std::string& engine) {
            testsupport::WriteFile(engine, content);
            ::chmod(engine.c_str(), 0444);  // provisioning keeps its hands off
        };
    };
    const std::pair<const char*, std::function<void(const std::string&)>> cases[] = {
        {"truncated", readOnlyFile(kEngineImage.substr(0, kEngineImage.size() / 3))},
        {"corrupt", readOnlyFile(corrupt)},
        {"empty", readOnlyFile("")},
        {"a directory", [](const std::string& engine) { fs::create_directory(engine); }},
        // dlopen would wait for a writer for ever.
        {"a read-only FIFO", [](const std::string& engine) { ASSERT_EQ(::mkfifo(engine.c_str(), 0444), 0); }},
    };
    for (const auto& [what, plant] : cases) {
        const TempDir dir;
        testsupport::InstallProbe(PROBE_PATH, dir);
        const std::string engine = dir / "md5.so";
        plant(engine);
        const std::string before = Snapshot(engine);
        testsupport::RunOptions options;
        options.timeoutSeconds = 30;
        const auto r = testsupport::Run({dir / "probe", pkg}, options);
        EXPECT_NE(r.output.find("error 48 Cannot load the engine library \"" + engine + "\""), std::string::npos)
            << what << " (exit " << r.exitCode << "): " << r.output;
        EXPECT_EQ(Snapshot(engine), before) << what;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2)
            << what << ": a temporary engine file was left behind";
    }
}

TEST_F(FaultTest, FullProgramDirectoryLeavesNoPartialEngine) {
    const std::string pkg = MakePackage(100);
    testsupport::RunOptions options;
    options.fileSizeLimit = static_cast<long long>(kEngineImage.size() / 2);  // the write runs out of room
    const auto r = testsupport::Run({programDir / "probe", pkg}, options);
    EXPECT_NE(r.output.find("error 53 Cannot load the engine library \"" + (programDir / "md5.so") + "\""),
              std::string::npos)
        << r.output;
    EXPECT_EQ(std::distance(fs::directory_iterator(programDir.Path()), fs::directory_iterator()), 1)
        << "a temporary or partial engine file was left behind";
}

TEST_F(FaultTest, ProgramsStartingTogetherAllProvisionAndDigestRight) {
    const std::string pkg = MakePackage(5000);
    const std::string expected = testsupport::Md5sumOf(pkg);
    for (int round = 0; round < 10; ++round) {
        const TempDir dir;
        testsupport::InstallProbe(PROBE_PATH, dir);
        const std::string script = "for i in 1 2 3 4 5 6; do \"" + (dir / "probe") + "\" \"" + pkg + "\" & done; wait";
        const auto r = testsupport::Run({"sh", "-c", script});
        std::size_t digests = 0;
        for (std::size_t at = r.output.find("digest " + expected); at != std::string::npos;
             at = r.output.find("digest " + expected, at + 1)) {
            ++digests;
        }
        EXPECT_EQ(digests, 6u) << r.output;
        EXPECT_EQ(testsupport::ReadFile(dir / "md5.so"), kEngineImage);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
    }
}

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

TEST(DigestObjectLifetimeTest, TenThousandObjectsLeaveNoHandleBehind) {
    const TempDir dir;
    testsupport::WriteFile(dir / "p.tar.gz", "abc");
    { const digest::clsMD5 warmUp; }
    const std::size_t before = OpenDescriptors();
    for (int i = 0; i < 10000; ++i) {
        const digest::clsMD5 md5;
        if (i % 1000 == 0) {
            ASSERT_EQ(md5.DigestFileToHexStr(dir / "p.tar.gz"), "900150983cd24fb0d6963f7d28e17f72");
        }
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(LongPathTest, DeepPathsAreFoundAndDigestedAndOverlongOnesNameNothing) {
    const TempDir dir;
    std::string path = dir.Path();
    while (path.size() < 3000) {
        path += "/" + std::string(200, 'd');
        ASSERT_TRUE(fs::create_directory(path));
    }
    testsupport::WriteFile(path + "/deep.tar.gz", "abc");
    const digest::clsMD5 md5;
    EXPECT_EQ(md5.DigestFileToHexStr(path + "/deep.tar.gz"), "900150983cd24fb0d6963f7d28e17f72");
    const std::string overlong = path + "/" + std::string(5000, 'x') + ".tar.gz";
    try {
        md5.DigestFileToHexStr(overlong);
        FAIL() << "no error for an overlong name";
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), runtime::kBadFileName);
    }
}

}  // namespace
