// Geometry of the branch header image: its size, the font fit, the line rows and the bold
// label part. Pure: the drawing itself is in address_bitmap.h.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

constexpr int kAddressWidth = 487;
constexpr int kAddressHeight = 102;
constexpr int kAddressLineCount = 5;
constexpr int kAddressLeft = 5;          // left edge of every line
constexpr int kAddressFitWidth = 480;    // the widest measured line may not be wider
constexpr int kAddressFitHeight = 102;   // the measured lines together may not be higher
constexpr int kAddressStartFontHeight = 30;
// The fit stops lowering here: below a cell height of one pixel the font no longer shrinks
// with the number. Text that does not fit at this height is drawn at it and cut at the edges.
constexpr int kAddressMinFontHeight = 1;
constexpr int kAddressMeasuredLines = 4;  // the fifth line takes no part in the fit

struct TextBlockSize {
    int width = 0;   // the widest measured line
    int height = 0;  // the measured lines' heights added up
};

struct HeaderFit {
    int fontHeight = 0;    // cell height in pixels the lines are drawn with
    TextBlockSize block;   // the last measurement (its height is H of the row formula)
};

// Lowers the font height from 30 by one while the block measured at it is wider than 480 or
// higher than 102, but not below kAddressMinFontHeight. measure(h) measures at cell height h.
HeaderFit FitHeaderFont(const std::function<TextBlockSize(int fontHeight)>& measure);

// Top row of line i: floor((102 - H) * 0.1 + 102 * i * 0.2), in whole numbers.
int HeaderLineTop(int measuredHeight, int line);

// The first and third lines are drawn as a bold label and a regular rest.
bool HasBoldLabel(int line);

struct LabelParts {
    std::wstring bold;     // the text up to its first colon, with the colon (one is added if none)
    std::wstring regular;  // everything after the first colon, leading blanks included
};
LabelParts SplitLabel(std::wstring_view line);
