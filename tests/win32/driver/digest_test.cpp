// Naming files in the file-name box: which names show a digest, which keep it, which empty
// it; failures reported in a box owned by the window, which keeps working.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <thread>

#include "app.h"
#include "support.h"

// After <windows.h>, which app.h brings in.
// clang-format off
#include <shlobj.h>
// clang-format on

namespace testwin {
namespace {

// One program serves the cases that only name files.
class DigestTest : public OneProgramTest<DigestTest> {
protected:
    // A file with its own content; returns the digest the box should show.
    static std::wstring Package(const std::wstring& name, std::size_t size = 3000) {
        static unsigned seed = 100;
        const std::string content = SampleContent(size, ++seed);
        WriteBytes(*tree_ / name, content);
        return Wide(SystemMd5(content));
    }
};

TEST_F(DigestTest, PackageInAnyLetterCaseShowsItsUppercaseDigest) {
    for (const std::wstring name : {L"lower.tar.gz", L"UPPER.TAR.GZ", L"Mixed.Tar.Gz", L".tar.gz"}) {
        const std::wstring expected = Package(name);
        app_->SetFileName(PathOf(name));
        EXPECT_EQ(app_->Digest(), expected) << Narrow(name);
    }
    const std::wstring empty = Package(L"empty.tar.gz", 0);
    app_->SetFileName(PathOf(L"empty.tar.gz"));
    EXPECT_EQ(app_->Digest(), empty);
    EXPECT_EQ(empty, L"D41D8CD98F00B204E9800998ECF8427E");  // RFC 1321: the empty message
}

TEST_F(DigestTest, NamingTheSameFileAgainDigestsItAgain) {
    Package(L"again.tar.gz");
    app_->SetFileName(PathOf(L"again.tar.gz"));
    const std::wstring changed = Package(L"again.tar.gz", 4000);
    app_->SetFileName(PathOf(L"again.tar.gz"));
    EXPECT_EQ(app_->Digest(), changed);
}

TEST_F(DigestTest, OtherEndingsKeepThePreviousDigest) {
    const std::wstring shown = Package(L"kept.tar.gz");
    app_->SetFileName(PathOf(L"kept.tar.gz"));
    ASSERT_EQ(app_->Digest(), shown);
    for (const std::wstring name : {L"a.tgz", L"a.tar", L"a.tar.gz.bak", L"tar.gz", L"a.gz"}) {
        Package(name);
        app_->SetFileName(PathOf(name));
        EXPECT_EQ(app_->Digest(), shown) << Narrow(name);
    }
}

TEST_F(DigestTest, TextsThatNameNoOrdinaryFileEmptyTheDigest) {
    const std::wstring shown = Package(L"before.tar.gz");
    std::filesystem::create_directories(*tree_ / L"folder.tar.gz");
    Package(L"hidden.tar.gz");
    ::SetFileAttributesW(PathOf(L"hidden.tar.gz").c_str(), FILE_ATTRIBUTE_HIDDEN);
    Package(L"system.tar.gz");
    ::SetFileAttributesW(PathOf(L"system.tar.gz").c_str(), FILE_ATTRIBUTE_SYSTEM);
    const std::wstring texts[] = {
        PathOf(L"missing.tar.gz"),
        PathOf(L"folder.tar.gz"),
        PathOf(L"hidden.tar.gz"),
        PathOf(L"system.tar.gz"),
        PathOf(L"*.tar.gz"),
        PathOf(L"before.tar.g?"),
        // Devices: the system reports a file "CON" for these, which must not keep the digest.
        PathOf(L"CON.tar.gz"),
        PathOf(L"nul.tar.gz"),
        PathOf(L"COM1.tar.gz"),
        PathOf(L"LPT1 .tar.gz"),
        PathOf(L""),
        L"",
    };
    for (const auto& text : texts) {
        app_->SetFileName(PathOf(L"before.tar.gz"));
        ASSERT_EQ(app_->Digest(), shown);
        app_->SetFileName(text);
        EXPECT_EQ(app_->Digest(), L"") << Narrow(text);
    }
}

TEST_F(DigestTest, TypingShowsTheDigestAtTheKeystrokeThatCompletesTheName) {
    const std::wstring expected = Package(L"typed.tar.gz");
    const std::wstring path = PathOf(L"typed.tar.gz");
    app_->SetFileName(L"");
    for (std::size_t i = 0; i < path.size(); ++i) {
        ::SendMessageW(app_->FileNameBox(), WM_CHAR, path[i], 1);
        ASSERT_EQ(app_->FileName(), path.substr(0, i + 1));
        EXPECT_EQ(app_->Digest(), i + 1 == path.size() ? expected : L"") << "after " << Narrow(path.substr(0, i + 1));
    }
    ::SendMessageW(app_->FileNameBox(), WM_CHAR, L'x', 1);
    EXPECT_EQ(app_->Digest(), L"");
}

TEST_F(DigestTest, NamesOutsideTheAnsiCodePageAndPathsBeyondMaxPath) {
    const std::wstring greek = L"\u03A9\u03BC\u03AD\u03B3\u03B1-\u6570\u636E.tar.gz";
    const std::wstring expected = Package(greek);
    app_->SetFileName(PathOf(greek));
    EXPECT_EQ(app_->Digest(), expected);

    std::wstring deep = L"\\\\?\\" + tree_->Path().wstring();
    for (int i = 0; i < 6; ++i) deep += L"\\" + std::wstring(48, static_cast<wchar_t>(L'a' + i));
    std::filesystem::create_directories(deep);
    const std::wstring longPath = deep.substr(4) + L"\\long.tar.gz";
    ASSERT_GT(longPath.size(), 300u);
    const std::string content = SampleContent(70000, 7);
    WriteBytes(deep + L"\\long.tar.gz", content);
    app_->SetFileName(longPath);
    EXPECT_EQ(app_->Digest(), Wide(SystemMd5(content)));
}

TEST_F(DigestTest, DroppedFileNameGoesIntoTheBoxAndIsDigested) {
    const std::wstring expected = Package(L"dropped.tar.gz");
    const std::wstring path = PathOf(L"dropped.tar.gz");
    app_->SetFileName(L"");
    app_->DropFile(path);
    EXPECT_EQ(app_->FileName(), path);
    EXPECT_EQ(app_->Digest(), expected);
    EXPECT_TRUE(app_->Answers());
}

TEST_F(DigestTest, LockedPackageIsReportedAndTheWindowGoesOn) {
    const std::wstring shown = Package(L"shown.tar.gz");
    app_->SetFileName(PathOf(L"shown.tar.gz"));
    Package(L"locked.tar.gz");
    std::wstring message;
    {
        const runtime::win32::UniqueHandle lock(runtime::win32::NullIfInvalid(::CreateFileW(
            PathOf(L"locked.tar.gz").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
        ASSERT_TRUE(lock.Valid());
        ErrorBoxWatch watch(*app_, PathOf(L"locked.tar.gz"));
        message = watch.CloseBox();
    }
    EXPECT_NE(message.find(PathOf(L"locked.tar.gz")), std::wstring::npos) << Narrow(message);
    EXPECT_NE(message.find(L"70"), std::wstring::npos) << "permission denied: " << Narrow(message);
    EXPECT_TRUE(app_->Answers());
    EXPECT_EQ(app_->Digest(), L"") << "a digest must not stay beside a name it does not belong to";
    // Unlocked, the same name digests.
    const std::wstring after = Package(L"locked.tar.gz");
    app_->SetFileName(PathOf(L"locked.tar.gz"));
    EXPECT_EQ(app_->Digest(), after);
}

TEST(EngineLoadingTest, EngineInTheCurrentDirectoryIsNeverLoaded) {
    SetInstallerDirectory(nullptr);
    TempTree tree;
    // A folder in the engine's place keeps the program from writing its own engine there.
    std::filesystem::create_directories(tree / L"program" / L"md5.dll");
    const auto workDir = tree / L"work";
    std::filesystem::create_directories(workDir);
    const std::string package = SampleContent(1000, 3);
    WriteBytes(workDir / L"p.tar.gz", package);
    {
        // A working engine in the current directory, where a search would look.
        const App provider(tree / L"provider");
        provider.SetFileName((workDir / L"p.tar.gz").wstring());
        ASSERT_EQ(provider.Digest(), Wide(SystemMd5(package)));
    }
    std::filesystem::copy_file(tree / L"provider" / L"md5.dll", workDir / L"md5.dll");

    const App app(tree / L"program", workDir);
    std::wstring message;
    {
        ErrorBoxWatch watch(app, L"p.tar.gz");
        message = watch.CloseBox();
    }
    EXPECT_NE(message.find(L"53"), std::wstring::npos) << "file not found: " << Narrow(message);
    EXPECT_NE(message.find((tree / L"program").wstring()), std::wstring::npos) << Narrow(message);
    EXPECT_EQ(app.Digest(), L"");
    EXPECT_FALSE(app.HasModuleLoaded(L"md5.dll"));
    EXPECT_TRUE(app.Answers());
}

TEST(EngineLoadingTest, LibraryPlantedBesideTheProgramIsNotFoundByItsBareName) {
    SetInstallerDirectory(nullptr);
    TempTree tree;
    const std::string package = SampleContent(1000, 5);
    WriteBytes(tree / L"p.tar.gz", package);
    const App app(tree / L"program");
    app.SetFileName((tree / L"p.tar.gz").wstring());
    ASSERT_EQ(app.Digest(), Wide(SystemMd5(package)));
    // As a Downloads folder might hold it, under a name a system library might ask for.
    const auto planted = tree / L"program" / L"pellwick-planted.dll";
    std::filesystem::copy_file(tree / L"program" / L"md5.dll", planted);
    app.LoadLibraryInside(L"pellwick-planted.dll");
    EXPECT_FALSE(app.HasModuleLoaded(L"pellwick-planted.dll"));
    app.LoadLibraryInside(planted.wstring());
    EXPECT_TRUE(app.HasModuleLoaded(L"pellwick-planted.dll")) << "by its full path it loads";
    EXPECT_TRUE(app.Answers());
}

TEST(EngineLoadingTest, InstalledEngineThatCannotBeRewrittenStillServes) {
    SetInstallerDirectory(nullptr);
    TempTree tree;
    const std::string package = SampleContent(2000, 4);
    WriteBytes(tree / L"p.tar.gz", package);
    {
        const App provider(tree / L"provider");
        provider.SetFileName((tree / L"p.tar.gz").wstring());
    }
    // As the zip installs it, in a folder where the program may not write.
    std::filesystem::create_directories(tree / L"installed");
    const auto engine = tree / L"installed" / L"md5.dll";
    std::filesystem::copy_file(tree / L"provider" / L"md5.dll", engine);
    ::SetFileAttributesW(engine.c_str(), FILE_ATTRIBUTE_READONLY);
    const App app(tree / L"installed");
    app.SetFileName((tree / L"p.tar.gz").wstring());
    EXPECT_EQ(app.Digest(), Wide(SystemMd5(package)));
    EXPECT_TRUE(app.HasModuleLoaded(L"md5.dll"));
}

}  // namespace
}  // namespace testwin
