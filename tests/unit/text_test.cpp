#include <gtest/gtest.h>

#include "common/text.h"
#include "common/text_lines.h"

using Items = std::vector<std::wstring>;

TEST(SplitList, CutsAtEveryDelimiterAndPadsToMinimum)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* delims;
        size_t minimum;
        Items expected;
    };
    const Case cases[] = {
        {L"", L",", 0, {}},                          // an empty text gives no item
        {L"", L":", 1, {L""}},                       // ... unless a minimum asks for one
        {L"1,2,4", L",", 0, {L"1", L"2", L"4"}},
        {L"1,,2", L",", 0, {L"1", L"", L"2"}},       // empty items are kept
        {L"1,2,", L",", 0, {L"1", L"2", L""}},       // text after the last delimiter, even empty
        {L",1", L",", 0, {L"", L"1"}},
        {L"1, 2", L",", 0, {L"1", L" 2"}},           // no trimming
        {L"1;2600", L";", 4, {L"1", L"2600", L"", L""}},
        {L"a:b\tc", L":\t", 0, {L"a", L"b", L"c"}},  // every character of the set delimits
        {L"\"q\"", L",", 0, {L"\"q\""}},             // no unquoting
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "text=" << testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(SplitList(c.text, c.delims, c.minimum), c.expected);
    }
}

TEST(JoinList, JoinsWithSeparatorAndOptionalQuotes)
{
    EXPECT_EQ(JoinList({}, L';'), L"");
    EXPECT_EQ(JoinList({L""}, L';'), L"");
    EXPECT_EQ(JoinList({L"1", L"", L"3"}, L';'), L"1;;3");
    EXPECT_EQ(JoinList({L"a", L"b"}, L',', L'"'), L"\"a\",\"b\"");
}

TEST(JoinList, GivesBackWhatSplitListCut)
{
    for (const wchar_t* text : {L"1;2600;1040;90;*001203;*;0;0", L";;", L"x", L";a;"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        EXPECT_EQ(JoinList(SplitList(text, L";"), L';'), text);
    }
}

TEST(PathExtension, TakesTheLastDotOfTheLastComponent)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* extension;
    };
    const Case cases[] = {
        {L"C:\\jobs\\a.prn", L".prn"},       {L"C:\\jobs\\A.PRN", L".PRN"},
        {L"C:\\jobs\\a.prn.bak", L".bak"},   {L"C:\\jobs.d\\file", L""},  // dot before a backslash
        {L"C:\\jobs\\noext", L""},           {L"C:.x\\y", L""},
        {L"a:b.prn", L".prn"},               {L"x.", L"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.path)));
        EXPECT_EQ(std::wstring(PathExtension(c.path)), c.extension);
    }
}

TEST(TrimControls, RemovesCodesUpToBlankAtBothEnds)
{
    EXPECT_EQ(TrimControls(L"  \t AB_POS \r\n"), L"AB_POS");
    EXPECT_EQ(TrimControls(L"   "), L"");
    EXPECT_EQ(TrimControls(L"a b"), L"a b");
}

TEST(ParseInt32, ReadsSignedDecimalWithLeadingBlanks)
{
    struct Case {
        const wchar_t* text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {L"0012", true, 12}, {L"12a", false, 0},  {L"", false, 0},     {L"-5", true, -5},
        {L"  7", true, 7},   {L"7 ", false, 0},   {L"+3", true, 3},    {L"-", false, 0},
        {L"2147483647", true, 2147483647},        {L"2147483648", false, 0},
        {L"-2147483648", true, -2147483647 - 1},  {L"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        int value = 0;
        EXPECT_EQ(ParseInt32(c.text, value), c.ok);
        if (c.ok)
            EXPECT_EQ(value, c.value);
    }
}

TEST(TextLines, SplitsAtEveryKindOfLineBreakAndStopsAtNul)
{
    EXPECT_EQ(SplitTextLines(L"a\r\nb\rc\nd"), (Items{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(SplitTextLines(L"a\r\n"), (Items{L"a"}));
    EXPECT_EQ(SplitTextLines(L"a\n\nb"), (Items{L"a", L"", L"b"}));
    EXPECT_EQ(SplitTextLines(std::wstring(L"a\nb\0c\nd", 8)), (Items{L"a", L"b"}));
    EXPECT_EQ(SplitTextLines(L""), Items{});
}

TEST(TextLines, SortedUniqueKeepsTheFirstOfLinesDifferingInCase)
{
    EXPECT_EQ(SortedUniqueLinesText(L"beta\nAlpha\r\nBETA\ralpha\ngamma"), L"Alpha\r\nbeta\r\ngamma\r\n");
    EXPECT_EQ(SortedUniqueLinesText(L""), L"");
}
