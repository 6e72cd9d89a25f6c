#include "config/address_layout.h"

#include "common/text.h"

static bool Fits(const TextBlockSize& block)
{
    return block.width <= kAddressFitWidth && block.height <= kAddressFitHeight;
}

HeaderFit FitHeaderFont(const std::function<TextBlockSize(int fontHeight)>& measure)
{
    HeaderFit fit{kAddressStartFontHeight, measure(kAddressStartFontHeight)};
    while (!Fits(fit.block) && fit.fontHeight > kAddressMinFontHeight) {
        --fit.fontHeight;
        fit.block = measure(fit.fontHeight);
    }
    return fit;
}

int HeaderLineTop(int measuredHeight, int line)
{
    // (102 - H) / 10 + 102 * i / 5 == (102 - H + 204 * i) / 10, rounded towards minus infinity
    // (the text measured at the smallest font may be higher than the image).
    int numerator = kAddressHeight - measuredHeight + 2 * kAddressHeight * line;
    int quotient = numerator / 10;
    if (numerator % 10 != 0 && numerator < 0)
        --quotient;
    return quotient;
}

bool HasBoldLabel(int line)
{
    return line == 0 || line == 2;
}

LabelParts SplitLabel(std::wstring_view line)
{
    std::vector<std::wstring> items = SplitList(line, L":", 1);
    LabelParts parts{items.front() + L":", {}};
    items.erase(items.begin());
    parts.regular = JoinList(items, L':');
    return parts;
}
