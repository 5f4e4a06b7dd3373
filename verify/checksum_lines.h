// The lines of checksum files, read as `md5sum -c` reads them.
#pragma once

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace verify {

inline constexpr std::size_t kDigestDigits = 32;

// One entry of a checksum file: the digest as written (any case) and the name it is for.
struct ChecksumEntry {
    std::string_view hex;
    std::string_view name;
};

// A line (without its line end; see ForEachLine) in one of the formats that `md5sum -c`
// reads: GNU "HEX  NAME", "HEX *NAME" and their escaped form "\HEX  NA\\ME", BSD tags
// "MD5 (NAME) = HEX". Nothing for blank lines, comments and lines that fit no format. An
// escaped name is written into `scratch`, which the entry then views.
std::optional<ChecksumEntry> ParseChecksumLine(std::string_view line, std::string& scratch);

// The digest when the whole text, a byte-order mark, blanks and line ends aside, is one
// 32-digit hex token.
std::optional<std::string_view> ParseBareDigest(std::string_view text);

bool IsHexDigest(std::string_view text);

// Calls visit(lineNumber, line) for every line of a checksum file's content as
// ParseChecksumLine takes it: a UTF-8 byte-order mark at the start is skipped, a line ends at
// LF with one CR before it dropped, and stops at a NUL, as md5sum has it. `cutShort` content
// stops inside the file (it was read up to a limit), so its unfinished last line is left out.
template <typename Visit>
void ForEachLine(std::string_view content, bool cutShort, Visit visit) {
    std::size_t start = content.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (std::size_t number = 1; start < content.size(); ++number) {
        const void* lf = std::memchr(content.data() + start, '\n', content.size() - start);
        if (lf == nullptr && cutShort) return;
        const std::size_t end = lf == nullptr ? content.size() : static_cast<const char*>(lf) - content.data();
        std::string_view line = content.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        line = line.substr(0, line.find('\0'));
        visit(number, line);
        start = end + 1;
    }
}

}  // namespace verify
