// The stages of a checksum file's text, each fed its input in pieces of every size from one byte
// up: bytes to UTF-8, text to lines, lines to a clearsigned message's signed text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "verify/clearsign.h"
#include "verify/text_decoder.h"
#include "verify/text_lines.h"

namespace {

using namespace std::string_literals;

TEST(TextStagesTest, BytesBecomeUtf8ByTheirMark) {
    const struct {
        std::string bytes, text;
    } rows[] = {
        {"ab", "ab"},
        {"\xEF\xBB\xBF"
         "a\r\n",
         "a\r\n"},
        {"\xFF\xFE"
         "a\0\n\0"s,
         "a\n"},
        {"\xFE\xFF\0a\0\n"s, "a\n"},
        {"\xFF\xFE\x3D\xD8\x00\xDE!\0"s, "\xF0\x9F\x98\x80!"},  // a pair split over any two pieces
        {"\xFF\xFE"
         "a\0b"s,
         "a"},                                  // half a unit at the end is nothing
        {"\xFF\xFE\x3D\xD8"s, "\xEF\xBF\xBD"},  // a lone first half is a character of its own
        {"a\xFF\xFE", "a\xFF\xFE"},             // a mark elsewhere is no mark
    };
    for (const auto& row : rows) {
        for (std::size_t piece = 1; piece <= row.bytes.size(); ++piece) {
            verify::TextDecoder decoder;
            std::string text;
            for (std::size_t at = 0; at < row.bytes.size(); at += piece)
                text += decoder.Feed(row.bytes.substr(at, piece));
            text += decoder.End();
            EXPECT_EQ(text, row.text) << "piece " << piece;
        }
    }
}

TEST(TextStagesTest, TextBecomesLinesThatALongOneDoesNotOverflow) {
    const std::string longName = "x" + std::string(verify::kLineLimit, 'y') + " foo.tar.gz";
    const struct {
        std::string text;
        // Each line as "text" or, cut, as "<cut>" with "+" when it names the package.
        std::vector<std::string> lines;
    } rows[] = {
        {"a\r\nb\n\nc", {"a", "b", "", "c"}},
        {"a\r\r\n\r", {"a\r", ""}},
        // Blanks before the first word count only as there being some: they overflow nothing.
        {std::string(verify::kLineLimit + 9, ' ') + "\tx\n", {" x"}},
        {"h " + std::string(verify::kLineLimit, 'z') + "\nnext\n", {"<cut>", "next"}},
        {longName + "\n", {"<cut>+"}},
    };
    for (const auto& row : rows) {
        for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{4096}, row.text.size()}) {
            std::vector<std::string> lines;
            verify::TextLines splitter("foo.tar.gz", [&](const verify::Line& line, bool namesPackage) {
                EXPECT_EQ(line.number, lines.size() + 1);
                lines.push_back(line.cut ? std::string("<cut>") + (namesPackage ? "+" : "") : std::string(line.text));
            });
            for (std::size_t at = 0; at < row.text.size(); at += piece) splitter.Feed(row.text.substr(at, piece));
            splitter.End();
            EXPECT_EQ(lines, row.lines) << row.text.substr(0, 40) << " in pieces of " << piece;
        }
    }
}

// As `gpg --decrypt` gives the text back: the rows GnuPG itself is not held to in the agreement
// test (text around the message, trailing blanks, NotDashEscaped and a second message are).
TEST(TextStagesTest, AClearsignedMessageGivesItsSignedTextWhereverItStands) {
    const std::string begin = "-----BEGIN PGP SIGNED MESSAGE-----", signature = "-----BEGIN PGP SIGNATURE-----",
                      end = "-----END PGP SIGNATURE-----";
    const struct {
        std::vector<std::string> lines;
        std::vector<std::string> text;
        bool whole, outside;
    } rows[] = {
        {{begin, "Hash: SHA256", " \t", "- -b", "-c", signature, "", "iQ", end}, {"-b", "-c"}, true, false},
        {{begin, "Comment: x", "", "a", signature, end}, {}, false, false},  // GnuPG takes no other header
        {{" " + begin, "", "a", signature, end}, {}, false, true},
        {{begin, "Hash: SHA256", "", "a", signature}, {"a"}, false, false},
    };
    for (const auto& row : rows) {
        verify::Clearsign clearsign;
        std::vector<std::string> text;
        for (const std::string& line : row.lines) {
            if (const auto signedText = clearsign.Take(line)) text.emplace_back(*signedText);
        }
        EXPECT_EQ(text, row.text) << row.lines[0];
        EXPECT_EQ(clearsign.Whole(), row.whole) << row.lines[0];
        EXPECT_EQ(clearsign.TextOutside(), row.outside) << row.lines[0];
    }
}

}  // namespace
