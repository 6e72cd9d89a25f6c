#include <gtest/gtest.h>

#include "jobs/convert.h"

namespace {

// "caption" with no sub-item, "caption|directions" or "caption|directions|result".
JobRow Row(const std::wstring& text)
{
    JobRow row(text.substr(0, text.find(L'|')));
    size_t bar = text.find(L'|');
    if (bar != std::wstring::npos) {
        size_t next = text.find(L'|', bar + 1);
        row.SetDirections(text.substr(bar + 1, next == std::wstring::npos ? std::wstring::npos : next - bar - 1));
        if (next != std::wstring::npos)
            row.SetResult(text.substr(next + 1));
    }
    return row;
}

std::wstring Text(const JobRow& row)
{
    std::wstring text = row.caption;
    for (int i = 0; i < row.subItems; ++i)
        text += L"|" + row.SubItem(i);
    return text;
}

}  // namespace

TEST(ConvertDirections, RewritesPosThenBackRows)
{
    struct Case {
        const wchar_t* before;
        const wchar_t* posText;
        const wchar_t* backText;
        const wchar_t* after;
    };
    const Case cases[] = {
        {L"a|AB_POS1_COPY", L"AB_POS", L"AB_BACK", L"a|AB_POS"},
        {L"a|AB_BACK2_COPY", L"AB_POS", L"AB_BACK", L"a|AB_BACK"},
        {L"a|ab_pos3", L"AB_POS", L"AB_BACK", L"a|AB_POS"},         // lower case counts
        {L"a|xBack", L"P", L"B", L"a|B"},
        {L"a|POS_BACK", L"P", L"B", L"a|P"},                        // POS is tested first...
        {L"a|BACKPOS", L"P", L"B", L"a|P"},                         // ...wherever it stands
        {L"a|CENTRAL_COPY", L"P", L"B", L"a|CENTRAL_COPY"},
        {L"a|PO S BAC K", L"P", L"B", L"a|PO S BAC K"},
        {L"a", L"P", L"B", L"a"},                                   // no Directions: none added
        {L"a|", L"P", L"B", L"a|"},
        {L"a|AB_POS1|OK 12", L"P", L"B", L"a|P|OK 12"},             // Result untouched
        {L"a|AB_POS1", L"", L"B", L"a|"},                           // an empty edit empties
        {L"a|AB_BACK1|r", L"P", L"", L"a||r"},
        {L"a|AB_POS1", L" X Y ", L"B", L"a| X Y "},                 // edit text taken untrimmed
        {L"a|\u03b1pos\u03b2", L"P", L"B", L"a|P"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.before)));
        JobList rows{Row(c.before)};
        ConvertDirections(rows, c.posText, c.backText);
        EXPECT_EQ(Text(rows[0]), c.after);
    }
}

TEST(ConvertDirections, SecondRunSeesTheFirstRunsTexts)
{
    struct Case {
        const wchar_t* posText;
        const wchar_t* backText;
        const wchar_t* afterOnce;
        const wchar_t* afterTwice;
    };
    const Case cases[] = {
        {L"AB_POS", L"AB_BACK", L"a|AB_POS b|AB_BACK c", L"a|AB_POS b|AB_BACK c"},  // stable
        {L"NEW_BACK", L"OTHER", L"a|NEW_BACK b|OTHER c", L"a|OTHER b|OTHER c"},     // now a BACK row
        {L"X", L"MY_POS", L"a|X b|MY_POS c", L"a|X b|X c"},
        {L"", L"", L"a| b| c", L"a| b| c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.afterOnce)));
        JobList rows{Row(L"a|AB_POS1_COPY"), Row(L"b|AB_BACK1_COPY"), Row(L"c")};
        auto text = [&rows] { return Text(rows[0]) + L" " + Text(rows[1]) + L" " + Text(rows[2]); };
        ConvertDirections(rows, c.posText, c.backText);
        EXPECT_EQ(text(), c.afterOnce);
        ConvertDirections(rows, c.posText, c.backText);
        EXPECT_EQ(text(), c.afterTwice);
    }
}
