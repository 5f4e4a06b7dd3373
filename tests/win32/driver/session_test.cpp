// A session of typing, pasting, browsing and digesting reads and never writes: the stored
// setting, every package with its timestamps and the program folder are as they were
// afterwards, but for the engine the program puts beside itself.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app.h"
#include "support.h"

namespace testwin {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Quorrel\\Settings";

// The value, the key's value count and its last-write time. Wine's registry leaves the time
// alone when a value is rewritten with the bytes it already holds (Windows moves it), so under
// Wine that one write goes unseen; any write that changes, adds or deletes a value shows.
struct Setting {
    DWORD type = 0;
    std::string bytes;
    DWORD values = 0;
    FILETIME written{};
    bool operator==(const Setting& o) const {
        return type == o.type && bytes == o.bytes && values == o.values && ::CompareFileTime(&written, &o.written) == 0;
    }
};

Setting ReadSetting() {
    Setting s;
    runtime::win32::UniqueKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.Out()) != ERROR_SUCCESS) {
        throw std::runtime_error("no settings key");
    }
    DWORD size = 0;
    ::RegQueryValueExW(key.Get(), L"QRL_Dir", nullptr, &s.type, nullptr, &size);
    s.bytes.resize(size);
    ::RegQueryValueExW(key.Get(), L"QRL_Dir", nullptr, &s.type, reinterpret_cast<BYTE*>(s.bytes.data()), &size);
    ::RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &s.values, nullptr, nullptr,
                       nullptr, &s.written);
    return s;
}

struct FileState {
    bool directory = false;
    std::string bytes;
    FILETIME created{}, written{};
    DWORD attributes = 0;
    bool operator==(const FileState& o) const {
        return directory == o.directory && bytes == o.bytes && attributes == o.attributes &&
               ::CompareFileTime(&created, &o.created) == 0 && ::CompareFileTime(&written, &o.written) == 0;
    }
};

// Everything under `root`, by relative path.
std::map<std::wstring, FileState> Snapshot(const std::filesystem::path& root) {
    std::map<std::wstring, FileState> all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        FileState f;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!::GetFileAttributesExW(entry.path().c_str(), GetFileExInfoStandard, &data)) {
            throw std::runtime_error("cannot read " + Narrow(entry.path().wstring()));
        }
        f.directory = entry.is_directory();
        f.attributes = data.dwFileAttributes;
        f.created = data.ftCreationTime;
        f.written = data.ftLastWriteTime;
        // A folder's own times change whenever something in it changes; its entries are compared.
        if (f.directory) f.written = {};
        if (!f.directory) f.bytes = ReadBytes(entry.path());
        all[std::filesystem::relative(entry.path(), root).wstring()] = f;
    }
    return all;
}

std::set<std::wstring> Listing(const std::filesystem::path& folder) {
    std::set<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

TEST(SessionTest, TypingBrowsingAndDigestingWriteNothingButTheEngine) {
    TempTree tree;
    const auto packages = tree / L"packages";
    std::filesystem::create_directories(packages / L"sub.tar.gz");
    const std::wstring names[] = {L"one.tar.gz", L"Two.TAR.GZ", L"\u03A9\u6570.tar.gz", L"readme.txt"};
    std::map<std::wstring, std::wstring> digests;
    unsigned seed = 40;
    for (const auto& name : names) {
        const std::string content = SampleContent(10000 + 3000 * seed, seed);
        ++seed;
        WriteBytes(packages / name, content);
        digests[name] = Wide(SystemMd5(content));
    }
    WriteBytes(packages / L"sub.tar.gz" / L"inner.tar.gz", SampleContent(700, 50));
    ::SetFileAttributesW((packages / L"Two.TAR.GZ").c_str(), FILE_ATTRIBUTE_READONLY);
    SetInstallerDirectory((packages.wstring() + L"\\").c_str());
    const auto program = tree / L"program";
    std::filesystem::create_directories(program);
    std::filesystem::copy_file(ProgramUnderTest(), program / L"Pellwick.exe");

    const Setting setting = ReadSetting();
    ASSERT_EQ(setting.type, static_cast<DWORD>(REG_SZ));
    ASSERT_NE(setting.written.dwHighDateTime, 0u) << "the key's time must be known to tell a write";
    const auto files = Snapshot(packages);
    const auto listing = Listing(program);
    ASSERT_EQ(files.size(), 6u);

    {
        const App app(program, std::filesystem::path{}, false);
        // Typed key by key.
        const std::wstring typed = (packages / L"one.tar.gz").wstring();
        app.SetFileName(L"");
        for (const wchar_t c : typed) ::SendMessageW(app.FileNameBox(), WM_CHAR, c, 1);
        EXPECT_EQ(app.Digest(), digests[L"one.tar.gz"]);
        // Pasted whole, in other cases of letters, and a folder, a text file, nothing.
        app.SetFileName((packages / L"Two.TAR.GZ").wstring());
        EXPECT_EQ(app.Digest(), digests[L"Two.TAR.GZ"]);
        app.SetFileName((packages / L"\u03A9\u6570.tar.gz").wstring());
        EXPECT_EQ(app.Digest(), digests[L"\u03A9\u6570.tar.gz"]);
        app.SetFileName((packages / L"readme.txt").wstring());
        app.SetFileName((packages / L"sub.tar.gz").wstring());
        EXPECT_EQ(app.Digest(), L"");
        app.SetFileName((packages / L"sub.tar.gz" / L"inner.tar.gz").wstring());
        EXPECT_FALSE(app.Digest().empty());

        // Browse: OK on a package the person clicks in the tree.
        HWND dialog = OpenBrowseDialog(app);
        ASSERT_NE(dialog, nullptr);
        const std::wstring chosen = (packages / L"one.tar.gz").wstring();
        WaitFor([&] { return SameText(BrowseStatusText(dialog), packages.wstring()); }, std::chrono::seconds(3));
        EXPECT_TRUE(SelectInBrowseTree(dialog, chosen));
        EXPECT_TRUE(CloseBrowseDialog(app, dialog, IDOK));
        EXPECT_TRUE(SameText(app.FileName(), chosen)) << Narrow(app.FileName());
        EXPECT_TRUE(WaitFor([&] { return app.Digest() == digests[L"one.tar.gz"]; }));  // it runs after the close
        // And a dialog cancelled.
        dialog = OpenBrowseDialog(app);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(CloseBrowseDialog(app, dialog, IDCANCEL));
        EXPECT_EQ(app.Digest(), digests[L"one.tar.gz"]);
    }

    EXPECT_TRUE(ReadSetting() == setting) << "the stored setting or its key changed";
    const auto after = Snapshot(packages);
    EXPECT_EQ(after.size(), files.size()) << "files appeared or went";
    for (const auto& [name, state] : files) {
        const auto it = after.find(name);
        ASSERT_NE(it, after.end()) << Narrow(name) << " went";
        EXPECT_TRUE(it->second == state) << Narrow(name) << " changed";
    }
    auto expected = listing;
    expected.insert(L"md5.dll");
    EXPECT_EQ(Listing(program), expected);
}

}  // namespace
}  // namespace testwin
