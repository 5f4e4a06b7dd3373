// Faults around the engine file: instances that provision it at the same moment, and broken
// engines in its place. Each ends in the right digest, or in a message box that names the
// file with the window still answering and the engine file as it was.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <thread>

#include "app.h"
#include "support.h"

namespace testwin {
namespace {

std::string EngineImage() {
    const UniqueModule module(::LoadLibraryExW(ProgramUnderTest().c_str(), nullptr,
                                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    return module ? ResourceBytes(module.Get(), L"DLL", 101, 1033) : std::string();
}

// Built beside this test program: exports MD5Init and MD5Update only.
std::filesystem::path PartialEngine() {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return std::filesystem::path(self).parent_path() / L"partial_md5.dll";
}

TEST(ProvisioningRaceTest, TwoInstancesStartedTogetherBothDigestAndLeaveTheExactImage) {
    SetInstallerDirectory(nullptr);
    const std::string image = EngineImage();
    ASSERT_FALSE(image.empty());
    const std::string content = SampleContent(300000, 21);
    const std::wstring expected = Wide(SystemMd5(content));
    for (int round = 0; round < 3; ++round) {
        TempTree tree;
        WriteBytes(tree / L"p.tar.gz", content);
        const auto folder = tree / L"program";
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(ProgramUnderTest(), folder / L"Pellwick.exe");
        std::unique_ptr<App> first, second;
        {
            std::thread a([&] { first = std::make_unique<App>(folder, std::filesystem::path{}, false); });
            std::thread b([&] { second = std::make_unique<App>(folder, std::filesystem::path{}, false); });
            a.join();
            b.join();
        }
        ASSERT_TRUE(first && second);
        ASSERT_FALSE(std::filesystem::exists(folder / L"md5.dll"));
        // Both write the engine at their first digest, so the names go in at the same moment.
        const std::wstring package = (tree / L"p.tar.gz").wstring();
        {
            std::thread a([&] { first->SetFileName(package); });
            std::thread b([&] { second->SetFileName(package); });
            a.join();
            b.join();
        }
        EXPECT_EQ(first->Digest(), expected) << "round " << round;
        EXPECT_EQ(second->Digest(), expected) << "round " << round;
        first.reset();
        second.reset();
        EXPECT_EQ(ReadBytes(folder / L"md5.dll"), image) << "round " << round;
    }
}

struct BrokenEngine {
    const char* name;
    // Puts the broken engine at `engine`, given the good image.
    void (*make)(const std::filesystem::path& engine, const std::string& image);
    // Only a well-formed library gets as far as being loaded; the export is missed after.
    bool loads = false;
};

void ReadOnlyFile(const std::filesystem::path& engine, const std::string& bytes) {
    WriteBytes(engine, bytes);
    ASSERT_TRUE(::SetFileAttributesW(engine.c_str(), FILE_ATTRIBUTE_READONLY));
}

const BrokenEngine kBrokenEngines[] = {
    {"truncated",
     [](const auto& engine, const auto& image) { ReadOnlyFile(engine, image.substr(0, image.size() / 2)); }},
    {"corrupt headers",
     [](const auto& engine, const auto& image) {
         std::string bytes = image;  // the DOS header stays; the PE headers after it are garbage
         for (std::size_t i = 0x40; i < 0x400 && i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
         ReadOnlyFile(engine, bytes);
     }},
    {"garbage", [](const auto& engine, const auto& image) { ReadOnlyFile(engine, SampleContent(image.size(), 9)); }},
    {"one export missing",
     [](const auto& engine, const auto&) {
         ASSERT_TRUE(std::filesystem::exists(PartialEngine()));
         ReadOnlyFile(engine, ReadBytes(PartialEngine()));
     },
     true},
    {"a directory",
     [](const auto& engine, const auto&) {
         std::filesystem::create_directories(engine);
         WriteBytes(engine / L"inside.txt", "kept");
     }},
};

class BrokenEngineTest : public ::testing::TestWithParam<BrokenEngine> {};

TEST_P(BrokenEngineTest, MessageBoxNamesTheFileTheWindowGoesOnAndTheFileStaysAsItWas) {
    SetInstallerDirectory(nullptr);
    const std::string image = EngineImage();
    ASSERT_FALSE(image.empty());
    TempTree tree;
    const auto folder = tree / L"program";
    std::filesystem::create_directories(folder);
    const auto engine = folder / L"md5.dll";
    GetParam().make(engine, image);
    if (HasFatalFailure()) return;
    const bool directory = std::filesystem::is_directory(engine);
    const std::string before = directory ? ReadBytes(engine / L"inside.txt") : ReadBytes(engine);
    const DWORD attributes = ::GetFileAttributesW(engine.c_str());

    WriteBytes(tree / L"shown.tar.gz", SampleContent(100, 31));
    WriteBytes(tree / L"p.tar.gz", SampleContent(5000, 32));
    const App app(folder);
    // The first name: a box; the second: a box again, the engine still refused.
    for (const std::wstring name : {L"p.tar.gz", L"shown.tar.gz"}) {
        std::wstring message;
        {
            ErrorBoxWatch watch(app, (tree / name).wstring());
            message = watch.CloseBox();
        }
        EXPECT_NE(message.find(folder.wstring()), std::wstring::npos) << Narrow(message);
        EXPECT_NE(message.find(L"md5.dll"), std::wstring::npos) << Narrow(message);
        EXPECT_EQ(app.Digest(), L"");
        EXPECT_TRUE(app.Answers());
    }
    EXPECT_EQ(app.HasModuleLoaded(L"md5.dll"), GetParam().loads);
    // Names that need no engine still work.
    app.SetFileName((tree / L"other.txt").wstring());
    app.SetFileName(L"");
    EXPECT_EQ(app.FileName(), L"");
    EXPECT_TRUE(app.Answers());

    EXPECT_EQ(std::filesystem::is_directory(engine), directory);
    EXPECT_EQ(directory ? ReadBytes(engine / L"inside.txt") : ReadBytes(engine), before);
    EXPECT_EQ(::GetFileAttributesW(engine.c_str()), attributes);
}

INSTANTIATE_TEST_SUITE_P(Engines, BrokenEngineTest, ::testing::ValuesIn(kBrokenEngines), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.name; *c != '\0'; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    }
    return name;
});

}  // namespace
}  // namespace testwin
