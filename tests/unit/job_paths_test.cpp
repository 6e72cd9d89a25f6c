#include <gtest/gtest.h>

#include "common/locale_text.h"
#include "jobs/client_limit.h"
#include "jobs/job_paths.h"
#include "jobs/submit.h"

TEST(JobPaths, TheReportNeverGoesOverAJobOrARowsFile)
{
    JobList rows;
    rows.emplace_back(L"C:\\s\\a_x.prn");
    rows.emplace_back(L"C:\\s\\notes.txt");
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\s\\a_x.csv", L""},
        {L"C:\\other\\b_x.PRN", L"/report:C:\\other\\b_x.PRN is a print file"},
        {L"C:\\s\\a_i.Pri", L"/report:C:\\s\\a_i.Pri is a job-information file"},
        {L"c:\\S\\NOTES.TXT", L"/report:c:\\S\\NOTES.TXT is the file of the row C:\\s\\notes.txt"},
    };
    for (const auto& [report, problem] : cases)
        EXPECT_EQ(ReportPathProblem(report, rows, UpperOrdinal), problem) << report;
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
