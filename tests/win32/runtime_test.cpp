// The digest object and the Win32 runtime, in process: RFC 1321's vectors through the real
// engine, FIPS 180's through the system's CNG, the first-match lookup, file errors, the engine's atomic write, the
// settings store, the documents folder and the narrowed library search.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <thread>

#include "digest/clsMD5.h"
#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/library.h"
#include "runtime/settings.h"
#include "runtime/text.h"
#include "shell/modSpecialFolders.h"
#include "tests/support/rfc1321.h"
#include "window/frmMain.h"

// After the program's headers: the system's names are macros.
// clang-format off
#include <windows.h>

#include "runtime/system_win32.h"
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
    // Every entry's name with its content ("<folder>" for a folder).
    std::map<std::wstring, std::string> Entries() const {
        std::map<std::wstring, std::string> entries;
        for (const auto& entry : fs::directory_iterator(tree_.Path())) {
            entries[entry.path().filename()] = entry.is_directory() ? "<folder>" : testwin::ReadBytes(entry.path());
        }
        return entries;
    }
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

TEST(FirstMatchTest, OnlyOrdinaryFilesAreFoundAndWildcardsAndDevicesNameNothing) {
    const Folder dir;
    dir.Write(L"plain.tar.gz", "x");
    dir.Write(L"hidden.tar.gz", "x", FILE_ATTRIBUTE_HIDDEN);
    dir.Write(L"system.tar.gz", "x", FILE_ATTRIBUTE_SYSTEM);
    dir.Write(L"readonly.tar.gz", "x", FILE_ATTRIBUTE_READONLY);
    dir.Write(L"\u03A9\u6570.tar.gz", "x");
    fs::create_directories(dir / L"folder.tar.gz");
    // Names that only look like devices are ordinary files.
    const std::wstring nearDevices[] = {L"CONSOLE.tar.gz", L"NULL.tar.gz", L"COM10.tar.gz", L"LPT.tar.gz",
                                        L"xAUX.tar.gz",    L"PRN_.tar.gz", L"com1x.tar.gz"};
    for (const auto& name : nearDevices) dir.Write(name, "x");

    const std::pair<std::wstring, std::string> found[] = {
        {L"plain.tar.gz", "plain.tar.gz"},
        {L"PLAIN.TAR.GZ", "plain.tar.gz"},  // the name as stored
        {L"readonly.tar.gz", "readonly.tar.gz"},
        {L"\u03A9\u6570.tar.gz", "\xCE\xA9\xE6\x95\xB0.tar.gz"},
    };
    for (const auto& [name, stored] : found) EXPECT_EQ(runtime::FindFirstMatch(U8(dir / name)), stored) << U8(name);
    for (const auto& name : nearDevices) EXPECT_EQ(runtime::FindFirstMatch(U8(dir / name)), U8(name));
    for (const std::wstring name :
         {L"hidden.tar.gz", L"system.tar.gz", L"folder.tar.gz", L"missing", L"*.tar.gz", L"plain.tar.g?",
          L"plain.tar.g<", L"plain.tar.gz\\",
          // The system's devices, in an existing folder, whatever follows their name.
          L"CON.tar.gz", L"nul.tar.gz", L"Aux.TAR.GZ", L"PRN", L"COM1.tar.gz", L"com9.x.tar.gz", L"LPT1.tar.gz",
          L"lpt9.tar.gz", L"CON .tar.gz", L"NUL..tar.gz", L"COM1 . .tar.gz"}) {
        EXPECT_EQ(runtime::FindFirstMatch(U8(dir / name)), "") << U8(name);
    }
    EXPECT_EQ(runtime::FindFirstMatch(""), "");
    EXPECT_EQ(runtime::FindFirstMatch(U8(dir / L"plain.tar.gz") + std::string(1, '\0') + "x"), "");
}

TEST(FirstMatchTest, PathsInEveryFormAreFoundAndDigestedAtAnyLength) {
    const Folder dir;
    std::wstring deep = L"\\\\?\\" + (dir / L"").wstring();
    for (int i = 0; i < 5; ++i) deep += std::wstring(60, static_cast<wchar_t>(L'k' + i)) + L"\\";
    fs::create_directories(deep);
    std::ofstream(fs::path(deep + L"deep.tar.gz"), std::ios::binary) << "abc";
    dir.Write(L"short.tar.gz", "abc");
    const std::wstring paths[] = {deep.substr(4) + L"deep.tar.gz", (dir / L"short.tar.gz").wstring()};
    ASSERT_GT(paths[0].size(), 300u);
    ASSERT_LT(paths[1].size(), 200u);

    // Each prefix the system knows, with the program's "/" or the system's "\\" between names.
    const std::pair<std::wstring, wchar_t> forms[] = {
        {L"", L'\\'}, {L"", L'/'}, {L"\\\\?\\", L'\\'}, {L"\\\\.\\", L'\\'}, {L"//?/", L'/'}, {L"//./", L'/'},
    };
    for (const auto& path : paths) {
        for (const auto& [prefix, separator] : forms) {
            std::wstring text = prefix + path;
            std::replace(text.begin() + static_cast<std::ptrdiff_t>(prefix.size()), text.end(), L'\\', separator);
            EXPECT_EQ(runtime::FindFirstMatch(U8(text)), U8(fs::path(path).filename())) << U8(text);
            std::string digest;
            EXPECT_NO_THROW(digest = clsMD5().DigestFileToHexStr(U8(text))) << U8(text);
            EXPECT_EQ(digest, "900150983cd24fb0d6963f7d28e17f72") << U8(text);
        }
    }
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

TEST(ReplaceFileTest, LinksPlantedAtTemporaryNamesAreNotWrittenThroughAndFailuresLeaveNothing) {
    const std::string image = "the new engine";
    struct Case {
        const char* what;
        // Prepares the folder; the handle returned stays open during the replacement.
        runtime::win32::UniqueHandle (*prepare)(const Folder& dir);
        bool replaced;
    };
    const Case cases[] = {
        {"links at the names a temporary file used to have",
         [](const Folder& dir) {
             dir.Write(L"md5.dll", "the old engine");
             dir.Write(L"victim", "kept");
             const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
             for (const std::wstring& name : {L"md5.dll." + pid + L".tmp", std::wstring(L"md5.dll.tmp")}) {
                 EXPECT_TRUE(::CreateHardLinkW((dir / name).c_str(), (dir / L"victim").c_str(), nullptr));
             }
             return runtime::win32::UniqueHandle();
         },
         true},
        {"a folder in the file's place",
         [](const Folder& dir) {
             fs::create_directories(dir / L"md5.dll");
             return runtime::win32::UniqueHandle();
         },
         false},
        {"the file held open by another, which lets nobody replace it",
         [](const Folder& dir) {
             dir.Write(L"md5.dll", "the old engine");
             return runtime::win32::UniqueHandle(runtime::win32::NullIfInvalid(::CreateFileW(
                 (dir / L"md5.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)));
         },
         false},
    };
    for (const auto& c : cases) {
        const Folder dir;
        const auto held = c.prepare(dir);
        auto expected = dir.Entries();
        const std::string path = U8(dir / L"md5.dll");
        try {
            runtime::ReplaceFileAtomically(path, {reinterpret_cast<const unsigned char*>(image.data()), image.size()});
            EXPECT_TRUE(c.replaced) << c.what << ": no error";
            expected[L"md5.dll"] = image;
        } catch (const runtime::Error& e) {
            EXPECT_FALSE(c.replaced) << c.what << ": " << e.text();
            EXPECT_NE(e.text().find(path), std::string::npos) << c.what << ": " << e.text();
        }
        EXPECT_EQ(dir.Entries(), expected) << c.what;
    }
}

// The SHA digests come from the system's CNG, loaded from the system folder when first needed;
// FIPS 180's own examples are the reference.
TEST(PlatformDigestTest, ShaDigestsFromTheSystemMatchTheStandardsExamples) {
    const Folder dir;
    const clsMD5 md5;
    const digest::Algorithm all[] = {digest::Algorithm::kSha1, digest::Algorithm::kSha256, digest::Algorithm::kSha384,
                                     digest::Algorithm::kSha512};
    dir.Write(L"abc", "abc");
    const digest::FileDigests abc = md5.DigestFile(U8(dir / L"abc"), all, nullptr);
    ASSERT_TRUE(abc.failed.empty()) << abc.failed[0].second;
    const std::vector<std::pair<digest::Algorithm, std::string>> fips = {
        {digest::Algorithm::kSha1, "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {digest::Algorithm::kSha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {digest::Algorithm::kSha384,
         "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7"},
        {digest::Algorithm::kSha512,
         "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3feebbd454d4423643ce"
         "8"
         "0e2a9ac94fa54ca49f"}};
    EXPECT_EQ(abc.others, fips);
    EXPECT_EQ(abc.md5, "900150983cd24fb0d6963f7d28e17f72");
}

TEST(ReadInterrupterTest, ReadBlockedOnAPipeEndsWhenInterrupted) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    const runtime::win32::UniqueHandle reader(readEnd), writer(writeEnd);
    std::unique_ptr<runtime::ReadInterrupter> interrupter;
    std::atomic<bool> ready{false}, returned{false};
    DWORD error = 0;
    std::thread blocked([&] {
        interrupter = std::make_unique<runtime::ReadInterrupter>();
        ready = true;
        char byte = 0;
        DWORD got = 0;
        if (!::ReadFile(reader.Get(), &byte, 1, &got, nullptr)) error = ::GetLastError();
        returned = true;
    });
    while (!ready) std::this_thread::yield();
    ::Sleep(200);
    ASSERT_FALSE(returned) << "the read blocks until something is written";
    interrupter->Interrupt();
    for (int i = 0; i < 100 && !returned; ++i) ::Sleep(10);
    if (!returned) ::WriteFile(writer.Get(), "x", 1, nullptr, nullptr);  // lets the thread end
    blocked.join();
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_OPERATION_ABORTED));
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

// Last: the narrowing holds for the rest of the process. Bare names, as the system's own
// libraries ask for more, come from the system directory only afterwards; the engine still
// loads by its full path.
TEST(LibrarySearchTest, AfterNarrowingLibrariesBesideTheProgramOrInTheCurrentFolderAreNotFound) {
    const clsMD5 md5;  // writes the engine beside this program
    const fs::path engine(runtime::Utf8ToUtf16(md5.EnginePath()));
    const Folder work;
    struct Case {
        std::wstring name;
        fs::path plantedIn;  // empty: a library of the system's own
        bool found;
    };
    const Case cases[] = {
        {L"pellwick-planted.dll", engine.parent_path(), false},
        {L"pellwick-planted-in-cwd.dll", work / L"", false},
        {L"version.dll", {}, true},
    };
    wchar_t cwd[MAX_PATH] = {};
    ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH, cwd), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryW((work / L"").c_str()));
    const runtime::ScopeGuard restore([&] {
        ::SetCurrentDirectoryW(cwd);
        for (const auto& c : cases) {
            if (!c.plantedIn.empty()) fs::remove(c.plantedIn / c.name);
        }
    });
    for (const auto& c : cases) {
        if (c.plantedIn.empty()) continue;
        fs::copy_file(engine, c.plantedIn / c.name, fs::copy_options::overwrite_existing);
        const HMODULE before = ::LoadLibraryW(c.name.c_str());
        ASSERT_NE(before, nullptr) << U8(c.name) << ": the plant is found before";
        ::FreeLibrary(before);
    }

    ASSERT_TRUE(runtime::win32::NarrowLibrarySearch());
    for (const auto& c : cases) {
        const HMODULE module = ::LoadLibraryW(c.name.c_str());
        EXPECT_EQ(module != nullptr, c.found) << U8(c.name);
        if (module != nullptr) ::FreeLibrary(module);
    }
    fs::copy_file(engine, work / L"engine-copy.dll");
    const std::string copy = U8(work / L"engine-copy.dll");
    void* library = runtime::LoadLibraryForever(copy);
    EXPECT_NE(runtime::FindEntryPoint(library, "MD5Final", copy), nullptr);
    ::FreeLibrary(static_cast<HMODULE>(library));
    EXPECT_EQ(md5.DigestStrToHexStr("abc"), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
