// Provisioning of the engine file, run for real: the probe program is copied into a
// throwaway directory, which becomes its program directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;

const std::string kProbe = PROBE_PATH;
const std::string kEngineImage = testsupport::ReadFile(ENGINE_PATH);

class ProvisioningTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::InstallProbe(kProbe, programDir);
        package = dataDir / "p.tar.gz";
        testsupport::WriteFile(package, "package content");
        expected = testsupport::Md5sumOf(package);
    }

    testsupport::ProcessResult Probe(const std::vector<std::string>& files, bool unprivileged = false,
                                     const std::string& cwd = "") {
        std::vector<std::string> argv{programDir / "probe"};
        argv.insert(argv.end(), files.begin(), files.end());
        return testsupport::Run(argv, {.workingDir = cwd.empty() ? dataDir.Path() : cwd, .unprivileged = unprivileged});
    }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(programDir.Path())) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    void MakeProgramDirUnwritable(bool& unprivileged) {
        // Root writes anywhere; run the probe as an ordinary user instead.
        unprivileged = testsupport::RunningAsRoot();
        if (!unprivileged) ::chmod(programDir.Path().c_str(), 0555);
    }

    TempDir programDir;
    TempDir dataDir;
    std::string package;
    std::string expected;
};

TEST_F(ProvisioningTest, FreshDirectoryGetsExactlyTheCarriedImage) {
    const auto r = Probe({package});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("digest " + expected), std::string::npos) << r.output;
    EXPECT_EQ(testsupport::ReadFile(programDir / "md5.so"), kEngineImage);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"md5.so", "probe"}));  // no temporary left
}

TEST_F(ProvisioningTest, LaterObjectsAndLaterRunsLeaveTheFileAlone) {
    const auto first = Probe({package, package});
    ASSERT_EQ(first.exitCode, 0) << first.output;
    std::istringstream lines(first.output);
    std::vector<std::string> engineLines;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("engine ", 0) == 0) engineLines.push_back(line);
        if (line.rfind("digest ", 0) == 0) {
            EXPECT_EQ(line, "digest " + expected);
        }
    }
    ASSERT_EQ(engineLines.size(), 2u);
    EXPECT_EQ(engineLines[0], engineLines[1]);  // same inode, time and size
    const auto second = Probe({package});
    EXPECT_NE(second.output.find(engineLines[0]), std::string::npos) << second.output;
}

TEST_F(ProvisioningTest, ShorterAndLongerEngineFilesBecomeExactlyTheImage) {
    for (const std::string& old : {kEngineImage.substr(0, 100), kEngineImage + std::string(5000, 'x')}) {
        testsupport::WriteFile(programDir / "md5.so", old);
        const auto r = Probe({package});
        EXPECT_NE(r.output.find("digest " + expected), std::string::npos) << r.output;
        EXPECT_EQ(testsupport::ReadFile(programDir / "md5.so"), kEngineImage);
    }
}

TEST_F(ProvisioningTest, ReadOnlyEngineFileIsLeftAlone) {
    testsupport::WriteFile(programDir / "md5.so", "not a library");
    ::chmod((programDir / "md5.so").c_str(), 0444);
    const auto r = Probe({package});
    EXPECT_EQ(testsupport::ReadFile(programDir / "md5.so"), "not a library");
    EXPECT_NE(r.output.find("error 48 "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(programDir / "md5.so"), std::string::npos) << r.output;
}

TEST_F(ProvisioningTest, MissingEntryPointIsNamed) {
    fs::copy_file(PARTIAL_ENGINE_PATH, programDir / "md5.so");
    ::chmod((programDir / "md5.so").c_str(), 0444);
    const auto r = Probe({package});
    EXPECT_NE(r.output.find("error 453 "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("MD5Final"), std::string::npos) << r.output;
}

TEST_F(ProvisioningTest, UnwritableDirectoryFailsAtTheFirstDigestNamingTheEngineFile) {
    bool unprivileged = false;
    MakeProgramDirUnwritable(unprivileged);
    const auto r = Probe({package}, unprivileged);
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_NE(r.output.find("error 53 "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(programDir / "md5.so"), std::string::npos) << r.output;
    EXPECT_EQ(Entries(), std::vector<std::string>{"probe"});
}

TEST_F(ProvisioningTest, PlantedEngineInTheCurrentDirectoryIsNeverLoaded) {
    bool unprivileged = false;
    MakeProgramDirUnwritable(unprivileged);
    const TempDir planted;
    testsupport::WriteFile(planted / "md5.so", kEngineImage);
    ::setenv("LD_LIBRARY_PATH", planted.Path().c_str(), 1);
    const auto r = Probe({package}, unprivileged, planted.Path());
    ::unsetenv("LD_LIBRARY_PATH");
    EXPECT_NE(r.output.find("error 53 "), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("digest "), std::string::npos) << r.output;
}

TEST_F(ProvisioningTest, UnreadableAndMissingPackagesNameTheFileAndLoadNoEngine) {
    const std::string secret = dataDir / "secret.tar.gz";
    testsupport::WriteFile(secret, "x");
    ::chmod(secret.c_str(), 0);
    const auto r = Probe({dataDir / "missing.tar.gz", secret}, testsupport::RunningAsRoot());
    EXPECT_NE(r.output.find("error 53 Cannot open \"" + (dataDir / "missing.tar.gz") + "\""), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("error 70 Cannot open \"" + secret + "\" for reading: Permission denied"),
              std::string::npos)
        << r.output;
    EXPECT_EQ(r.output.find("loaded 1"), std::string::npos) << r.output;
}

}  // namespace
