// What the sources say the package's digest should be, and the verdict on the digest shown.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace verify {

// A longer clipboard text is not taken for a digest.
inline constexpr std::size_t kClipboardLimit = 4096;
inline constexpr char kClipboardSource[] = "clipboard";

// One expected digest and where it was found.
struct Expectation {
    std::string digest;  // 32 uppercase hex digits
    std::string source;  // what the caption names: the checksum file's bare name, or "clipboard"
    std::string origin;  // where exactly: the checksum file's path and line, or "the clipboard"
};

// A clipboard text of at most kClipboardLimit bytes that, trimmed, is one 32-digit hex token,
// or one checksum line for the package's bare name.
std::vector<Expectation> ExpectedFromClipboard(std::string_view text, const std::string& packageName);

enum class Verdict { kNone, kMatch, kMismatch };

struct Judgement {
    Verdict verdict = Verdict::kNone;
    std::string sources;  // the agreeing sources, or on a mismatch the disagreeing ones, by ", "
    std::string detail;   // one line per expected digest: whether it matches, where from, the digest
};

// Every source agrees with the shown digest, or some source (or two entries of one) does not.
Judgement Judge(std::string_view shownDigest, const std::vector<Expectation>& expected);

}  // namespace verify
