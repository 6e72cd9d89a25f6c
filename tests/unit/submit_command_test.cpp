#include <gtest/gtest.h>

#include "jobs/submit_command.h"

TEST(SubmitCommandLine, PlainDirectionKeepsTheClientForm)
{
    EXPECT_EQ(SubmitCommandLine(L"AB_POS1_COPY", L"C:\\spool\\job 1_x.prn", L"C:\\Temp\\VOR3324.tmp"),
              L"vorlatcpw.exe localhost:20004 -iAB_POS1_COPY \"C:\\spool\\job 1_x.prn\" "
              L"\"-reC:\\Temp\\VOR3324.tmp\"");
    // Backslashes, colons and non-Latin letters are no reason to quote a direction.
    EXPECT_EQ(SubmitCommandLine(L"\\\\srv\\Ουρά:1", L"C:\\a.prn", L"C:\\r.tmp"),
              L"vorlatcpw.exe localhost:20004 -i\\\\srv\\Ουρά:1 \"C:\\a.prn\" \"-reC:\\r.tmp\"");
}

TEST(SubmitCommandLine, DirectionThatWouldSplitIsQuotedAsOneArgument)
{
    struct Case {
        const wchar_t* direction;
        const wchar_t* argument;
    };
    const Case cases[] = {
        {L"AB POS", L"\"-iAB POS\""},
        {L"AB\tPOS", L"\"-iAB\tPOS\""},
        {L"A\" -x \"B", L"\"-iA\\\" -x \\\"B\""},
        {L"A\\\"B", L"\"-iA\\\\\\\"B\""},  // a backslash before a quote is doubled, the quote escaped
        {L"A B\\", L"\"-iA B\\\\\""},      // a trailing backslash must not escape the closing quote
        {L"A\\\\ B", L"\"-iA\\\\ B\""},    // backslashes not before a quote stay as they are
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.direction)));
        EXPECT_EQ(SubmitCommandLine(c.direction, L"C:\\a.prn", L"C:\\r.tmp"),
                  std::wstring(L"vorlatcpw.exe localhost:20004 ") + c.argument + L" \"C:\\a.prn\" \"-reC:\\r.tmp\"");
    }
}

TEST(QuotedArgument, PathsKeepTheirFormAndEdgesStayIntact)
{
    EXPECT_EQ(QuotedArgument(L"C:\\x y\\a.prn"), L"\"C:\\x y\\a.prn\"");
    EXPECT_EQ(QuotedArgument(L""), L"\"\"");
    EXPECT_EQ(QuotedArgument(L"dir\\"), L"\"dir\\\\\"");
    EXPECT_TRUE(NeedsQuotes(L"a\nb"));
    EXPECT_FALSE(NeedsQuotes(L"a\\b:c_COPY"));
}

TEST(AnswerText, KeepsEveryByteOfAnAnswerThatWasNotCut)
{
    const std::string bytes("OK 1\r\nline 2\nline 3\r\n\0tail", 26);
    std::wstring text = AnswerText(bytes, false);
    EXPECT_EQ(text, std::wstring(L"OK 1\r\nline 2\nline 3\r\n\0tail", 26));
    EXPECT_EQ(AnswerText("", false), L"");
}

TEST(AnswerText, CutAnswerIsMarkedAtItsStart)
{
    std::string bytes(kAnswerLimitBytes, 'x');
    std::wstring text = AnswerText(bytes, true);
    EXPECT_EQ(text.rfind(kAnswerCutMark, 0), 0u);
    EXPECT_EQ(text.size(), std::wstring(kAnswerCutMark).size() + kAnswerLimitBytes + 1);
    EXPECT_EQ(text.back(), L'\u2026');
}
