// Text conversions. Inside the program text is UTF-8; the platform boundary converts.
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

// UTF-16 code units of a UTF-8 text; a malformed byte becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// The code of one UTF-16 unit in the system's ANSI code page, or the code page's
// substitute for a character it lacks. May exceed 255 on a double-byte code page.
unsigned AnsiCodeOf(char16_t unit);

// a-z raised to A-Z, nothing else touched: for digests and the program's own names.
template <std::integral Char>
constexpr Char AsciiUpper(Char c) {
    return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}
std::string AsciiUpper(std::string_view text);

// The text without the blanks, tabs and line ends around it.
std::string_view Trimmed(std::string_view text);

// Two lowercase hex digits per byte, high half first.
std::string HexEncode(std::span<const unsigned char> bytes);

// The text with its control characters and the controls of bidirectional text (U+061C, U+200E,
// U+200F, U+202A-U+202E, U+2066-U+2069) and line separators written as visible escapes
// ("<U+202E>"), so that a file's name can neither reorder nor break the text around it. A byte
// that is no UTF-8 becomes U+FFFD.
std::string Visible(std::string_view utf8);

// Locale-aware uppercase of a text, unit for unit.
std::u16string ToUpper(std::u16string_view text);
std::string ToUpper(std::string_view utf8);

}  // namespace runtime
