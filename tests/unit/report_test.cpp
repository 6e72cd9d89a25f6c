#include <gtest/gtest.h>

#include "jobs/report.h"

TEST(Report, CsvQuotesOnlyWhatNeedsIt)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* field;
    };
    const Case cases[] = {
        {L"C:\\spool\\a_x.prn", L"C:\\spool\\a_x.prn"}, {L"", L""},
        {L"a,b", L"\"a,b\""},  {L"say \"hi\"", L"\"say \"\"hi\"\"\""},
        {L"two\r\nlines", L"\"two\r\nlines\""}, {L"lone\nLF", L"\"lone\nLF\""}, {L"Ουρά 1", L"Ουρά 1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvField(c.text), c.field);
}

TEST(Report, CsvIsUtf8WithBomAndOneLinePerRow)
{
    JobList rows(3);
    rows[0].caption = L"C:\\Ουρά\\a,1_x.prn";
    rows[0].SetDirections(L"AB_POS1_COPY");
    rows[0].SetResult(L"OK \"sent\"");
    rows[1].caption = L"C:\\b_x.prn";
    rows[1].SetResult(L"x");  // a Result without Directions keeps an empty Directions
    rows[1].state = RowState::SubmittedEarlier;
    rows[2].caption = L"C:\\c_x.prn";
    rows[2].state = RowState::Uncertain;
    EXPECT_EQ(JobReportCsv(rows), "\xEF\xBB\xBF"
                                  "File,Directions,Result,State\r\n"
                                  "\"C:\\\xCE\x9F\xCF\x85\xCF\x81\xCE\xAC\\a,1_x.prn\",AB_POS1_COPY,\"OK \"\"sent\"\"\",not submitted\r\n"
                                  "C:\\b_x.prn,,x,submitted earlier\r\n"
                                  "C:\\c_x.prn,,,uncertain\r\n");
}

TEST(Report, TabTextTakesTheChosenRowsWithBreaksAsSpaces)
{
    JobList rows(3);
    rows[0].caption = L"A";
    rows[1].caption = L"B";
    rows[1].SetDirections(L"D");
    rows[1].SetResult(L"line 1\r\nline 2\tend");
    rows[2].caption = L"C";
    EXPECT_EQ(RowsAsTabText(rows, {1, 2, 7}), L"B\tD\tline 1  line 2 end\r\nC\t\t\r\n");
}

// No cell of the report or of Copy is a formula that a spreadsheet would run; the list's own texts
// (and any text that merely holds such a character later on) stay as they are.
TEST(Report, FormulaCellsGetAnApostropheInTheReportAndInCopy)
{
    const std::wstring starts[] = {L"=1+2_COPY", L"+1", L"-1", L"@SUM(A1)", L"\tx", L"\rx"};
    for (const std::wstring& text : starts) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(SpreadsheetText(text), L"'" + text);
    }
    EXPECT_EQ(SpreadsheetText(L"a=1"), L"a=1");
    EXPECT_EQ(SpreadsheetText(L""), L"");

    JobList rows(1);
    rows[0].caption = L"C:\\a_x.prn";
    rows[0].SetDirections(L"=1+2_COPY");
    rows[0].SetResult(L"=cmd|' /C calc'!A0");
    EXPECT_EQ(JobReportLine(rows[0]), "C:\\a_x.prn,'=1+2_COPY,'=cmd|' /C calc'!A0,not submitted\r\n");
    EXPECT_EQ(RowsAsTabText(rows, {0}), L"C:\\a_x.prn\t'=1+2_COPY\t'=cmd|' /C calc'!A0\r\n");
    EXPECT_EQ(rows[0].directions, L"=1+2_COPY");
}
