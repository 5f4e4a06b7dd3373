// What the executable carries, read back through the system's resource and version APIs,
// and the engine it writes beside itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "app.h"
#include "support.h"

namespace testwin {
namespace {

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_.Reset(::LoadLibraryExW(ProgramUnderTest().c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        ASSERT_TRUE(module_.Valid());
    }

    std::string Resource(const wchar_t* type, int id, WORD language) const {
        return ResourceBytes(module_.Get(), type, id, language);
    }

    UniqueModule module_;
};

constexpr WORD kEnglishUs = 1033;

TEST_F(ResourcesTest, VersionBlock) {
    const std::wstring exe = ProgramUnderTest().wstring();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(
        ::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200) << "Unicode";

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"FileDescription", L"Pellwick"},      {L"ProductName", L"Pellwick"},  {L"InternalName", L"Pellwick"},
        {L"OriginalFilename", L"Pellwick.exe"}, {L"FileVersion", L"1.00.0001"}, {L"ProductVersion", L"1.00.0001"},
    };
    for (const auto& [name, expected] : strings) {
        wchar_t* value = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(::VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
            << Narrow(name);
        EXPECT_EQ(std::wstring(value), expected) << Narrow(name);
    }
}

TEST_F(ResourcesTest, IconGroupOneWithThreeImages) {
    const std::string group = Resource(RT_GROUP_ICON, 1, kEnglishUs);
    ASSERT_EQ(group.size(), 6u + 3 * 14);
    const auto word = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(group[at]) | static_cast<unsigned char>(group[at + 1])
                                                                                 << 8);
    };
    EXPECT_EQ(word(2), 1u) << "icons, not cursors";
    EXPECT_EQ(word(4), 3u);
    struct Image {
        int size, colours, bits, id;
    } const expected[] = {{32, 2, 1, 30001}, {32, 16, 4, 30002}, {16, 16, 4, 30003}};
    for (int i = 0; i < 3; ++i) {
        const std::size_t entry = 6 + 14 * static_cast<std::size_t>(i);
        const auto& e = expected[i];
        EXPECT_EQ(static_cast<unsigned char>(group[entry]), e.size);
        EXPECT_EQ(static_cast<unsigned char>(group[entry + 2]), e.colours);
        EXPECT_EQ(word(entry + 6), static_cast<unsigned>(e.bits));
        EXPECT_EQ(word(entry + 12), static_cast<unsigned>(e.id));
        const std::string image = Resource(RT_ICON, e.id, kEnglishUs);
        ASSERT_FALSE(image.empty()) << e.id;
        EXPECT_EQ(image.size(), word(entry + 8) | word(entry + 10) << 16) << e.id;
        BITMAPINFOHEADER header{};
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ(header.biWidth, e.size);
        EXPECT_EQ(header.biHeight, 2 * e.size) << "colour bits and mask";
        EXPECT_EQ(header.biBitCount, e.bits);
        const HICON icon =
            ::CreateIconFromResourceEx(reinterpret_cast<PBYTE>(const_cast<char*>(image.data())),
                                       static_cast<DWORD>(image.size()), TRUE, 0x00030000, e.size, e.size, 0);
        EXPECT_NE(icon, nullptr) << e.id;
        if (icon != nullptr) ::DestroyIcon(icon);
    }
    EXPECT_EQ(::LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(const_cast<char*>(group.data())), TRUE, 16, 16, 0),
              30003);
}

TEST_F(ResourcesTest, ManifestAsksForCommonControlsSixAndPerMonitorDpi) {
    const std::string manifest = Resource(RT_MANIFEST, 1, kEnglishUs);
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("6.0.0.0"), std::string::npos);
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
}

// The export table and import names of a DLL file, read from its bytes.
struct PeTables {
    std::string name;
    std::vector<std::string> exports;
    int functions = 0;
    std::set<std::string> imports;
};

PeTables ReadPe(const std::string& file) {
    PeTables t;
    auto at = [&](std::size_t offset, auto value) {
        std::memcpy(&value, file.data() + offset, sizeof value);
        return value;
    };
    const auto nt = at(0x3C, std::uint32_t{});
    const auto sections = at(nt + 6, std::uint16_t{});
    const auto optionalSize = at(nt + 20, std::uint16_t{});
    const std::size_t optional = nt + 24;
    const auto exportRva = at(optional + 112, std::uint32_t{});
    const auto importRva = at(optional + 120, std::uint32_t{});
    const std::size_t table = optional + optionalSize;
    auto offsetOf = [&](std::uint32_t rva) -> std::size_t {
        for (std::size_t i = 0; i < sections; ++i) {
            const std::size_t s = table + 40 * i;
            const auto va = at(s + 12, std::uint32_t{});
            const auto size = at(s + 16, std::uint32_t{});
            const auto raw = at(s + 20, std::uint32_t{});
            if (rva >= va && rva < va + size) return rva - va + raw;
        }
        throw std::runtime_error("address outside every section");
    };
    auto text = [&](std::uint32_t rva) { return std::string(file.data() + offsetOf(rva)); };
    if (exportRva != 0) {
        const std::size_t e = offsetOf(exportRva);
        t.name = text(at(e + 12, std::uint32_t{}));
        t.functions = static_cast<int>(at(e + 20, std::uint32_t{}));
        const auto names = at(e + 24, std::uint32_t{});
        const auto nameTable = offsetOf(at(e + 32, std::uint32_t{}));
        for (std::uint32_t i = 0; i < names; ++i) t.exports.push_back(text(at(nameTable + 4 * i, std::uint32_t{})));
    }
    for (std::size_t d = importRva != 0 ? offsetOf(importRva) : 0; importRva != 0; d += 20) {
        const auto nameRva = at(d + 12, std::uint32_t{});
        if (nameRva == 0) break;
        std::string dll = text(nameRva);
        std::transform(dll.begin(), dll.end(), dll.begin(), [](char c) { return static_cast<char>(::tolower(c)); });
        t.imports.insert(dll);
    }
    return t;
}

TEST_F(ResourcesTest, EngineResourceIsTheLibraryWrittenBesideTheProgram) {
    const std::string image = Resource(L"DLL", 101, kEnglishUs);
    ASSERT_FALSE(image.empty()) << "resource \"DLL\" 101 in language 1033";

    SetInstallerDirectory(nullptr);
    TempTree tree;
    const std::string package = SampleContent(100, 5);
    WriteBytes(tree / L"p.tar.gz", package);
    {
        const App app(tree / L"program");
        EXPECT_FALSE(std::filesystem::exists(tree / L"program" / L"md5.dll")) << "written at the first digest";
        app.SetFileName((tree / L"p.tar.gz").wstring());
        ASSERT_EQ(app.Digest(), Wide(SystemMd5(package)));
    }
    EXPECT_EQ(ReadBytes(tree / L"program" / L"md5.dll"), image);

    const PeTables pe = ReadPe(image);
    EXPECT_EQ(pe.name, "MD5.dll");
    EXPECT_EQ(pe.functions, 3);
    EXPECT_EQ(pe.exports, (std::vector<std::string>{"MD5Final", "MD5Init", "MD5Update"}));
    for (const auto& dll : pe.imports) {
        EXPECT_TRUE(dll == "kernel32.dll" || dll == "msvcrt.dll") << "imports " << dll;
    }
}

// The program imports only libraries that the system loads from its own folder whatever lies
// beside the program (its KnownDLLs), and the common controls its manifest binds; everything else
// (CNG's bcrypt.dll) it loads from the system folder by itself. A copy planted beside the program
// in a Downloads folder is then never loaded.
TEST_F(ResourcesTest, ProgramImportsOnlyKnownDllsAndTheCommonControls) {
    const std::set<std::string> allowed = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll",    "imm32.dll",
                                           "kernel32.dll", "msvcrt.dll",   "ole32.dll",    "oleaut32.dll", "rpcrt4.dll",
                                           "shell32.dll",  "shlwapi.dll",  "user32.dll",   "ws2_32.dll"};
    const PeTables pe = ReadPe(ReadBytes(ProgramUnderTest()));
    EXPECT_FALSE(pe.imports.empty());
    for (const auto& dll : pe.imports) EXPECT_TRUE(allowed.contains(dll)) << "imports " << dll;
}

}  // namespace
}  // namespace testwin
