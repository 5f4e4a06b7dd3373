// Writes the program's icon as the Windows resource compiler takes it: three DIBs (32x32 in 2
// colours, 32x32 and 16x16 in 16 colours) and the icon group that names them by resource id.
// Runs on the build host.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "icon_drawing.h"

namespace {

using namespace icon;

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
                ColourAt((col + 0.5) * pixel, (row + 0.5) * pixel, LineFor(size));
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
        if (!icon::WriteFile(dir + "/" + e.file, dib)) return 1;
        group.push_back(static_cast<std::uint8_t>(e.size));
        group.push_back(static_cast<std::uint8_t>(e.size));
        group.push_back(static_cast<std::uint8_t>(1 << e.bits));
        group.push_back(0);
        Put16(group, 1);
        Put16(group, static_cast<unsigned>(e.bits));
        Put32(group, static_cast<std::uint32_t>(dib.size()));
        Put16(group, static_cast<unsigned>(e.id));
    }
    return icon::WriteFile(dir + "/icon-group.bin", group) ? 0 : 1;
}
