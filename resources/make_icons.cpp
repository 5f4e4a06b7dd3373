// Draws the program's icon, a parcel with a check mark, and writes the icon images as the
// resource compiler takes them: three DIBs (32x32 in 2 colours, 32x32 and 16x16 in 16
// colours) and the icon group that names them by resource id. Runs on the build host.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The 16 colours of the standard VGA palette, as RGB.
constexpr std::uint8_t kPalette16[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                            {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                            {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                            {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
enum Colour : int { kBlack = 0, kDarkGreen = 2, kOlive = 3, kGray = 8, kLime = 10, kYellow = 11, kNone = -1 };

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    double t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

bool Inside(double x, double y, double left, double top, double right, double bottom) {
    return x >= left && x < right && y >= top && y < bottom;
}

// The picture in unit coordinates, y downwards: a closed parcel (lid, body, tape) and a
// check mark over its lower right corner.
int Paint(double x, double y, double pixel) {
    const double check =
        std::min(SegmentDistance(x, y, 0.44, 0.64, 0.62, 0.84), SegmentDistance(x, y, 0.62, 0.84, 0.97, 0.34));
    if (check < 0.07 + pixel * 0.2) return kLime;
    if (check < 0.07 + pixel * 1.2) return kDarkGreen;
    const bool lid = Inside(x, y, 0.03, 0.10, 0.83, 0.36);
    const bool body = Inside(x, y, 0.08, 0.36, 0.78, 0.92);
    if (!lid && !body) return kNone;
    const bool tape = Inside(x, y, 0.37, 0.10, 0.50, 0.92);
    const bool seam = lid && y >= 0.36 - pixel;  // the lid's lower edge over the body
    if (seam) return kBlack;
    if (tape) return kYellow;
    return kOlive;
}

struct Image {
    int size;
    std::vector<int> colours;  // size*size, top row first; kNone is transparent
};

Image Draw(int size) {
    Image image{size, std::vector<int>(static_cast<std::size_t>(size * size), kNone)};
    const double pixel = 1.0 / size;
    for (int row = 0; row < size; ++row)
        for (int col = 0; col < size; ++col)
            image.colours[static_cast<std::size_t>(row * size + col)] =
                Paint((col + 0.5) * pixel, (row + 0.5) * pixel, pixel);
    // A dark outline where the parcel meets the background, so it reads on any backdrop.
    std::vector<int> outlined = image.colours;
    auto at = [&](int r, int c) {
        return r < 0 || c < 0 || r >= size || c >= size ? kNone : image.colours[static_cast<std::size_t>(r * size + c)];
    };
    for (int r = 0; r < size; ++r)
        for (int c = 0; c < size; ++c) {
            const int here = at(r, c);
            if (here == kOlive || here == kYellow) {
                if (at(r - 1, c) == kNone || at(r + 1, c) == kNone || at(r, c - 1) == kNone || at(r, c + 1) == kNone)
                    outlined[static_cast<std::size_t>(r * size + c)] = kBlack;
            }
        }
    image.colours = outlined;
    return image;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// An icon image: BITMAPINFOHEADER (height doubled for the two masks), palette, colour bits
// and the AND mask, rows bottom-up, each padded to four bytes.
std::vector<std::uint8_t> Dib(const Image& image, int bits) {
    const int n = image.size;
    const int xorStride = ((n * bits + 31) / 32) * 4;
    const int andStride = ((n + 31) / 32) * 4;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(n));
    Put32(out, static_cast<std::uint32_t>(n * 2));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bits));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>((xorStride + andStride) * n));
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    const int colours = 1 << bits;
    for (int i = 0; i < colours; ++i) {
        const auto& rgb = bits == 1 ? kPalette16[i == 0 ? kBlack : 15] : kPalette16[i];
        out.push_back(rgb[2]);
        out.push_back(rgb[1]);
        out.push_back(rgb[0]);
        out.push_back(0);
    }
    auto index = [&](int colour) {
        if (colour == kNone) return 0;
        if (bits == 4) return colour;
        return colour == kBlack || colour == kDarkGreen ? 0 : 1;  // two colours: ink and paper
    };
    for (int row = n - 1; row >= 0; --row) {
        std::vector<std::uint8_t> line(static_cast<std::size_t>(xorStride), 0);
        for (int col = 0; col < n; ++col) {
            const int v = index(image.colours[static_cast<std::size_t>(row * n + col)]);
            if (bits == 4)
                line[static_cast<std::size_t>(col / 2)] |= static_cast<std::uint8_t>(v << (col % 2 ? 0 : 4));
            else
                line[static_cast<std::size_t>(col / 8)] |= static_cast<std::uint8_t>(v << (7 - col % 8));
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    for (int row = n - 1; row >= 0; --row) {
        std::vector<std::uint8_t> line(static_cast<std::size_t>(andStride), 0);
        for (int col = 0; col < n; ++col)
            if (image.colours[static_cast<std::size_t>(row * n + col)] == kNone)
                line[static_cast<std::size_t>(col / 8)] |= static_cast<std::uint8_t>(1 << (7 - col % 8));
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

bool Write(const std::string& path, const std::vector<std::uint8_t>& data) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons <output directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    struct Entry {
        const char* file;
        int size, bits, id;
    } const entries[] = {
        {"icon-32x32-2.dib", 32, 1, 30001},
        {"icon-32x32-16.dib", 32, 4, 30002},
        {"icon-16x16-16.dib", 16, 4, 30003},
    };
    std::vector<std::uint8_t> group;
    Put16(group, 0);
    Put16(group, 1);  // icons
    Put16(group, 3);
    for (const auto& e : entries) {
        const auto dib = Dib(Draw(e.size), e.bits);
        if (!Write(dir + "/" + e.file, dib)) return 1;
        group.push_back(static_cast<std::uint8_t>(e.size));
        group.push_back(static_cast<std::uint8_t>(e.size));
        group.push_back(static_cast<std::uint8_t>(1 << e.bits));
        group.push_back(0);
        Put16(group, 1);
        Put16(group, static_cast<unsigned>(e.bits));
        Put32(group, static_cast<std::uint32_t>(dib.size()));
        Put16(group, static_cast<unsigned>(e.id));
    }
    return Write(dir + "/icon-group.bin", group) ? 0 : 1;
}
