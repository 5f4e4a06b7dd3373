#include "runtime/system_win32.h"
#include "runtime/text.h"

namespace runtime {

unsigned AnsiCodeOf(char16_t unit) {
    const wchar_t wide = static_cast<wchar_t>(unit);
    char bytes[2] = {};
    // The code page's own substitute stands for a character it lacks, as the system gives it.
    const int n = ::WideCharToMultiByte(CP_ACP, 0, &wide, 1, bytes, 2, nullptr, nullptr);
    if (n == 1) return static_cast<unsigned char>(bytes[0]);
    if (n == 2)
        return (static_cast<unsigned>(static_cast<unsigned char>(bytes[0])) << 8) |
               static_cast<unsigned char>(bytes[1]);
    return '?';
}

std::u16string ToUpper(std::u16string_view text) {
    std::wstring out(text.begin(), text.end());
    // In place and unit for unit, by the rules of the user's language.
    if (!out.empty()) ::CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
    return std::u16string(out.begin(), out.end());
}

}  // namespace runtime
