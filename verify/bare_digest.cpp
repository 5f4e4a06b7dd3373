#include "verify/bare_digest.h"

#include "runtime/text.h"

namespace verify {

std::optional<ChecksumEntry> ParseBareDigest(std::string_view text) {
    const std::string_view token = runtime::Trimmed(text);
    const auto algorithm = digest::AlgorithmWithDigits(token.size());
    if (!algorithm || !IsHexDigits(token)) return std::nullopt;
    return ChecksumEntry{*algorithm, token, {}, std::nullopt};
}

void BareDigest::Read(const Line& line) {
    if (tokens_ > 1) return;
    const std::string_view word = runtime::Trimmed(line.text);
    if (word.empty() && !line.cut) return;
    if (line.cut || tokens_ == 1 || word.size() > digest::HexDigitsOf(digest::Algorithm::kSha512) ||
        word.find_first_of(" \t") != std::string_view::npos) {
        tokens_ = 2;
        return;
    }
    token_ = word;
    line_ = line.number;
    tokens_ = 1;
}

void BareDigest::End() {
    if (tokens_ != 1) return;
    auto entry = ParseBareDigest(token_);
    if (!entry) return;
    entry->name = context_.kind.stem;
    context_.found(*entry, line_);
}

}  // namespace verify
