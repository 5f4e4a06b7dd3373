#include "verify/dsc_fields.h"

#include <utility>

#include "runtime/text.h"

namespace verify {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

void DscFields::Read(const Line& line) {
    if (field_ != Field::kNone) {
        // A field goes on over the lines that start with a blank.
        if (!line.text.empty() && IsBlank(line.text[0])) {
            if (!line.cut) FieldLine(line);
            return;
        }
        field_ = Field::kNone;
    }
    if (!line.cut) StartsField(line.text);
}

bool DscFields::StartsField(std::string_view line) {
    // A field's name in any case, then nothing but blanks.
    constexpr std::pair<std::string_view, Field> kFields[] = {{"FILES:", Field::kFiles},
                                                              {"CHECKSUMS-SHA1:", Field::kSha1},
                                                              {"CHECKSUMS-SHA256:", Field::kSha256},
                                                              {"CHECKSUMS-SHA512:", Field::kSha512}};
    // npos, a line of blanks, is beyond 17 too.
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

// " HEX SIZE NAME" under a checksum field.
void DscFields::FieldLine(const Line& line) {
    constexpr digest::Algorithm kOfField[] = {digest::Algorithm::kMd5, digest::Algorithm::kMd5,
                                              digest::Algorithm::kSha1, digest::Algorithm::kSha256,
                                              digest::Algorithm::kSha512};
    const digest::Algorithm algorithm = kOfField[static_cast<int>(field_)];
    std::string_view words[3];
    std::size_t count = 0;
    for (std::size_t at = 0; at < line.text.size();) {
        while (at < line.text.size() && IsBlank(line.text[at])) ++at;
        if (at == line.text.size()) break;
        std::size_t end = at;
        while (end < line.text.size() && !IsBlank(line.text[end])) ++end;
        if (count == 3) return;  // more than three words
        words[count++] = line.text.substr(at, end - at);
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
    if (MayName(name, context_.packageName)) context_.found({algorithm, words[0], name, size}, line.number);
}

}  // namespace verify
