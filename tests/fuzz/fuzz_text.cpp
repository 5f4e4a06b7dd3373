// Arbitrary bytes as a text: the text conversions and the text digest's byte mapping must
// hold their shape for any input, and agree with each other.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "digest/clsMD5.h"
#include "runtime/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::u16string units = runtime::Utf8ToUtf16(text);
    if (units.size() > text.size()) std::abort();  // never more units than bytes

    // What comes back out is valid UTF-8 and survives another round trip unchanged.
    const std::string again = runtime::Utf16ToUtf8(units);
    if (runtime::Utf16ToUtf8(runtime::Utf8ToUtf16(again)) != again) std::abort();

    const auto bytes = digest::clsMD5::StringToBytes(text);
    if (bytes.size() != units.size() + 1 || bytes.back() != 0) std::abort();
    for (std::size_t i = 0; i < units.size(); ++i) {
        // ASCII maps to itself; everything else to its code page byte or the substitute.
        if (units[i] < 0x80 && bytes[i] != units[i]) std::abort();
        if (units[i] >= 0x80 && bytes[i] < 0x80 && bytes[i] != '?') std::abort();
    }

    const std::string hex = digest::clsMD5::BytesToHexStr({data, size});
    if (hex.size() != 2 * size) std::abort();
    for (std::size_t i = 0; i < size; ++i) {
        if (std::stoul(hex.substr(2 * i, 2), nullptr, 16) != data[i]) std::abort();
        if (hex[2 * i] >= 'A' && hex[2 * i] <= 'F') std::abort();  // lowercase only
    }

    const std::u16string upper = runtime::ToUpper(units);
    if (upper.size() != units.size()) std::abort();
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (units[i] >= u'a' && units[i] <= u'z' && upper[i] != units[i] - u'a' + u'A') std::abort();
    }
    return 0;
}
