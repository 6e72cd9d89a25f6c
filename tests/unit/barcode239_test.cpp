#include <gtest/gtest.h>

#include "config/barcode239.h"

TEST(Barcode239From, RewritesFieldsTwoToFourOnly)
{
    struct Case {
        const wchar_t* barcode39;
        const wchar_t* expected;
    };
    const Case cases[] = {
        // the record the map writer stores: only fields 2 to 4 differ
        {L"1;2600;1040;90;*001203;*;0;0;Free 3 of 9 Extended;24;0;0;0;0",
         L"1;1600;300;0;*001203;*;0;0;Free 3 of 9 Extended;24;0;0;0;0"},
        {L"1;2600", L"1;1600;300;0"},                      // short records are filled up to four fields
        {L"1;2600;1040;90;A;B", L"1;1600;300;0;A;B"},      // fields beyond the fourth are kept
        {L"1;;;", L"1;1600;300;0"},
        {L"", L";1600;300;0"},                             // a missing Barcode39 reads as empty text
        {L"7", L"7;1600;300;0"},
        {L" 1 ;x;y;z; tail ;", L" 1 ;1600;300;0; tail ;"},  // no trimming; a trailing empty field stays
        {L"1;1600;300;0", L"1;1600;300;0"},                // an upgraded record upgrades to itself
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Barcode39=" << testing::PrintToString(std::wstring(c.barcode39)));
        EXPECT_EQ(Barcode239From(c.barcode39), c.expected);
    }
}
