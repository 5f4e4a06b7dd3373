// The digest object and the Win32 runtime, in process: RFC 1321's vectors through the real
// engine, the first-match lookup, file errors, the settings store and the documents folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "digest/clsMD5.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/settings.h"
#include "runtime/text.h"
#include "shell/modSpecialFolders.h"
#include "tests/support/rfc1321.h"
#include "window/frmMain.h"

// After the program's headers: the system's names are macros.
// clang-format off
#include <windows.h>

#include "tests/win32/driver/support.h"
// clang-format on

namespace {

namespace fs = std::filesystem;
using digest::clsMD5;

std::string U8(const fs::path& p) {
    return runtime::Utf16ToUtf8(p.u16string());
}

// A throwaway folder (removed with everything in it, however deep) that can hold files with
// given attributes.
class Folder {
public:
    fs::path operator/(const std::wstring& name) const { return tree_ / name; }
    void Write(const std::wstring& name, const std::string& bytes, DWORD attributes = 0) const {
        testwin::WriteBytes(tree_ / name, bytes);
        if (attributes != 0) ::SetFileAttributesW((tree_ / name).c_str(), attributes);
    }

private:
    testwin::TempTree tree_;
};

using testsupport::kRfc1321Suite;

TEST(DigestUnderWindowsTest, Rfc1321SuiteFromTextsAndFilesThroughTheCarriedEngine) {
    const clsMD5 md5;
    const Folder dir;
    for (const auto& [text, expected] : kRfc1321Suite) {
        EXPECT_EQ(md5.DigestStrToHexStr(text), expected) << '"' << text << '"';
        dir.Write(L"vector.tar.gz", text);
        EXPECT_EQ(md5.DigestFileToHexStr(U8(dir / L"vector.tar.gz")), expected) << "file holding \"" << text << '"';
    }
    dir.Write(L"million.tar.gz", std::string(1000000, 'a'));
    EXPECT_EQ(md5.DigestFileToHexStr(U8(dir / L"million.tar.gz")), "7707d6ae4e027c70eea2a935c2296f21");
    // The engine came from the program's own directory, written from its resource.
    EXPECT_EQ(fs::path(runtime::Utf8ToUtf16(md5.EnginePath())).parent_path(),
              fs::path(runtime::Utf8ToUtf16(runtime::ProgramDirectory())));
}

TEST(DigestUnderWindowsTest, TextsAreDigestedInTheAnsiCodePage) {
    if (::GetACP() != 1252) GTEST_SKIP() << "code page " << ::GetACP();
    const clsMD5 md5;
    const Folder dir;
    dir.Write(L"cp1252", "\xE9\x80");  // "é€" in Windows-1252
    EXPECT_EQ(md5.DigestStrToHexStr("\xC3\xA9\xE2\x82\xAC"), md5.DigestFileToHexStr(U8(dir / L"cp1252")));
    EXPECT_EQ(clsMD5::StringToBytes("\xE4\xB8\xAD")[0], '?') << "a character the code page lacks";
}

TEST(FirstMatchTest, OnlyOrdinaryFilesAreFoundAndWildcardsNameNothing) {
    const Folder dir;
    dir.Write(L"plain.tar.gz", "x");
    dir.Write(L"hidden.tar.gz", "x", FILE_ATTRIBUTE_HIDDEN);
    dir.Write(L"system.tar.gz", "x", FILE_ATTRIBUTE_SYSTEM);
    dir.Write(L"readonly.tar.gz", "x", FILE_ATTRIBUTE_READONLY);
    dir.Write(L"\u03A9\u6570.tar.gz", "x");
    fs::create_directories(dir / L"folder.tar.gz");

    EXPECT_EQ(runtime::FindFirstMatch(U8(dir / L"plain.tar.gz")), "plain.tar.gz");
    EXPECT_EQ(runtime::FindFirstMatch(U8(dir / L"PLAIN.TAR.GZ")), "plain.tar.gz") << "the name as stored";
    EXPECT_EQ(runtime::FindFirstMatch(U8(dir / L"readonly.tar.gz")), "readonly.tar.gz");
    EXPECT_EQ(runtime::FindFirstMatch(U8(dir / L"\u03A9\u6570.tar.gz")), "\xCE\xA9\xE6\x95\xB0.tar.gz");
    for (const std::wstring name : {L"hidden.tar.gz", L"system.tar.gz", L"folder.tar.gz", L"missing", L"*.tar.gz",
                                    L"plain.tar.g?", L"plain.tar.g<", L"plain.tar.gz\\"}) {
        EXPECT_EQ(runtime::FindFirstMatch(U8(dir / name)), "") << U8(name);
    }
    EXPECT_EQ(runtime::FindFirstMatch(""), "");
    EXPECT_EQ(runtime::FindFirstMatch(U8(dir / L"plain.tar.gz") + std::string(1, '\0') + "x"), "");
}

TEST(FirstMatchTest, PathsLongerThanMaxPathAreFoundAndDigested) {
    const Folder dir;
    std::wstring deep = L"\\\\?\\" + (dir / L"").wstring();
    for (int i = 0; i < 5; ++i) deep += std::wstring(60, static_cast<wchar_t>(L'k' + i)) + L"\\";
    fs::create_directories(deep);
    std::ofstream(fs::path(deep + L"deep.tar.gz"), std::ios::binary) << "abc";
    const std::string path = U8(deep.substr(4) + L"deep.tar.gz");
    ASSERT_GT(path.size(), 300u);
    EXPECT_EQ(runtime::FindFirstMatch(path), "deep.tar.gz");
    EXPECT_EQ(clsMD5().DigestFileToHexStr(path), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(FileErrorsTest, ErrorsCarryTheirNumberAndNameTheFile) {
    const Folder dir;
    const clsMD5 md5;
    const auto expectError = [&](const std::string& path, int number, const char* what) {
        try {
            md5.DigestFileToHexStr(path);
            ADD_FAILURE() << "no error for " << what;
        } catch (const runtime::Error& e) {
            EXPECT_EQ(e.number(), number) << what << ": " << e.text();
            EXPECT_NE(e.text().find(path), std::string::npos) << e.text();
        }
    };
    expectError(U8(dir / L"missing.tar.gz"), runtime::kFileNotFound, "a missing file");
    expectError(U8(dir / L"nowhere" / L"x.tar.gz"), runtime::kFileNotFound, "a missing folder");
    fs::create_directories(dir / L"folder.tar.gz");
    expectError(U8(dir / L"folder.tar.gz"), runtime::kPathFileAccessError, "a folder");
    dir.Write(L"locked.tar.gz", "x");
    const runtime::win32::UniqueHandle lock(runtime::win32::NullIfInvalid(::CreateFileW(
        (dir / L"locked.tar.gz").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
    ASSERT_TRUE(lock.Valid());
    expectError(U8(dir / L"locked.tar.gz"), runtime::kPermissionDenied, "a locked file");
}

TEST(SettingsTest, StoredTextOrTheDefaultWhenNoneIsStored) {
    const std::string app = "PellwickTest" + std::to_string(::GetCurrentProcessId());
    const std::wstring wkey = L"Software\\" + std::wstring(app.begin(), app.end()) + L"\\Settings";
    EXPECT_EQ(runtime::GetSetting(app, "Settings", "QRL_Dir", "default"), "default") << "no key";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, wkey.c_str(), L"Other", REG_SZ, L"x", 4), ERROR_SUCCESS);
    EXPECT_EQ(runtime::GetSetting(app, "Settings", "QRL_Dir", "default"), "default") << "no value";
    const std::wstring stored = L"C:\\Quorrel \u03A9";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, wkey.c_str(), L"QRL_Dir", REG_SZ, stored.c_str(),
                                static_cast<DWORD>((stored.size() + 1) * 2)),
              ERROR_SUCCESS);
    EXPECT_EQ(runtime::GetSetting(app, "Settings", "QRL_Dir", "default"), "C:\\Quorrel \xCE\xA9");
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, wkey.c_str(), L"QRL_Dir", REG_SZ, L"", 2), ERROR_SUCCESS);
    EXPECT_EQ(runtime::GetSetting(app, "Settings", "QRL_Dir", "default"), "") << "an empty stored text is kept";
    const std::wstring big(5000, L'd');
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, wkey.c_str(), L"QRL_Dir", REG_SZ, big.c_str(),
                                static_cast<DWORD>((big.size() + 1) * 2)),
              ERROR_SUCCESS);
    EXPECT_EQ(runtime::GetSetting(app, "Settings", "QRL_Dir", "default"), std::string(5000, 'd'));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + std::wstring(app.begin(), app.end())).c_str());
}

TEST(SpecialFolderTest, DocumentsFolderAndRefusal) {
    const std::string found = modSpecialFolders::GetSpecialFolder(5);  // the personal documents folder
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.find('\0'), std::string::npos);
    EXPECT_NE(found.back(), ' ');
    EXPECT_EQ(testwin::WithoutTrailingSeparator(testwin::Wide(found)), testwin::DocumentsFolder());
    EXPECT_EQ(modSpecialFolders::GetSpecialFolder(0x7F), "") << "an id the shell does not know";
}

TEST(TextTest, SuffixTestUppercasesByTheUsersLanguage) {
    EXPECT_TRUE(window::HasPackageSuffix("x.TaR.gZ"));
    EXPECT_TRUE(window::HasPackageSuffix(".tar.gz"));
    EXPECT_FALSE(window::HasPackageSuffix("tar.gz"));
    EXPECT_FALSE(window::HasPackageSuffix("x.tar.gz.bak"));
    EXPECT_EQ(runtime::ToUpper("\xCF\x89\xCE\xB1.tar.gz"), "\xCE\xA9\xCE\x91.TAR.GZ");  // Greek too
}

}  // namespace
