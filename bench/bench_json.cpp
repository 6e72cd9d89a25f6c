// /analyze ... /json against the same command's CSV report: the whole command through the real
// vorlasched.com on a spool tree, standard output to a file, best of three alternating runs;
// then the two renderers alone on the same number of rows in memory.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/result_document.h"
#include "bench_common.h"
#include "common/handles.h"
#include "jobs/report.h"
#include "support/win_test_support.h"

namespace {

double Best(const std::vector<double>& runs)
{
    return *std::min_element(runs.begin(), runs.end());
}

}  // namespace

// Runs the program with its standard output to the file; the seconds until it ended.
double RunCommand(const std::wstring& program, const std::wstring& arguments, const std::wstring& outFile,
                  const std::function<void()>& started)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueFile out(CreateFileW(outFile.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = out.get();
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    const auto start = BenchClock::now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    if (started)
        started();
    WaitForSingleObject(info.hProcess, INFINITE);
    const double seconds = SecondsSince(start);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return seconds;
}

int JsonAgainstCsv(const std::wstring& tree, const std::wstring& program)
{
    TempFolder work;
    const std::wstring csvFile = work / L"report.csv", jsonFile = work / L"report.json";
    const std::wstring analyze = L"/analyze \"" + tree + L"\"";
    RunCommand(program, analyze, csvFile);  // warms the file cache for both
    std::vector<double> a, b;
    for (int run = 0; run < 3; ++run) {
        a.push_back(RunCommand(program, analyze, csvFile));
        b.push_back(RunCommand(program, analyze + L" /json", jsonFile));
    }
    const std::string csv = ReadBytes(csvFile);
    printf("json: /analyze over a tree of %zu rows through vorlasched.com, standard output to a file\n",
           static_cast<size_t>(std::count(csv.begin(), csv.end(), '\n')) - 1);
    printf("  (a) CSV report  : %8.3f s (%zu bytes)\n", Best(a), csv.size());
    printf("  (b) /json       : %8.3f s (%zu bytes)\n", Best(b), ReadBytes(jsonFile).size());
    printf("  b/a = %.3f   (target <= 1.1)\n", Best(b) / Best(a));

    JobList rows;
    for (size_t i = 0; i < 100000; ++i) {
        wchar_t caption[96];
        swprintf(caption, 96, L"C:\\spool\\ημέρα%03zu\\till%zu\\job%07zu_x.prn", i % 100, i % 3, i);
        rows.emplace_back(caption);
        rows.back().SetDirections(i % 2 ? L"AB_POS1_COPY" : L"AB_BACK10_COPY");
    }
    std::vector<double> c, d;
    size_t csvBytes = 0, jsonBytes = 0;
    for (int run = 0; run < 3; ++run) {
        auto start = BenchClock::now();
        csvBytes = JobReportCsv(rows).size();
        c.push_back(SecondsSince(start));
        start = BenchClock::now();
        CommandResult result;
        result.rows.emplace();
        for (const JobRow& row : rows)
            result.rows->push_back(ResultRow{row.caption, row.SubItem(0), row.SubItem(1), RowState::NotSubmitted, {}});
        jsonBytes = ResultDocument(result).size();
        d.push_back(SecondsSince(start));
    }
    printf("json: the renderers alone on 100000 rows in memory (Greek folder names)\n");
    printf("  (c) JobReportCsv   : %8.3f s (%zu bytes)\n", Best(c), csvBytes);
    printf("  (d) ResultDocument : %8.3f s (%zu bytes)\n", Best(d), jsonBytes);
    printf("  d/c = %.3f\n", Best(d) / Best(c));
    return 0;
}
