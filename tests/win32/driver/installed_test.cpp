// The program as the Windows installer leaves it (Installed.*): registered for "Open with"
// without taking any type, one uninstall entry, a Start menu shortcut, and an installed copy
// that digests without rewriting the engine installed beside it; and nothing of it once it is
// uninstalled (Removed.*). tests/win32/installer.sh installs and removes it between the runs,
// and names the version it expects in PELLWICK_EXPECTED_VERSION.
#include <gtest/gtest.h>
#include <shlobj.h>

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

// True when a value's name or text under the key, at any depth, mentions Pellwick.
bool MentionsPellwick(HKEY root, const std::wstring& path) {
    UniqueKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, key.Out()) != ERROR_SUCCESS) return false;
    wchar_t name[256];
    BYTE data[2048];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 256, size = sizeof data - 2, type = 0;
        if (::RegEnumValueW(key.Get(), i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        std::wstring text(name, nameLength);
        if (type == REG_SZ || type == REG_EXPAND_SZ) text += reinterpret_cast<const wchar_t*>(data);
        if (text.find(L"Pellwick") != std::wstring::npos) return true;
    }
    for (const auto& sub : Subkeys(key.Get()))
        if (sub.find(L"Pellwick") != std::wstring::npos || MentionsPellwick(root, path + L"\\" + sub)) return true;
    return false;
}

std::filesystem::path KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    const HRESULT found = ::SHGetKnownFolderPath(id, 0, nullptr, &path);
    const runtime::ScopeGuard free([path] { ::CoTaskMemFree(path); });
    return SUCCEEDED(found) ? std::filesystem::path(path) : std::filesystem::path();
}

// The Start menu shortcuts named Pellwick. A per-machine shortcut belongs in the common
// Programs folder; Wine's msiexec puts it in the user's, so both are searched.
std::vector<std::filesystem::path> Shortcuts() {
    std::vector<std::filesystem::path> found;
    for (const auto& folder : {KnownFolder(FOLDERID_CommonPrograms), KnownFolder(FOLDERID_Programs)}) {
        const auto link = folder / L"Pellwick.lnk";
        if (!folder.empty() && std::filesystem::exists(link)) found.push_back(link);
    }
    return found;
}

template <typename I>
void ReleaseInterface(I* object) {
    object->Release();
}

std::wstring ShortcutTarget(const std::filesystem::path& link) {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const runtime::ScopeGuard uninitialize([com] {
        if (SUCCEEDED(com)) ::CoUninitialize();
    });
    runtime::UniqueResource<IShellLinkW*, &ReleaseInterface<IShellLinkW>> shellLink;
    runtime::UniqueResource<IPersistFile*, &ReleaseInterface<IPersistFile>> file;
    wchar_t target[MAX_PATH] = {};
    const bool read =
        SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(shellLink.Out()))) &&
        SUCCEEDED(shellLink.Get()->QueryInterface(IID_PPV_ARGS(file.Out()))) &&
        SUCCEEDED(file.Get()->Load(link.c_str(), STGM_READ)) &&
        SUCCEEDED(shellLink.Get()->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH));
    return read ? target : L"";
}

std::wstring ExpectedVersion() {
    const char* version = std::getenv("PELLWICK_EXPECTED_VERSION");
    return version != nullptr ? Wide(version) : L"";
}

const std::filesystem::path& InstallFolder() {
    static const std::filesystem::path folder = ProgramUnderTest().parent_path();
    return folder;
}

TEST(Installed, RegistersOpenWithForPackagesWithoutTakingTheirType) {
    const UniqueKey command = OpenMachineKey(std::wstring(kApplicationKey) + L"\\shell\\open\\command");
    EXPECT_EQ(StringValue(command.Get(), nullptr), L"\"" + ProgramUnderTest().wstring() + L"\" \"%1\"");
    const UniqueKey types = OpenMachineKey(std::wstring(kApplicationKey) + L"\\SupportedTypes");
    EXPECT_EQ(StringValue(types.Get(), L".gz"), L"");
    EXPECT_EQ(StringValue(types.Get(), L".tgz"), L"");
    for (const wchar_t* type : {L".gz", L".tgz", L".tar.gz"})
        EXPECT_FALSE(MentionsPellwick(HKEY_CLASSES_ROOT, type)) << type;
}

TEST(Installed, HasOneUninstallEntryWithVersionAndPublisher) {
    const auto entries = UninstallEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first, ExpectedVersion());
    EXPECT_EQ(entries[0].second, Wide(PELLWICK_PUBLISHER));
}

TEST(Installed, HasAStartMenuShortcutToTheProgram) {
    const auto links = Shortcuts();
    ASSERT_EQ(links.size(), 1u);
    EXPECT_TRUE(SameText(ShortcutTarget(links[0]), ProgramUnderTest().wstring())) << ShortcutTarget(links[0]);
}

TEST(Installed, DigestsWithoutRewritingItsEngine) {
    const auto engine = InstallFolder() / L"md5.dll";
    WIN32_FILE_ATTRIBUTE_DATA before{}, after{};
    ASSERT_TRUE(::GetFileAttributesExW(engine.c_str(), GetFileExInfoStandard, &before));
    const std::string image = ReadBytes(engine);

    const TempTree tree;
    const std::string package = SampleContent(70000, 11);
    WriteBytes(tree / L"release-2.0.tar.gz", package);
    {
        const App app(InstallFolder(), tree.Path(), /*copyProgram=*/false);
        app.SetFileName((tree / L"release-2.0.tar.gz").wstring());
        EXPECT_EQ(Utf8(app.Digest()), SystemMd5(package));
    }
    ASSERT_TRUE(::GetFileAttributesExW(engine.c_str(), GetFileExInfoStandard, &after));
    EXPECT_TRUE(ReadBytes(engine) == image) << "the installed engine was rewritten";
    EXPECT_EQ(::CompareFileTime(&before.ftCreationTime, &after.ftCreationTime), 0);
    EXPECT_EQ(::CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime), 0);
}

TEST(Removed, LeavesNoFileFolderShortcutOrKey) {
    EXPECT_FALSE(std::filesystem::exists(InstallFolder()));
    EXPECT_TRUE(Shortcuts().empty());
    EXPECT_FALSE(OpenMachineKey(kApplicationKey).Valid());
    EXPECT_TRUE(UninstallEntries().empty());
}

}  // namespace
}  // namespace testwin
