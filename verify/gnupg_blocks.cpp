#include "verify/gnupg_blocks.h"

#include <cstring>

namespace verify {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::size_t HexRun(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && IsHex(text[n])) ++n;
    return n;
}

}  // namespace

void GnupgBlocks::Read(const Line& line) {
    if (!name_.empty() && !line.cut && Continues(line.text)) return;
    Ends();
    if (!line.cut) Starts(line);
}

void GnupgBlocks::End() {
    Ends();
}

bool GnupgBlocks::Starts(const Line& line) {
    // A block's line ends in its digits (and maybe blanks): most lines of most lists do not, and
    // the others mostly hold no colon, which is found at memchr's speed.
    const std::size_t last = line.text.find_last_not_of(" \t");
    if (last == std::string_view::npos || !IsHex(line.text[last]) ||
        std::memchr(line.text.data(), ':', line.text.size()) == nullptr) {
        return false;
    }
    const auto colon = line.text.rfind(": ");
    if (colon == std::string_view::npos || colon == 0 || line.text[0] == '#') return false;
    name_.assign(line.text.substr(0, colon));
    hex_.clear();
    line_ = line.number;
    if (!Continues(line.text.substr(colon + 1))) name_.clear();
    return !name_.empty();
}

bool GnupgBlocks::Continues(std::string_view line) {
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
    if (hex_.size() <= digest::HexDigitsOf(digest::Algorithm::kSha512)) hex_ += groups;
    return true;
}

void GnupgBlocks::Ends() {
    if (name_.empty()) return;
    const auto algorithm = digest::AlgorithmWithDigits(hex_.size());
    const FileKind& kind = context_.kind;
    if (algorithm && (!kind.algorithm || kind.algorithm == algorithm) && MayName(name_, context_.packageName)) {
        context_.found({*algorithm, hex_, UpToNul(name_), std::nullopt}, line_);
    }
    name_.clear();
}

}  // namespace verify
