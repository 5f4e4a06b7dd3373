// How the window shows a verdict: decided here, once, for every front end; the front ends draw it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "verify/verdict.h"

namespace window {

// The digest box's background for a verdict, as 0xRRGGBB: a light green and a light red, with
// black text on them whatever the theme.
inline constexpr unsigned kMatchBackground = 0xCCF2CC;
inline constexpr unsigned kMismatchBackground = 0xF8CCCC;
// The mark's strokes on those backgrounds: a dark green and a dark red, each at least 4.5:1
// against its tint.
inline constexpr unsigned kMatchMark = 0x16711A;
inline constexpr unsigned kMismatchMark = 0xB3141B;

// What the window shows of a verdict beside its caption.
struct ShownVerdict {
    verify::Verdict verdict = verify::Verdict::kNone;
    std::string sentence;  // the verdict in words, as a screen reader says it; "" with no verdict
    std::string detail;    // every digest checked and where it came from: the tooltip; "" for none
};

// The box's background for the verdict, or nothing for the system's own colours: with no
// verdict, and in high contrast, where the person's colours win.
std::optional<unsigned> VerdictBackground(verify::Verdict verdict, bool highContrast);

// The mark at the digest box's right end, inside its border: a check for a match, a cross for a
// mismatch, so that its shape alone tells the verdict, whatever the colours.
enum class MarkShape { kNone, kCheck, kCross };

// A point of a stroke in the mark's square, whose side is 1 (x to the right, y down).
struct MarkPoint {
    double x, y;
};

struct VerdictMark {
    MarkShape shape = MarkShape::kNone;
    // 0xRRGGBB, or nothing for the box's own text colour: the system's, in high contrast.
    std::optional<unsigned> colour;
    std::vector<std::vector<MarkPoint>> strokes;  // polylines; none for no verdict
    double penWidth = 0;                          // a share of the square's side
};

// The mark for the verdict. Drawn as strokes scaled to the square the front end gives it, so
// that it is sharp at any DPI.
VerdictMark MarkFor(verify::Verdict verdict, bool highContrast);

// True when PELLWICK_HIGH_CONTRAST=1 asks for the high-contrast look whatever the system says:
// for pictures of it where the system cannot switch it on (Wine). Read here alone.
bool HighContrastForced();

}  // namespace window
