// The one check of what the technician entered, for both front ends.
#include <gtest/gtest.h>

#include "common/codes.h"
#include "config/request.h"
#include "common/utf.h"

namespace {

ConfigRequest Entered(const wchar_t* branch, const wchar_t* pos, const wchar_t* back)
{
    ConfigRequest entered;
    entered.branch = branch;
    entered.posSeries = pos;
    entered.backSeries = back;
    entered.posPrinter = L"P";
    entered.backPrinter = L"B";
    return entered;
}

}  // namespace

TEST(CheckRequest, ReadsOrRefusesEachEntry)
{
    struct Case {
        const wchar_t *branch, *pos, *back;
        std::vector<int> posSeries, backSeries;  // when accepted
        const char* code;                        // when refused
        std::wstring text;
    };
    const Case cases[] = {
        {L"0012", L"1,2,4", L"9,10,12", {1, 2, 4}, {9, 10, 12}, nullptr, L""},
        {L"1", L" 1 , 2\t", L"", {1, 2}, {}, nullptr, L""},  // blanks around items dropped
        {L"9999", L"01,100", L"2147483647", {1, 100}, {2147483647}, nullptr, L""},
        {L"10000", L"1", L"", {}, {}, codes::kBranchRefused, L"Δεν μπορείτε να δημιουργήσετε το υποκ/μα 10000"},
        {L"12a", L"1,,2", L"", {}, {}, codes::kBranchRefused, L"Δεν μπορείτε να δημιουργήσετε το υποκ/μα 0"},
        {L"12", L"1,,2", L"", {}, {}, codes::kSeriesRefused, L"Σειρές POS: η 2η σειρά «» είναι κενή!"},
        {L"12", L"1,2,", L"", {}, {}, codes::kSeriesRefused, L"Σειρές POS: η 3η σειρά «» είναι κενή!"},
        {L"12", L" ", L"", {}, {}, codes::kSeriesRefused, L"Σειρές POS: η 1η σειρά « » είναι κενή!"},
        {L"12", L"1;2", L"", {}, {}, codes::kSeriesRefused,
         L"Σειρές POS: η 1η σειρά «1;2» δεν είναι ακέραιος αριθμός χωρίς πρόσημο!"},
        {L"12", L"-1", L"", {}, {}, codes::kSeriesRefused,
         L"Σειρές POS: η 1η σειρά «-1» δεν είναι ακέραιος αριθμός χωρίς πρόσημο!"},
        {L"12", L"+1", L"", {}, {}, codes::kSeriesRefused,
         L"Σειρές POS: η 1η σειρά «+1» δεν είναι ακέραιος αριθμός χωρίς πρόσημο!"},
        {L"12", L"", L"9-12", {}, {}, codes::kSeriesRefused,
         L"Σειρές Backoffice: η 1η σειρά «9-12» δεν είναι ακέραιος αριθμός χωρίς πρόσημο!"},
        {L"12", L"1 2", L"", {}, {}, codes::kSeriesRefused,
         L"Σειρές POS: η 1η σειρά «1 2» δεν είναι ακέραιος αριθμός χωρίς πρόσημο!"},
        {L"12", L"2147483648", L"", {}, {}, codes::kSeriesRefused,
         L"Σειρές POS: η 1η σειρά «2147483648» είναι πολύ μεγάλος αριθμός!"},
        {L"12", L"1,2,01", L"", {}, {}, codes::kSeriesRefused, L"Σειρές POS: η 3η σειρά «01» δίνεται δύο φορές!"},
        {L"12", L"1,2,4", L"9, 2", {}, {}, codes::kSeriesRefused,
         L"Σειρές Backoffice: η 2η σειρά « 2» δίνεται και στις σειρές POS!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << Utf8Of(c.branch) << " /pos:" << Utf8Of(c.pos) << " /back:" << Utf8Of(c.back));
        const RequestCheck check = CheckRequest(Entered(c.branch, c.pos, c.back));
        if (!c.code) {
            ASSERT_TRUE(check.request) << Utf8Of(check.text);
            EXPECT_EQ(check.request->pos, c.posSeries);
            EXPECT_EQ(check.request->back, c.backSeries);
            continue;
        }
        EXPECT_FALSE(check.request);
        EXPECT_STREQ(check.code, c.code);
        EXPECT_EQ(check.text, c.text);
        EXPECT_EQ(check.series.has_value(), c.code == codes::kSeriesRefused);
    }
}
