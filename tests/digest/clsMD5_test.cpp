#include "digest/clsMD5.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "runtime/error.h"
#include "tests/support/rfc1321.h"
#include "tests/support/test_support.h"

namespace {

using digest::clsMD5;
using testsupport::TempDir;

using testsupport::kRfc1321Suite;

TEST(DigestTest, Rfc1321SuiteFromTextsAndFiles) {
    const clsMD5 md5;
    const TempDir dir;
    for (const auto& [text, expected] : kRfc1321Suite) {
        EXPECT_EQ(md5.DigestStrToHexStr(text), expected) << '"' << text << '"';
        const std::string file = dir / "vector.tar.gz";
        testsupport::WriteFile(file, text);
        EXPECT_EQ(md5.DigestFileToHexStr(file), expected) << "file holding \"" << text << '"';
    }
}

TEST(DigestTest, FilesAroundBlockAndReadBoundariesMatchTheReferenceTools) {
    const clsMD5 md5;
    const TempDir dir;
    std::string content;
    const digest::Algorithm others[] = {digest::Algorithm::kSha1, digest::Algorithm::kSha256,
                                        digest::Algorithm::kSha384, digest::Algorithm::kSha512};
    const char* tools[] = {"sha1sum", "sha256sum", "sha384sum", "sha512sum"};
    // Block edges, the 128 KiB read's edges, and the edges of the reads that the other digests'
    // threads share (four of them), where a carried-over tail matters.
    for (const std::size_t length : {0u, 55u, 56u, 63u, 64u, 65u, 100u, 131071u, 131072u, 131073u, 524289u, 655367u}) {
        content.resize(length);
        for (std::size_t i = 0; i < length; ++i) content[i] = static_cast<char>((i * 7919 + length) % 251);
        const std::string file = dir / ("len" + std::to_string(length));
        testsupport::WriteFile(file, content);
        EXPECT_EQ(md5.DigestFileToHexStr(file), testsupport::Md5sumOf(file)) << length << " bytes";
        const digest::FileDigests all = md5.DigestFile(file, others, nullptr);
        EXPECT_EQ(all.md5, testsupport::Md5sumOf(file)) << length << " bytes";
        EXPECT_EQ(all.size, length);
        ASSERT_EQ(all.others.size(), 4u) << (all.failed.empty() ? "" : all.failed[0].second);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(all.others[i].first, others[i]);
            EXPECT_EQ(all.others[i].second, testsupport::SumOf(tools[i], file))
                << tools[i] << ", " << length << " bytes";
        }
    }
}

TEST(DigestTest, OneMillionA) {
    const clsMD5 md5;
    const TempDir dir;
    const std::string text(1000000, 'a');
    testsupport::WriteFile(dir / "a.tar.gz", text);
    EXPECT_EQ(md5.DigestFileToHexStr(dir / "a.tar.gz"), "7707d6ae4e027c70eea2a935c2296f21");
    EXPECT_EQ(md5.DigestStrToHexStr(text), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(DigestTest, OneObjectServesManyIndependentCallsAndObjectsCoexist) {
    const clsMD5 first;
    const clsMD5 second;
    EXPECT_EQ(first.DigestStrToHexStr("abc"), second.DigestStrToHexStr("abc"));
    EXPECT_EQ(first.DigestStrToHexStr("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(first.DigestStrToHexStr("abc"), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(DigestTest, TextsAreDigestedAsWindows1252) {
    const clsMD5 md5;
    const TempDir dir;
    // "é€" is 0xE9 0x80 in Windows-1252: the text's digest is that of those two bytes.
    testsupport::WriteFile(dir / "cp1252", "\xE9\x80");
    EXPECT_EQ(md5.DigestStrToHexStr("\xC3\xA9\xE2\x82\xAC"), testsupport::Md5sumOf(dir / "cp1252"));
    // A byte that is not UTF-8 stands for a character the code page lacks.
    EXPECT_EQ(clsMD5::StringToBytes("\xE9")[0], '?');
    const auto bytes = clsMD5::StringToBytes(
        "\xE2\x82\xAC"
        "a\xE4\xB8\xAD");  // "€a中"
    ASSERT_EQ(bytes.size(), 4u);
    EXPECT_EQ(bytes[0], 0x80);
    EXPECT_EQ(bytes[1], 'a');
    EXPECT_EQ(bytes[2], '?');  // not in the code page
    EXPECT_EQ(bytes[3], 0);
    // A character beyond the BMP is two UTF-16 units, so two substitutes.
    EXPECT_EQ(clsMD5::StringToBytes("\xF0\x9F\x98\x80").size(), 3u);
    EXPECT_EQ(clsMD5::StringToBytes(""), std::vector<unsigned char>{0});
}

TEST(DigestTest, BytesToHexStrWritesTwoLowercaseDigitsPerByte) {
    const unsigned char bytes[] = {10, 171, 0, 255, 16};
    EXPECT_EQ(clsMD5::BytesToHexStr(bytes), "0aab00ff10");
    EXPECT_EQ(clsMD5::BytesToHexStr({}), "");
}

TEST(DigestErrorsTest, MissingFileDirectoryAndUnreadableFileNameTheFile) {
    const clsMD5 md5;
    const TempDir dir;
    try {
        md5.DigestFileToHexStr(dir / "missing.tar.gz");
        FAIL() << "no error for a missing file";
    } catch (const runtime::Error& e) {
        EXPECT_EQ(e.number(), runtime::kFileNotFound);
        EXPECT_NE(e.text().find(dir / "missing.tar.gz"), std::string::npos) << e.text();
    }
    ::mkdir((dir / "dir.tar.gz").c_str(), 0755);
    try {
        md5.DigestFileToHexStr(dir / "dir.tar.gz");
        FAIL() << "no error for a directory";
    } catch (const runtime::Error& e) {
        EXPECT_NE(e.text().find(dir / "dir.tar.gz"), std::string::npos) << e.text();
        EXPECT_NE(e.text().find("directory"), std::string::npos) << e.text();
    }
    EXPECT_THROW(md5.DigestFileToHexStr(std::string("a\0b", 3)), runtime::Error);
}

}  // namespace
