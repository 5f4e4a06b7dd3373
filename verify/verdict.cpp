#include "verify/verdict.h"

#include <algorithm>

#include "runtime/paths.h"
#include "verify/checksum_lines.h"

namespace verify {

namespace {

std::string AsciiUpper(std::string_view hex) {
    std::string out(hex);
    for (char& c : out) {
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

void AddOnce(std::vector<std::string>& names, const std::string& name) {
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) out += (out.empty() ? "" : ", ") + name;
    return out;
}

}  // namespace

std::vector<Expectation> ExpectedFromClipboard(std::string_view text, const std::string& packageName) {
    if (text.size() > kClipboardLimit) return {};
    const Expectation found{"", kClipboardSource, "the clipboard"};
    if (const auto bare = ParseBareDigest(text)) return {{AsciiUpper(*bare), found.source, found.origin}};
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const std::string_view line = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    if (line.find_first_of("\r\n") != std::string_view::npos) return {};  // more than one line
    std::string scratch;
    const auto entry = ParseChecksumLine(line.substr(0, line.find('\0')), scratch);
    if (!entry || !runtime::SameFileName(entry->name, packageName)) return {};
    return {{AsciiUpper(entry->hex), found.source, found.origin}};
}

Judgement Judge(std::string_view shownDigest, const std::vector<Expectation>& expected) {
    Judgement judgement;
    if (shownDigest.empty() || expected.empty()) return judgement;
    std::vector<std::string> agreeing, disagreeing;
    for (const auto& e : expected) {
        const bool same = e.digest == shownDigest;
        AddOnce(same ? agreeing : disagreeing, e.source);
        if (!judgement.detail.empty()) judgement.detail += '\n';
        judgement.detail += (same ? "Matches " : "DOES NOT MATCH ") + e.origin + ": " + e.digest;
    }
    judgement.verdict = disagreeing.empty() ? Verdict::kMatch : Verdict::kMismatch;
    judgement.sources = Joined(disagreeing.empty() ? agreeing : disagreeing);
    return judgement;
}

}  // namespace verify
