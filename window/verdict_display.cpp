#include "window/verdict_display.h"

#include <cstdlib>
#include <cstring>

namespace window {

std::optional<unsigned> VerdictBackground(verify::Verdict verdict, bool highContrast) {
    if (verdict == verify::Verdict::kNone || highContrast) return std::nullopt;
    return verdict == verify::Verdict::kMatch ? kMatchBackground : kMismatchBackground;
}

VerdictMark MarkFor(verify::Verdict verdict, bool highContrast) {
    if (verdict == verify::Verdict::kNone) return {};
    const bool match = verdict == verify::Verdict::kMatch;
    VerdictMark mark;
    mark.shape = match ? MarkShape::kCheck : MarkShape::kCross;
    if (!highContrast) mark.colour = match ? kMatchMark : kMismatchMark;
    // Inside a margin of a fifth on each side, so that it clears the box's border; strokes of an
    // eighth, two pixels where the box is smallest.
    if (match) {
        mark.strokes = {{{0.20, 0.52}, {0.41, 0.74}, {0.80, 0.28}}};
    } else {
        mark.strokes = {{{0.25, 0.25}, {0.75, 0.75}}, {{0.75, 0.25}, {0.25, 0.75}}};
    }
    mark.penWidth = 0.13;
    return mark;
}

bool HighContrastForced() {
    const char* forced = std::getenv("PELLWICK_HIGH_CONTRAST");
    return forced != nullptr && std::strcmp(forced, "1") == 0;
}

}  // namespace window
