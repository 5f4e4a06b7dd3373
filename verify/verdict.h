// What the sources say the package's digests should be, and the verdict on the digests computed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "digest/algorithm.h"

namespace verify {

// A longer clipboard text is not taken for a digest.
inline constexpr std::size_t kClipboardLimit = 4096;
inline constexpr char kClipboardSource[] = "clipboard";

// One expected digest and where it was found.
struct Expected {
    digest::Algorithm algorithm = digest::Algorithm::kMd5;
    std::string digest;                 // uppercase hex
    std::optional<std::uint64_t> size;  // the package's size, where the source gives it
    std::string origin;                 // the checksum file's path and line, or "the clipboard"
    bool signedList = false;            // from a clearsigned list, whose signature was not verified
};

// A checksum file, or the clipboard, that gives digests for the package.
struct Source {
    std::string name;  // what the caption names: the file's bare name, or "clipboard"
    std::vector<Expected> expected;
};

// What the sources said, and which of them could not be read.
struct Findings {
    std::vector<Source> sources;
    std::vector<std::string> unread;  // one line each: the source passed over, and why
};

// The clipboard's text of at most kClipboardLimit bytes as a source: one hex token of an
// algorithm's length, or one checksum line for the package's bare name.
std::optional<Source> SourceFromClipboard(std::string_view text, const std::string& packageName);

// The digests besides MD5 (which is always computed) that the verdict checks: each source's
// strongest (SHA-512 > SHA-384 > SHA-256 > SHA-1 > MD5).
std::vector<digest::Algorithm> DigestsToCompute(const Findings& findings);

enum class Verdict { kNone, kMatch, kMismatch };

struct Judgement {
    Verdict verdict = Verdict::kNone;
    // The agreeing sources, or on a mismatch the disagreeing ones, by ", "; each followed by the
    // algorithm checked, " (SHA-256)", unless that is MD5.
    std::string sources;
    // The tooltip: one line per digest checked (whether it matches, where it came from, the
    // digest), then what could not be read or computed. May be set with no verdict.
    std::string detail;
};

// For each source its strongest digest is checked, and its MD5 too (computed anyway); any
// disagreement, in digest or in size, is a mismatch. A source whose strongest digest could not
// be computed claims no match.
Judgement Judge(const digest::FileDigests& computed, const Findings& findings);

}  // namespace verify
