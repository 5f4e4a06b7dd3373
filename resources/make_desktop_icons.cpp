// Writes the program's icon for the Linux desktop: PNG images at the icon theme's sizes and an
// SVG. Runs on the build host.
//   make_desktop_icons <output directory>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "icon_drawing.h"

namespace {

using namespace icon;

void Put32BigEndian(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// A smooth RGBA image for the desktop: each pixel averages 4x4 samples of the same picture.
// Rows top-down, each led by PNG's "no filter" byte.
std::vector<std::uint8_t> SmoothRows(int size) {
    constexpr int kSamples = 4;
    const double pixel = 1.0 / size, step = pixel / kSamples;
    std::vector<std::uint8_t> rows;
    for (int row = 0; row < size; ++row) {
        rows.push_back(0);
        for (int col = 0; col < size; ++col) {
            unsigned sum[3] = {0, 0, 0}, opaque = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const int c =
                        ColourAt(col * pixel + (sx + 0.5) * step, row * pixel + (sy + 0.5) * step, LineFor(size));
                    if (c == kNone) continue;
                    ++opaque;
                    for (int i = 0; i < 3; ++i) sum[i] += kPalette16[c][i];
                }
            for (int i = 0; i < 3; ++i) rows.push_back(static_cast<std::uint8_t>(opaque ? sum[i] / opaque : 0));
            rows.push_back(static_cast<std::uint8_t>(opaque * 255 / (kSamples * kSamples)));
        }
    }
    return rows;
}

void PutChunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data) {
    Put32BigEndian(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    Put32BigEndian(png,
                   static_cast<std::uint32_t>(::crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}

// 8-bit RGBA, deflated by zlib; false when zlib fails.
bool Png(int size, std::vector<std::uint8_t>& png) {
    const std::vector<std::uint8_t> rows = SmoothRows(size);
    std::vector<std::uint8_t> packed(::compressBound(static_cast<uLong>(rows.size())));
    uLongf packedSize = static_cast<uLongf>(packed.size());
    if (::compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION) !=
        Z_OK)
        return false;
    packed.resize(packedSize);
    std::vector<std::uint8_t> header;
    Put32BigEndian(header, static_cast<std::uint32_t>(size));
    Put32BigEndian(header, static_cast<std::uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // depth, RGBA, deflate, no filter choice, not interlaced
    png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return true;
}

// The large images' drawing as shapes, in units of a line's width: the outline is the
// parcel's black underside showing around its inset faces.
std::string Svg() {
    const double u = 1 / kLine;
    std::ostringstream svg;
    auto hex = [](int c) {
        char text[8];
        std::snprintf(text, sizeof text, "#%02x%02x%02x", kPalette16[c][0], kPalette16[c][1], kPalette16[c][2]);
        return std::string(text);
    };
    auto rect = [&](double left, double top, double right, double bottom, int c) {
        svg << "  <rect x=\"" << left * u << "\" y=\"" << top * u << "\" width=\"" << (right - left) * u
            << "\" height=\"" << (bottom - top) * u << "\" fill=\"" << hex(c) << "\"/>\n";
    };
    auto check = [&](double halfWidth, int c) {
        svg << "  <polyline points=\"";
        for (const auto& p : kCheck) svg << p[0] * u << ',' << p[1] * u << ' ';
        svg << "\" fill=\"none\" stroke=\"" << hex(c) << "\" stroke-width=\"" << 2 * halfWidth * u
            << "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
    };
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << u << "\" height=\"" << u << "\" viewBox=\"0 0 " << u
        << ' ' << u << "\">\n";
    rect(kLid.left, kLid.top, kLid.right, kLid.bottom, kBlack);
    rect(kBody.left, kBody.top, kBody.right, kBody.bottom, kBlack);
    rect(kLid.left + kLine, kLid.top + kLine, kLid.right - kLine, kLid.bottom, kOlive);
    rect(kBody.left + kLine, kBody.top, kBody.right - kLine, kBody.bottom - kLine, kOlive);
    rect(kTape.left, kTape.top + kLine, kTape.right, kTape.bottom - kLine, kYellow);
    rect(kLid.left, kLid.bottom - kLine, kLid.right, kLid.bottom, kBlack);
    check(kCheckHalfWidth + kLine * 1.2, kDarkGreen);
    check(kCheckHalfWidth + kLine * 0.2, kLime);
    svg << "</svg>\n";
    return svg.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_desktop_icons <output directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        std::vector<std::uint8_t> png;
        if (!Png(size, png) || !icon::WriteFile(dir + "/pellwick-" + std::to_string(size) + ".png", png)) return 1;
    }
    const std::string svg = Svg();
    return icon::WriteFile(dir + "/pellwick.svg", std::vector<std::uint8_t>(svg.begin(), svg.end())) ? 0 : 1;
}
