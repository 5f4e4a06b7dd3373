// The program as the Windows installer leaves it (Installed.*): registered for "Open with", one
// uninstall entry, an installed copy that digests, and its check verb; and no registration once it is removed
// (Removed.*). tests/win32/installer.sh installs and removes it between the runs, checks the
// files, the shortcut and the engine's file itself, and names the version it expects in
// PELLWICK_EXPECTED_VERSION.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <vector>

#include "app.h"
#include "runtime/system_win32.h"
#include "support.h"

namespace testwin {
namespace {

using runtime::win32::UniqueKey;

constexpr wchar_t kApplicationKey[] = L"Software\\Classes\\Applications\\Pellwick.exe";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr wchar_t kAssociationsKey[] = L"Software\\Classes\\SystemFileAssociations\\";

UniqueKey OpenMachineKey(const std::wstring& path) {
    UniqueKey key;
    ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Out());
    return key;
}

std::optional<std::wstring> StringValue(HKEY key, const wchar_t* name) {
    wchar_t text[2048] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return std::nullopt;
    return std::wstring(text);
}

std::vector<std::wstring> Subkeys(HKEY key) {
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

// The uninstall entries named Pellwick, as (version, publisher).
std::vector<std::pair<std::wstring, std::wstring>> UninstallEntries() {
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    const UniqueKey all = OpenMachineKey(kUninstallKey);
    for (const auto& name : Subkeys(all.Get())) {
        const UniqueKey entry = OpenMachineKey(std::wstring(kUninstallKey) + L"\\" + name);
        if (StringValue(entry.Get(), L"DisplayName") == L"Pellwick")
            entries.emplace_back(StringValue(entry.Get(), L"DisplayVersion").value_or(L""),
                                 StringValue(entry.Get(), L"Publisher").value_or(L""));
    }
    return entries;
}

std::wstring ExpectedVersion() {
    const char* version = std::getenv("PELLWICK_EXPECTED_VERSION");
    return version != nullptr ? Wide(version) : L"";
}

// "Open with", and "Check with Pellwick" among each type's own verbs, never made its default.
TEST(Installed, RegistersOpenWithAndTheCheckVerb) {
    const UniqueKey command = OpenMachineKey(std::wstring(kApplicationKey) + L"\\shell\\open\\command");
    EXPECT_EQ(StringValue(command.Get(), nullptr), L"\"" + ProgramUnderTest().wstring() + L"\" \"%1\"");
    const UniqueKey types = OpenMachineKey(std::wstring(kApplicationKey) + L"\\SupportedTypes");
    for (const wchar_t* type : {L".gz", L".md5", L".sha1", L".sha256", L".sha512", L".dsc", L".asc", L".sig"}) {
        EXPECT_EQ(StringValue(types.Get(), type), L"") << Narrow(type);
        const std::wstring shell = kAssociationsKey + std::wstring(type) + L"\\shell",
                           verb = shell + L"\\Pellwick.Check";
        EXPECT_EQ(StringValue(OpenMachineKey(shell).Get(), nullptr), std::nullopt) << Narrow(type);
        EXPECT_EQ(StringValue(OpenMachineKey(verb).Get(), nullptr), L"Check with Pellwick") << Narrow(type);
        EXPECT_EQ(StringValue(OpenMachineKey(verb).Get(), L"Icon"), ProgramUnderTest().wstring()) << Narrow(type);
        EXPECT_EQ(StringValue(OpenMachineKey(verb + L"\\command").Get(), nullptr), StringValue(command.Get(), nullptr))
            << Narrow(type);
    }
    EXPECT_EQ(StringValue(types.Get(), L".tgz"), std::nullopt) << "never digested, so never offered";
}

TEST(Installed, HasOneUninstallEntryWithVersionAndPublisher) {
    const auto entries = UninstallEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first, ExpectedVersion());
    EXPECT_EQ(entries[0].second, Wide(PELLWICK_PUBLISHER));
}

TEST(Installed, Digests) {
    const TempTree tree;
    const std::string package = SampleContent(70000, 11);
    WriteBytes(tree / L"release-2.0.tar.gz", package);
    const App app(ProgramUnderTest().parent_path(), tree.Path(), /*copyProgram=*/false);
    app.SetFileName((tree / L"release-2.0.tar.gz").wstring());
    EXPECT_EQ(Narrow(app.Digest()), SystemMd5(package));
}

// The check verb's command line as the shell runs it, on a package with the publisher's list beside it.
TEST(Installed, CheckVerbChecksAPackage) {
    SetClipboardText(L"");
    const TempTree tree;
    WriteBytes(tree / L"a b.tar.gz", "hello");  // whose SHA-256 the list gives
    WriteBytes(tree / L"SHA256SUMS", "2cf24dba5fb0a30e26e83b2ac5b9e29e1b161e5c1fa7425e73043362938b9824  a b.tar.gz\n");
    const UniqueKey verb = OpenMachineKey(kAssociationsKey + std::wstring(L".gz\\shell\\Pellwick.Check\\command"));
    std::wstring command = StringValue(verb.Get(), nullptr).value_or(L"");
    const App app(command.replace(command.find(L"%1"), 2, (tree / L"a b.tar.gz").wstring()), tree.Path());
    const std::wstring caption = L"Pellwick \u2013 matches SHA256SUMS (SHA-256)";
    EXPECT_TRUE(WaitFor([&] { return WindowText(app.Window()) == caption; })) << Narrow(WindowText(app.Window()));
}

// The program never rewrites an engine that is its own image, signed or not.
TEST(Installed, EngineIsTheImageTheProgramCarries) {
    const UniqueModule program(::LoadLibraryExW(ProgramUnderTest().c_str(), nullptr,
                                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(program.Valid());
    EXPECT_EQ(ReadBytes(ProgramUnderTest().parent_path() / L"md5.dll"),
              ResourceBytes(program.Get(), L"DLL", 101, 1033));
}

TEST(Removed, LeavesNoRegistration) {
    EXPECT_FALSE(OpenMachineKey(kApplicationKey).Valid());
    EXPECT_TRUE(UninstallEntries().empty());
}

}  // namespace
}  // namespace testwin
