#include <gtest/gtest.h>

#include "common/locale_text.h"
#include "jobs/client_limit.h"
#include "jobs/job_paths.h"
#include "jobs/submit.h"

namespace {

std::wstring Key(const std::wstring& path)
{
    return UpperOrdinal(path);
}

JobList Rows(std::initializer_list<const wchar_t*> captions)
{
    JobList rows;
    for (const wchar_t* caption : captions)
        rows.emplace_back(caption);
    return rows;
}

TEST(JobPaths, EachFileKeepsItsFirstRow)
{
    JobList rows = Rows({L"C:\\s\\a_x.prn", L"C:\\s\\b_x.prn", L"c:\\S\\A_X.PRN", L"C:\\s\\b_x.prn", L"C:\\s\\c_x.prn"});
    rows[0].SetDirections(L"AB_POS1_COPY");
    KeepFirstRowOfEachFile(rows, Key);
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].caption + rows[0].directions, L"C:\\s\\a_x.prnAB_POS1_COPY");
    EXPECT_EQ(rows[1].caption, L"C:\\s\\b_x.prn");
    EXPECT_EQ(rows[2].caption, L"C:\\s\\c_x.prn");
}

TEST(JobPaths, TheReportNeverGoesOverAJobOrARowsFile)
{
    const JobList rows = Rows({L"C:\\s\\a_x.prn", L"C:\\s\\notes.txt"});
    struct Case {
        const wchar_t* report;
        const wchar_t* problem;
    };
    const Case cases[] = {
        {L"C:\\r.csv", L""},
        {L"C:\\s\\a_x.csv", L""},
        {L"C:\\other\\b_x.PRN", L"/report:C:\\other\\b_x.PRN is a print file"},
        {L"C:\\s\\a_i.Pri", L"/report:C:\\s\\a_i.Pri is a job-information file"},
        {L"c:\\S\\NOTES.TXT", L"/report:c:\\S\\NOTES.TXT is the file of the row C:\\s\\notes.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReportPathProblem(c.report, rows, Key), c.problem) << c.report;
}

TEST(JobPaths, ClientLimitsBeyond32BitsOfMillisecondsStayRight)
{
    EXPECT_EQ(ClientLimitMs(0), kNoClientLimitMs);
    EXPECT_EQ(ClientLimitMs(4294968), 4294968000u);  // wrapped to 704 ms in 32 bits
    EXPECT_EQ(ClientLimitMs(kMaxTimeoutSeconds), 604800000u);
    // A wait longer than a 32-bit count sleeps in slices, none of them "for ever".
    EXPECT_EQ(WaitSliceMs(5000000000u, 0), 0xFFFFFFFEu);
    EXPECT_EQ(WaitSliceMs(5000000000u, 4999999000u), 1000u);
    EXPECT_EQ(WaitSliceMs(1000, 1500), 0u);
}

}  // namespace
