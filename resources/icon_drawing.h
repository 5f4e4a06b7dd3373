// The program's icon, a parcel with a check mark, drawn once for every image the builds make
// of it (make_icons for Windows, make_desktop_icons for the Linux desktop).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace icon {

// The 16 colours of the standard VGA palette, as RGB.
constexpr std::uint8_t kPalette16[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                            {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                            {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
enum Colour : int { kBlack = 0, kDarkGreen = 2, kOlive = 3, kGray = 8, kLime = 10, kYellow = 11, kNone = -1 };

struct Box {
    double left, top, right, bottom;
    bool Holds(double x, double y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The picture in unit coordinates, y downwards: a closed parcel (lid, body, tape) and a
// check mark over its lower right corner, clear of the image's edges with its rim.
constexpr Box kLid{0.03, 0.10, 0.83, 0.36};
constexpr Box kBody{0.08, 0.36, 0.78, 0.92};
constexpr Box kTape{0.37, 0.10, 0.50, 0.92};
constexpr double kCheck[3][2] = {{0.42, 0.64}, {0.60, 0.82}, {0.88, 0.36}};
constexpr double kCheckHalfWidth = 0.07;
// Lines (the seam, the outline, the check's rim) are a pixel wide in small images and keep
// this share of the picture in large ones, where a pixel would vanish.
constexpr double kLine = 1.0 / 48;

inline double LineFor(int size) {
    return std::max(1.0 / size, kLine);
}

inline double SegmentDistance(double px, double py, const double* a, const double* b) {
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    double t = ((px - a[0]) * dx + (py - a[1]) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(px - (a[0] + t * dx), py - (a[1] + t * dy));
}

inline int Paint(double x, double y, double line) {
    const double check =
        std::min(SegmentDistance(x, y, kCheck[0], kCheck[1]), SegmentDistance(x, y, kCheck[1], kCheck[2]));
    if (check < kCheckHalfWidth + line * 0.2) return kLime;
    if (check < kCheckHalfWidth + line * 1.2) return kDarkGreen;
    const bool lid = kLid.Holds(x, y);
    if (!lid && !kBody.Holds(x, y)) return kNone;
    if (lid && y >= kLid.bottom - line) return kBlack;  // the lid's lower edge over the body
    if (kTape.Holds(x, y)) return kYellow;
    return kOlive;
}

// The colour at a point, with a dark outline where the parcel meets the background so that
// it reads on any backdrop.
inline int ColourAt(double x, double y, double line) {
    const int here = Paint(x, y, line);
    if (here != kOlive && here != kYellow) return here;
    const bool edge = Paint(x - line, y, line) == kNone || Paint(x + line, y, line) == kNone ||
                      Paint(x, y - line, line) == kNone || Paint(x, y + line, line) == kNone;
    return edge ? kBlack : here;
}

// Writes one of the images the build makes; false when it could not.
inline bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& data) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(file);
}

}  // namespace icon
