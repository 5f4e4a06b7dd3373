// Linux has no system ANSI code page; the program's texts are digested as Windows-1252,
// the code page of the Windows program's usual home, so both give the same digests.
#include <locale.h>

#include <clocale>
#include <cwctype>

#include "runtime/text.h"

namespace runtime {

namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five codes it leaves undefined.
constexpr char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

locale_t Utf8Locale() {
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return loc;
}

}  // namespace

unsigned AnsiCodeOf(char16_t unit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return unit;
    for (unsigned i = 0; i < 32; ++i) {
        if (kCp1252High[i] != 0 && kCp1252High[i] == unit) return 0x80 + i;
    }
    return '?';
}

std::u16string ToUpper(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;  // surrogate halves have no case
        const auto up = towupper_l(static_cast<wint_t>(c), Utf8Locale());
        if (up <= 0xFFFF) c = static_cast<char16_t>(up);
    }
    return out;
}

}  // namespace runtime
