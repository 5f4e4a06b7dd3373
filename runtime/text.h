// Text conversions. Inside the program text is UTF-8; the platform boundary converts.
#pragma once

#include <cstdint>
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

// Locale-aware uppercase of a text, unit for unit.
std::u16string ToUpper(std::u16string_view text);
std::string ToUpper(std::string_view utf8);

}  // namespace runtime
