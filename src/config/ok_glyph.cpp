#include "config/ok_glyph.h"

const std::array<uint32_t, 16> kOkGlyphPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

namespace {
// The usable image: 'g' check mark, 'n' its shadow edge, '.' background.
const char* const kCheck[kOkGlyphFrame] = {
    "..................",
    "..................",
    "..............g...",
    ".............gggn.",
    "............gggn..",
    "...........gggn...",
    "..g.......gggn....",
    ".ggg.....gggn.....",
    ".gggg...gggn......",
    "..gggg.gggn.......",
    "...ggggggn........",
    "....ggggn.........",
    ".....ggn..........",
    "......n...........",
    "..................",
    "..................",
    "..................",
    "..................",
};

bool InShape(int x, int y)
{
    return x >= 0 && y >= 0 && x < kOkGlyphFrame && y < kOkGlyphFrame && kCheck[y][x] != '.';
}
}  // namespace

std::vector<uint8_t> OkGlyphPixels()
{
    std::vector<uint8_t> pixels(static_cast<std::size_t>(kOkGlyphWidth) * kOkGlyphHeight, kGlyphOlive);
    for (int y = 0; y < kOkGlyphFrame; ++y) {
        uint8_t* row = &pixels[static_cast<std::size_t>(y) * kOkGlyphWidth];
        for (int x = 0; x < kOkGlyphFrame; ++x) {
            if (kCheck[y][x] == 'g')
                row[x] = kGlyphGreen;
            else if (kCheck[y][x] == 'n')
                row[x] = kGlyphNavy;
            if (InShape(x, y))
                row[kOkGlyphFrame + x] = kGlyphGrey;
            else if (InShape(x - 1, y - 1))
                row[kOkGlyphFrame + x] = kGlyphWhite;
        }
    }
    return pixels;
}
