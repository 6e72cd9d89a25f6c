// The OK button's glyph of the configuration dialog: a 16-colour strip of 36 x 18 pixels
// holding two 18 x 18 images side by side, the button as usable and as disabled. Pure: the
// pixels are palette indices; ok_glyph_image.h turns them into a picture.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kOkGlyphFrame = 18;                    // width and height of one image
constexpr int kOkGlyphWidth = 2 * kOkGlyphFrame;     // usable image, then disabled image
constexpr int kOkGlyphHeight = kOkGlyphFrame;

// The 16 colours of the strip (the standard VGA palette), as 0xRRGGBB.
extern const std::array<uint32_t, 16> kOkGlyphPalette;
enum OkGlyphColor : uint8_t {
    kGlyphGreen = 2,   // the check mark
    kGlyphOlive = 3,   // background: the colour of the bottom-left pixel, drawn transparent
    kGlyphNavy = 4,    // the check mark's shadow edge
    kGlyphGrey = 8,    // disabled outline
    kGlyphWhite = 15,  // disabled highlight
};

// Palette indices, row by row from the top, kOkGlyphWidth per row. The disabled image is the
// usable one's shape in grey with a white edge one pixel below and to the right.
std::vector<uint8_t> OkGlyphPixels();
