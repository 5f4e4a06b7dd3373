// The text helpers the handlers rely on, value by value; the fuzz target holds their shape
// for any input.
#include "runtime/text.h"

#include <gtest/gtest.h>

#include <string>

#include "window/frmMain.h"

namespace {

TEST(TextTest, PackageSuffixIsTheLastSevenUnitsUppercased) {
    const struct {
        std::string name;
        bool expected;
    } cases[] = {
        {"a.tar.gz", true},
        {"A.TAR.GZ", true},
        {"a.TaR.gZ", true},
        {".tar.gz", true},
        {"\xCE\xA9.tar.gz", true},
        {"tar.gz", false},
        {"a.tar.gz.bak", false},
        {"a.tgz", false},
        {"a.tar.gz ", false},
        {"", false},
        {"a.tar.g\xC5\xBA", false},         // "ź" is no "z"
        {"\xF0\x9F\x98\x80.tar.gz", true},  // a character beyond the BMP before the suffix
    };
    for (const auto& c : cases) EXPECT_EQ(window::HasPackageSuffix(c.name), c.expected) << c.name;
}

TEST(TextTest, WellFormedTextsRoundTripBetweenUtf8AndUtf16) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"", u""},
        {"abc", u"abc"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
        {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80", u"\u007F\u0080\u07FF\u0800"},  // the edges of each length
        {"\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD\xEF\xBF\xBF", u"\u00E9\u20AC\u4E2D\uFFFF"},
        {"\xF0\x90\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", u"\U00010000\U0001F600\U0010FFFF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(runtime::Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(runtime::Utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
    }
}

TEST(TextTest, MalformedTextsBecomeOneReplacementPerBadByteOrUnit) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } fromUtf8[] = {
        {"\x80", u"\uFFFD"},
        {"a\xFF", u"a\uFFFD"},
        {"\xC3", u"\uFFFD"},                                // cut short at the end
        {"\xC3(", u"\uFFFD("},                              // cut short by an ordinary character
        {"\xE2\x82", u"\uFFFD\uFFFD"},                      // cut short, two bytes
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong "/"
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // a surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
    };
    for (const auto& c : fromUtf8) EXPECT_EQ(runtime::Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;

    const struct {
        std::u16string utf16;
        std::string utf8;
    } fromUtf16[] = {
        {u"\xD800", "\xEF\xBF\xBD"},
        {u"\xDC00x", "\xEF\xBF\xBDx"},
        {u"\xD800\xD800\xDC00", "\xEF\xBF\xBD\xF0\x90\x80\x80"},  // a lone high half, then a pair
    };
    for (const auto& c : fromUtf16) EXPECT_EQ(runtime::Utf16ToUtf8(c.utf16), c.utf8) << c.utf8;
}

TEST(TextTest, ToUpperMapsUnitForUnit) {
    const struct {
        std::string text, upper;
    } cases[] = {
        {"", ""},
        {"0123456789abcdef", "0123456789ABCDEF"},
        {"\xC3\xA9\xCF\x89\xCE\xB1", "\xC3\x89\xCE\xA9\xCE\x91"},  // "éωα"
        {"stra\xC3\x9F", "STRA\xC3\x9F"},                          // "ß" has no one-unit uppercase
        {"\xF0\x90\x90\xA8", "\xF0\x90\x90\xA8"},                  // beyond the BMP: surrogate halves have no case
    };
    for (const auto& c : cases) EXPECT_EQ(runtime::ToUpper(c.text), c.upper) << c.text;
    EXPECT_EQ(runtime::ToUpper(std::u16string(u"a\xD800z")), std::u16string(u"A\xD800Z"));
}

TEST(TextTest, NamesShowControlsAndBidiControlsAsEscapes) {
    const struct {
        std::string text, shown;
    } cases[] = {
        {"SHA256SUMS", "SHA256SUMS"},
        {"\xCE\xA9 \xE4\xB8\xAD.txt", "\xCE\xA9 \xE4\xB8\xAD.txt"},  // "Ω 中.txt" as it is
        {"evil\xE2\x80\xAE"
         "txt.exe",
         "evil<U+202E>txt.exe"},  // right-to-left override
        {"a\xE2\x81\xA6"
         "b\xE2\x81\xA9\xE2\x80\x8F"
         "c",
         "a<U+2066>b<U+2069><U+200F>c"},
        {"line\nbreak\ttab\x7F", "line<U+000A>break<U+0009>tab<U+007F>"},
        {"\xC2\x85"
         "next\xE2\x80\xA8",
         "<U+0085>next<U+2028>"},
        {"bad\xFF"
         "byte",
         "bad\xEF\xBF\xBD"
         "byte"},
    };
    for (const auto& c : cases) EXPECT_EQ(runtime::Visible(c.text), c.shown) << c.text;
}

}  // namespace
