// The verdict on the digests computed, against what the sources said they should be.
#pragma once

#include <string>
#include <vector>

#include "digest/algorithm.h"
#include "verify/source.h"

namespace verify {

// The digests besides MD5 (which is always computed) that the verdict checks: each source's
// strongest (SHA-512 > SHA-384 > SHA-256 > SHA-1 > MD5).
std::vector<digest::Algorithm> DigestsToCompute(const std::vector<Source>& sources);

enum class Verdict { kNone, kMatch, kMismatch };

// What the window shows of a package once it is digested and checked.
struct Judgement {
    std::string digest;  // the engine's MD5, in uppercase
    Verdict verdict = Verdict::kNone;
    // The agreeing sources, or on a mismatch the disagreeing ones, by ", "; each followed by the
    // algorithm checked, " (SHA-256)", unless that is MD5.
    std::string sources;
    // The tooltip: one line per digest checked (whether it matches, where it came from, the
    // digest), then what else is said of the sources, and what could not be computed. May be set
    // with no verdict.
    std::string detail;
};

// For each source its strongest digest is checked, and its MD5 too (computed anyway); any
// disagreement, in digest or in size, is a mismatch. A source whose strongest digest could not
// be computed claims no match.
Judgement Judge(const digest::FileDigests& computed, const std::vector<Source>& sources);

}  // namespace verify
