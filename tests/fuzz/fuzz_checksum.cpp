// Arbitrary bytes as a checksum file and as the clipboard's text: every entry read holds a
// 32-digit digest and a name from its own line, every clipboard digest is 32 uppercase digits.
// And the reference reading: a digest and a name (from the bytes) written as md5sum writes
// them, in each of its formats, read back as exactly that digest and name.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "verify/checksum_lines.h"
#include "verify/verdict.h"

namespace {

// md5sum's output: "HEX  NAME", "HEX *NAME", "MD5 (NAME) = HEX", with a leading backslash and
// "\\", "\n", "\r" in the name when it holds one of those.
std::string Written(std::string_view hex, std::string_view name, int format) {
    std::string escaped;
    for (const char c : name) escaped += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    const std::string prefix = escaped.size() != name.size() ? "\\" : "";
    if (format == 2) return prefix + "MD5 (" + escaped + ") = " + std::string(hex);
    return prefix + std::string(hex) + (format == 0 ? "  " : " *") + escaped;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    std::string scratch;
    verify::ForEachLine(content, size % 2 == 1, [&](std::size_t, std::string_view line) {
        const auto entry = verify::ParseChecksumLine(line, scratch);
        if (!entry) return;
        if (!verify::IsHexDigest(entry->hex)) std::abort();
        if (entry->hex.data() < line.data() || entry->hex.data() + entry->hex.size() > line.data() + line.size()) {
            std::abort();
        }
        if (entry->name.data() != scratch.data() && line.find(entry->name) == std::string_view::npos) std::abort();
    });
    for (const auto& e : verify::ExpectedFromClipboard(content, "foo.tar.gz")) {
        if (!verify::IsHexDigest(e.digest) || e.digest.find_first_of("abcdef") != std::string::npos) std::abort();
    }

    if (size < 17) return 0;
    static constexpr char kDigits[] = "0123456789abcdef0123456789ABCDEF";
    std::string hex;
    for (std::size_t i = 0; i < 16; ++i) {
        const int upper = (data[0] & 1) * 16;
        hex += kDigits[upper + (data[i] >> 4)];
        hex += kDigits[upper + (data[i] & 15)];
    }
    std::string name(content.substr(16));
    std::erase(name, '\0');  // no file name holds one
    if (name.empty()) return 0;
    for (int format = 0; format < 3; ++format) {
        const std::string line = Written(hex, name, format);
        const auto entry = verify::ParseChecksumLine(line, scratch);
        if (!entry || entry->hex != hex || entry->name != name) std::abort();
    }
    return 0;
}
