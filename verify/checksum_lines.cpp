#include "verify/checksum_lines.h"

#include <array>

namespace verify {

namespace {

constexpr auto kHex = [] {
    std::array<bool, 256> table{};
    for (const char c : std::string_view("0123456789abcdefABCDEF")) table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// "\\", "\n" and "\r" stand for a backslash, a line feed and a carriage return; md5sum
// refuses a line with any other escape.
bool Unescape(std::string_view name, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '\\') {
            out += name[i];
            continue;
        }
        if (++i == name.size()) return false;
        switch (name[i]) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return false;
        }
    }
    return true;
}

// "(NAME) = HEX" after the tag: the name runs to the last ")" before "=" and the digest,
// which ends the line.
std::optional<ChecksumEntry> ParseTagged(std::string_view rest) {
    if (!rest.starts_with('(') || rest.size() < 1 + kDigestDigits) return std::nullopt;
    const std::string_view hex = rest.substr(rest.size() - kDigestDigits);
    if (!IsHexDigest(hex)) return std::nullopt;
    std::size_t end = rest.size() - kDigestDigits;
    while (end > 1 && IsBlank(rest[end - 1])) --end;
    if (end <= 1 || rest[end - 1] != '=') return std::nullopt;
    --end;
    while (end > 1 && IsBlank(rest[end - 1])) --end;
    if (end <= 1 || rest[end - 1] != ')') return std::nullopt;
    return ChecksumEntry{hex, rest.substr(1, end - 2)};
}

// "HEX" then one blank, a mode character (" " or "*") when more follows it, and the name.
std::optional<ChecksumEntry> ParseGnu(std::string_view rest) {
    if (rest.size() < kDigestDigits + 2 || !IsBlank(rest[kDigestDigits])) return std::nullopt;
    const std::string_view hex = rest.substr(0, kDigestDigits);
    if (!IsHexDigest(hex)) return std::nullopt;
    std::string_view name = rest.substr(kDigestDigits + 1);
    if (name.size() >= 2 && (name[0] == ' ' || name[0] == '*')) name.remove_prefix(1);
    return ChecksumEntry{hex, name};
}

}  // namespace

bool IsHexDigest(std::string_view text) {
    if (text.size() != kDigestDigits) return false;
    // No early exit: every digit is looked at anyway when the line is a checksum line.
    bool all = true;
    for (const char c : text) all &= kHex[static_cast<unsigned char>(c)];
    return all;
}

std::optional<ChecksumEntry> ParseChecksumLine(std::string_view line, std::string& scratch) {
    if (line.starts_with('#')) return std::nullopt;
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    const bool escaped = i < line.size() && line[i] == '\\';
    std::string_view rest = line.substr(i + (escaped ? 1 : 0));
    std::optional<ChecksumEntry> entry;
    if (rest.starts_with("MD5")) {
        rest.remove_prefix(3);
        if (rest.starts_with(' ')) rest.remove_prefix(1);
        entry = ParseTagged(rest);
    } else {
        entry = ParseGnu(rest);
    }
    if (!entry || !escaped || entry->name.find('\\') == std::string_view::npos) return entry;
    if (!Unescape(entry->name, scratch)) return std::nullopt;
    entry->name = scratch;
    return entry;
}

std::optional<std::string_view> ParseBareDigest(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    constexpr std::string_view kSpace = " \t\r\n";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return std::nullopt;
    const std::string_view token = text.substr(first, text.find_last_not_of(kSpace) - first + 1);
    if (!IsHexDigest(token)) return std::nullopt;
    return token;
}

}  // namespace verify
