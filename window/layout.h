// Where the main window's controls stand, in twips (1/1440 inch) from the client area's
// top-left corner; each front end converts them at the DPI in force.
#pragma once

namespace window::layout {

struct TwipsRect {
    int left, top, width, height;
};

inline constexpr int kClientWidth = 7335;
inline constexpr int kClientHeight = 855;

inline constexpr TwipsRect kFindFileName{6960, 120, 255, 255};
inline constexpr TwipsRect kFileName{720, 120, 6135, 285};
inline constexpr TwipsRect kMD5{720, 480, 6495, 285};
inline constexpr TwipsRect kLabel1{120, 480, 615, 255};
inline constexpr TwipsRect kLabelFile{120, 120, 615, 255};

// Rounded to the nearest pixel: 15 twips are one pixel at 96 dots per inch.
constexpr int TwipsToPixels(int twips, int dpi) {
    return (twips * dpi + 720) / 1440;
}

}  // namespace window::layout
