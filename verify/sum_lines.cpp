#include "verify/sum_lines.h"

#include <algorithm>
#include <cstring>

#include "runtime/paths.h"

namespace verify {

namespace {

using digest::Algorithm;

constexpr auto kHex = [] {
    std::array<bool, 256> table{};
    for (const char c : std::string_view("0123456789abcdefABCDEF")) table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The tags of tagged lines: the reference tools' own ("SHA256 (NAME) = HEX", also as OpenSSL 1
// wrote it, "SHA256(NAME)= HEX") and OpenSSL 3's ("SHA2-256(NAME)= HEX").
struct Tag {
    std::string_view text;
    Algorithm algorithm;
};
constexpr Tag kTags[] = {{"SHA2-256", Algorithm::kSha256}, {"SHA2-384", Algorithm::kSha384},
                         {"SHA2-512", Algorithm::kSha512}, {"SHA256", Algorithm::kSha256},
                         {"SHA384", Algorithm::kSha384},   {"SHA512", Algorithm::kSha512},
                         {"SHA1", Algorithm::kSha1},       {"MD5", Algorithm::kMd5}};

// "\\", "\n" and "\r" stand for a backslash, a line feed and a carriage return; the reference
// tools refuse a name with any other escape, with a NUL, or ending in a lone backslash.
bool Unescape(std::string_view name, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\0') return false;
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

// "(NAME) = HEX" after a tag: the name runs to the line's last ")", then blanks, "=", blanks and
// exactly the digest's digits, which end the line or stand before a NUL.
std::optional<ChecksumEntry> ParseTagged(std::string_view rest, Algorithm algorithm) {
    const auto close = rest.rfind(')');
    if (close == std::string_view::npos) return std::nullopt;
    std::size_t i = close + 1;
    while (i < rest.size() && IsBlank(rest[i])) ++i;
    if (i == rest.size() || rest[i] != '=') return std::nullopt;
    ++i;
    while (i < rest.size() && IsBlank(rest[i])) ++i;
    const std::size_t digits = digest::HexDigitsOf(algorithm);
    const std::string_view hex = rest.substr(i, digits);
    if (hex.size() != digits || !IsHexDigits(hex)) return std::nullopt;
    if (i + digits < rest.size() && rest[i + digits] != '\0') return std::nullopt;
    return ChecksumEntry{algorithm, hex, rest.substr(0, close), std::nullopt};
}

}  // namespace

bool IsHexDigits(std::string_view text) {
    // No early exit: every digit is looked at anyway when the line is a checksum line.
    bool all = !text.empty();
    for (const char c : text) all &= kHex[static_cast<unsigned char>(c)];
    return all;
}

std::string_view UpToNul(std::string_view name) {
    const void* nul = std::memchr(name.data(), '\0', name.size());
    return nul == nullptr ? name : name.substr(0, static_cast<const char*>(nul) - name.data());
}

bool MayName(std::string_view name, std::string_view packageName) {
    return packageName.empty() || runtime::SameFileName(runtime::BareName(UpToNul(name)), packageName);
}

std::string EscapedName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

void SumLines::Read(const Line& line) {
    if (line.text.empty() || line.text[0] == '#') return;
    std::size_t i = 0;
    while (i < line.text.size() && IsBlank(line.text[i])) ++i;
    const bool escaped = i < line.text.size() && line.text[i] == '\\';
    const std::string_view rest = line.text.substr(i + (escaped ? 1 : 0));
    // An escaped name with a backslash in it is known only once unescaped.
    const auto mayBeFor = [&](std::string_view name) {
        return (escaped && name.find('\\') != std::string_view::npos) || MayName(name, context_.packageName);
    };
    std::optional<ChecksumEntry> entry;
    const auto tag = std::find_if(std::begin(kTags), std::end(kTags), [rest](const Tag& t) {
        // Every tag starts with M or S, which no digest does.
        return (rest.starts_with('S') || rest.starts_with('M')) && rest.starts_with(t.text);
    });
    if (tag != std::end(kTags)) {
        // A tag that is not followed by "(" (after at most one blank) ends the line's chances.
        std::string_view after = rest.substr(tag->text.size());
        if (after.starts_with(' ')) after.remove_prefix(1);
        if (after.starts_with('(')) entry = ParseTagged(after.substr(1), tag->algorithm);
    } else {
        // "HEX NAME": the digits end at the first blank, at one of the digest lengths.
        std::optional<Algorithm> algorithm;
        for (const Algorithm a : digest::kAlgorithms) {
            const std::size_t n = digest::HexDigitsOf(a);
            if (rest.size() <= n) break;
            if (!IsBlank(rest[n])) continue;
            algorithm = a;
            break;
        }
        if (!algorithm) return;
        const std::size_t digits = digest::HexDigitsOf(*algorithm);
        const std::string_view hex = rest.substr(0, digits);
        if (rest.size() < digits + 2) return;
        std::size_t at = digits + 1;
        Form& form = forms_[static_cast<std::size_t>(*algorithm)];
        const bool oneBlank = rest.size() - at == 1 || (rest[at] != ' ' && rest[at] != '*');
        // Once the list's form is known, a line for another file changes nothing: it is passed
        // over without looking at its digits.
        if (form != Form::kUnknown && !line.cut &&
            !mayBeFor(rest.substr(at + (!oneBlank && form != Form::kOneBlank ? 1 : 0)))) {
            return;
        }
        if (!IsHexDigits(hex)) return;
        if (oneBlank) {
            if (form == Form::kTwoCharacters) return;  // mixed forms: no checksum line
            form = Form::kOneBlank;
        } else if (form != Form::kOneBlank) {
            form = Form::kTwoCharacters;
            ++at;  // the mode character
        }
        entry = ChecksumEntry{*algorithm, hex, rest.substr(at), std::nullopt};
    }
    if (!entry || line.cut) return;
    if (escaped) {
        if (!Unescape(entry->name, scratch_)) return;
        entry->name = scratch_;
    } else {
        entry->name = UpToNul(entry->name);
    }
    if (MayName(entry->name, context_.packageName)) context_.found(*entry, line.number);
}

}  // namespace verify
