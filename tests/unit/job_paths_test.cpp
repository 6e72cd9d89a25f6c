#include <gtest/gtest.h>

#include "common/locale_text.h"
#include "jobs/job_paths.h"

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
        {L"\\\\?\\C:\\s\\r.csv", L""},  // the prefix's '?' and the drive's colon name no stream
        {L"\\\\?\\UNC\\f\\s\\r.csv:x",
         L"/report:\\\\?\\UNC\\f\\s\\r.csv:x names a stream of a file (a ':' after the drive); give a file"},
    };
    for (const auto& [report, problem] : cases)
        EXPECT_EQ(ReportPathProblem(report, rows, UpperOrdinal), problem) << report;
}
