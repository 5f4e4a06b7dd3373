#include "verify/checksum_lines.h"

#include <cstring>
#include <span>
#include <utility>

#include "runtime/paths.h"
#include "runtime/text.h"

namespace verify {

namespace {

using digest::Algorithm;

constexpr auto kHex = [] {
    std::array<bool, 256> table{};
    for (const char c : std::string_view("0123456789abcdefABCDEF")) table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool IsHex(char c) {
    return kHex[static_cast<unsigned char>(c)];
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::size_t HexRun(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && IsHex(text[n])) ++n;
    return n;
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

// A plain name ends at a NUL, as the tools take it.
std::string_view UpToNul(std::string_view name) {
    const void* nul = std::memchr(name.data(), '\0', name.size());
    return nul == nullptr ? name : name.substr(0, static_cast<const char*>(nul) - name.data());
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
    for (const char c : text) all &= IsHex(c);
    return all;
}

std::optional<ChecksumEntry> ParseBareDigest(std::string_view text) {
    const std::string_view token = runtime::Trimmed(text);
    const auto algorithm = digest::AlgorithmWithDigits(token.size());
    if (!algorithm || !IsHexDigits(token)) return std::nullopt;
    return ChecksumEntry{*algorithm, token, {}, std::nullopt};
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

void ChecksumLines::Line(std::string_view line, std::size_t number, bool cut) {
    if (!blockName_.empty() && !cut && ContinuesBlock(line)) return;
    EndBlock();
    if (field_ != Field::kNone) {
        if (!line.empty() && IsBlank(line[0])) {
            if (!cut) FieldLine(line, number);
            return;
        }
        field_ = Field::kNone;
    }
    if (line.empty() || line[0] == '#') return;
    // A field's name starts with F or C, in any case.
    const char first = static_cast<char>(line[0] | 0x20);
    if (((first == 'f' || first == 'c') && StartsField(line)) || ReadsAsGnuOrTagged(line, number, cut) || cut) return;
    StartsBlock(line, number);
}

void ChecksumLines::End() {
    EndBlock();
}

bool ChecksumLines::ReadsAsGnuOrTagged(std::string_view line, std::size_t number, bool cut) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    const bool escaped = i < line.size() && line[i] == '\\';
    std::string_view rest = line.substr(i + (escaped ? 1 : 0));
    std::optional<ChecksumEntry> entry;
    bool tagged = false;
    // Every tag starts with M or S, which no digest does.
    for (const Tag& tag : rest.starts_with('S') || rest.starts_with('M') ? std::span(kTags) : std::span<const Tag>()) {
        if (!rest.starts_with(tag.text)) continue;
        // A tag that is not followed by "(" (after at most one blank) ends the line's chances.
        tagged = true;
        std::string_view after = rest.substr(tag.text.size());
        if (after.starts_with(' ')) after.remove_prefix(1);
        if (after.starts_with('(')) entry = ParseTagged(after.substr(1), tag.algorithm);
        break;
    }
    if (!tagged) {
        // "HEX NAME": the digits, one blank, then "HEX  NAME" or "HEX *NAME" or "HEX NAME" as
        // the list's form has it.
        // The digits end at the first blank, at one of the digest lengths.
        std::optional<Algorithm> algorithm;
        for (const Algorithm a : digest::kAlgorithms) {
            const std::size_t n = digest::HexDigitsOf(a);
            if (rest.size() <= n) break;
            if (!IsBlank(rest[n])) continue;
            algorithm = a;
            break;
        }
        if (!algorithm) return false;
        const std::size_t digits = digest::HexDigitsOf(*algorithm);
        const std::string_view hex = rest.substr(0, digits);
        if (rest.size() < digits + 2) return false;
        std::size_t at = digits + 1;
        Form& form = forms_[static_cast<std::size_t>(*algorithm)];
        const bool oneBlank = rest.size() - at == 1 || (rest[at] != ' ' && rest[at] != '*');
        if (form != Form::kUnknown && !cut) {
            // The list's form is known: a line for another file changes nothing, and is passed
            // over without looking at its digits, unless a ": " makes it matter whether it is a
            // checksum line at all (GnuPG's blocks start with one).
            const std::string_view name = rest.substr(at + (!oneBlank && form != Form::kOneBlank ? 1 : 0));
            if (!MayBeFor(name, escaped)) {
                return line.find(": ") == std::string_view::npos || IsHexDigits(hex);
            }
        }
        if (!IsHexDigits(hex)) return false;
        if (oneBlank) {
            if (form == Form::kTwoCharacters) return true;  // mixed forms: no checksum line
            form = Form::kOneBlank;
        } else if (form != Form::kOneBlank) {
            form = Form::kTwoCharacters;
            ++at;  // the mode character
        }
        entry = ChecksumEntry{*algorithm, hex, rest.substr(at), std::nullopt};
    }
    if (!entry) return false;  // a tag without its form may still start a GnuPG block ("SHA256: ...")
    if (cut) return true;
    if (escaped) {
        if (!Unescape(entry->name, scratch_)) return true;
        entry->name = scratch_;
    } else {
        entry->name = UpToNul(entry->name);
    }
    if (MayBeFor(entry->name, false)) found_(*entry, number);
    return true;
}

bool ChecksumLines::MayBeFor(std::string_view name, bool escaped) const {
    // An escaped name with a backslash in it is known only once unescaped.
    if (bareName_.empty() || (escaped && name.find('\\') != std::string_view::npos)) return true;
    return runtime::SameFileName(runtime::BareName(UpToNul(name)), bareName_);
}

bool ChecksumLines::StartsField(std::string_view line) {
    // A field's name in any case, then nothing but blanks.
    constexpr std::pair<std::string_view, Field> kFields[] = {{"FILES:", Field::kFiles},
                                                              {"CHECKSUMS-SHA1:", Field::kSha1},
                                                              {"CHECKSUMS-SHA256:", Field::kSha256},
                                                              {"CHECKSUMS-SHA512:", Field::kSha512}};
    const auto end = line.find_last_not_of(" \t");
    if (end >= 17) return false;
    const std::string name = runtime::AsciiUpper(line.substr(0, end + 1));
    for (const auto& [text, field] : kFields) {
        if (name != text) continue;
        field_ = field;
        return true;
    }
    return false;
}

// " HEX SIZE NAME" under a checksum field of a Debian source package.
void ChecksumLines::FieldLine(std::string_view line, std::size_t number) {
    constexpr Algorithm kOfField[] = {Algorithm::kMd5, Algorithm::kMd5, Algorithm::kSha1, Algorithm::kSha256,
                                      Algorithm::kSha512};
    const Algorithm algorithm = kOfField[static_cast<int>(field_)];
    std::string_view words[3];
    std::size_t count = 0;
    for (std::size_t at = 0; at < line.size();) {
        while (at < line.size() && IsBlank(line[at])) ++at;
        if (at == line.size()) break;
        std::size_t end = at;
        while (end < line.size() && !IsBlank(line[end])) ++end;
        if (count == 3) return;  // more than three words
        words[count++] = line.substr(at, end - at);
        at = end;
    }
    if (count != 3 || words[0].size() != digest::HexDigitsOf(algorithm) || !IsHexDigits(words[0])) return;
    if (words[1].empty() || words[1].size() > 19) return;  // beyond 19 digits a size may not fit
    std::uint64_t size = 0;
    for (const char c : words[1]) {
        if (c < '0' || c > '9') return;
        size = size * 10 + static_cast<unsigned>(c - '0');
    }
    const std::string_view name = UpToNul(words[2]);
    if (MayBeFor(name, false)) found_({algorithm, words[0], name, size}, number);
}

// GnuPG's `--print-md`: "NAME: 2CF24DBA 5FB0A30E ..." in groups, on one line or wrapped over
// several that start with blanks.
bool ChecksumLines::StartsBlock(std::string_view line, std::size_t number) {
    const auto colon = line.rfind(": ");
    if (colon == std::string_view::npos || colon == 0) return false;
    blockName_.assign(line.substr(0, colon));
    blockHex_.clear();
    blockLine_ = number;
    if (!ContinuesBlock(line.substr(colon + 1))) blockName_.clear();
    return !blockName_.empty();
}

bool ChecksumLines::ContinuesBlock(std::string_view line) {
    if (line.empty() || !IsBlank(line[0])) return false;
    std::string groups;
    for (std::size_t at = 0; at < line.size();) {
        if (IsBlank(line[at])) {
            ++at;
            continue;
        }
        const std::size_t n = HexRun(line.substr(at));
        if (n == 0 || (at + n < line.size() && !IsBlank(line[at + n]))) return false;
        groups.append(line.substr(at, n));
        at += n;
    }
    if (groups.empty()) return false;
    // Beyond the longest digest nothing can come of it; the block stays, and is no digest.
    if (blockHex_.size() <= digest::HexDigitsOf(Algorithm::kSha512)) blockHex_ += groups;
    return true;
}

void ChecksumLines::EndBlock() {
    if (blockName_.empty()) return;
    const auto algorithm = digest::AlgorithmWithDigits(blockHex_.size());
    if (algorithm && MayBeFor(blockName_, false))
        found_({*algorithm, blockHex_, UpToNul(blockName_), std::nullopt}, blockLine_);
    blockName_.clear();
}

}  // namespace verify
