// How the window shows a verdict: decided here, once, for every front end; the front ends draw it.
#pragma once

#include <optional>
#include <string>

#include "verify/verdict.h"

namespace window {

// The digest box's background for a verdict, as 0xRRGGBB: a light green and a light red, with
// black text on them whatever the theme.
inline constexpr unsigned kMatchBackground = 0xCCF2CC;
inline constexpr unsigned kMismatchBackground = 0xF8CCCC;

// What the window shows of a verdict beside its caption.
struct ShownVerdict {
    verify::Verdict verdict = verify::Verdict::kNone;
    std::string sentence;  // the verdict in words, as a screen reader says it; "" with no verdict
    std::string detail;    // every digest checked and where it came from: the tooltip; "" for none
};

// The box's background for the verdict, or nothing for the system's own colours: with no
// verdict, and in high contrast, where the person's colours win.
std::optional<unsigned> VerdictBackground(verify::Verdict verdict, bool highContrast);

}  // namespace window
