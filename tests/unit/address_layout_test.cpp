#include <gtest/gtest.h>

#include <vector>

#include "config/address_layout.h"

TEST(HeaderLineTop, RowsStartAtFifthsShiftedByATenthOfTheFreeSpace)
{
    struct Case {
        int measured;
        std::vector<int> rows;
    };
    const Case cases[] = {
        {100, {0, 20, 41, 61, 81}},
        {102, {0, 20, 40, 61, 81}},
        {88, {1, 21, 42, 62, 83}},
        {0, {10, 30, 51, 71, 91}},
        {120, {-2, 18, 39, 59, 79}},  // text higher than the image: rounded down, not towards zero
        {112, {-1, 19, 39, 60, 80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "H=" << c.measured);
        std::vector<int> rows;
        for (int i = 0; i < kAddressLineCount; ++i)
            rows.push_back(HeaderLineTop(c.measured, i));
        EXPECT_EQ(rows, c.rows);
    }
}

TEST(FitHeaderFont, LowersTheHeightUntilWidthAndHeightFit)
{
    struct Case {
        const char* what;
        std::function<TextBlockSize(int)> measure;
        int fontHeight;
        TextBlockSize block;
    };
    const Case cases[] = {
        // four lines as high as the font: 4 x 26 = 104 is too high, 4 x 25 = 100 fits
        {"short lines", [](int h) { return TextBlockSize{10 * h, 4 * h}; }, 25, {250, 100}},
        {"height 102 fits", [](int h) { return TextBlockSize{0, h == 30 ? 102 : 0}; }, 30, {0, 102}},
        {"width 480 fits", [](int h) { return TextBlockSize{16 * h, 0}; }, 30, {480, 0}},
        {"width 481 does not", [](int h) { return TextBlockSize{h == 30 ? 481 : 400, 0}; }, 29, {400, 0}},
        {"long line", [](int h) { return TextBlockSize{40 * h, 4 * h}; }, 12, {480, 48}},
        // text that never fits ends at the floor, drawn with the last measurement
        {"never fits", [](int h) { return TextBlockSize{1000 + h, 200}; }, kAddressMinFontHeight,
         {1000 + kAddressMinFontHeight, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeaderFit fit = FitHeaderFont(c.measure);
        EXPECT_EQ(fit.fontHeight, c.fontHeight);
        EXPECT_EQ(fit.block.width, c.block.width);
        EXPECT_EQ(fit.block.height, c.block.height);
    }
}

TEST(FitHeaderFont, NeverMeasuresBelowTheFloorOrAboveTheStart)
{
    std::vector<int> asked;
    FitHeaderFont([&](int h) {
        asked.push_back(h);
        return TextBlockSize{100000, 100000};
    });
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), kAddressStartFontHeight);
    EXPECT_EQ(asked.back(), kAddressMinFontHeight);
    EXPECT_EQ(asked.size(), static_cast<size_t>(kAddressStartFontHeight - kAddressMinFontHeight + 1));
}

TEST(SplitLabel, BoldUpToTheFirstColonRegularAfter)
{
    struct Case {
        const wchar_t* line;
        const wchar_t* bold;
        const wchar_t* regular;
    };
    const Case cases[] = {
        {L"Κατάστημα: Αθήνα 12", L"Κατάστημα:", L" Αθήνα 12"},  // the blank goes with the value
        {L"a:b:c", L"a:", L"b:c"},                              // later colons stay in the value
        {L"no colon", L"no colon:", L""},                       // a colon is added
        {L"", L":", L""},
        {L":x", L":", L"x"},
        {L"x:", L"x:", L""},
        {L"x::", L"x:", L":"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
        LabelParts parts = SplitLabel(c.line);
        EXPECT_EQ(parts.bold, c.bold);
        EXPECT_EQ(parts.regular, c.regular);
    }
}

TEST(HasBoldLabel, FirstAndThirdLinesOnly)
{
    std::vector<bool> bold;
    for (int i = 0; i < kAddressLineCount; ++i)
        bold.push_back(HasBoldLabel(i));
    EXPECT_EQ(bold, (std::vector<bool>{true, false, true, false, false}));
}
