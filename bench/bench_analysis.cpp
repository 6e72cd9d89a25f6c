// Benchmarks of the analysis path, printed as figures and as ratios against a baseline taken
// in the same run (these machines are noisy; a ratio is what can be compared between runs).
//   bench_analysis engine TREE   the real passes 1 and 2 against a bare enumerate-and-read loop
//   bench_analysis window TREE   the same through the real main window (drop + menu command)
//   bench_analysis memory ROWS   bytes per job-list row beyond the strings themselves
//   bench_analysis submit N DIR  pass 3 with the stand-in client in DIR against bare CreateProcess + wait
//   bench_analysis submit-window N DIR   the same chosen from the menu of the real window, and
//                                the time per job of each step (bench_submit_window.cpp)
//   bench_analysis tidy MB       the exit-time tidy of a file of MB megabytes (bench_tidy.cpp)
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <cstdio>
#include <string>
#include <vector>

#include "app/TMainForm.h"
#include "bench_common.h"
#include "common/fileio.h"
#include "common/handles.h"
#include "jobs/analysis.h"
#include "jobs/jobinfo.h"
#include "jobs/journal_file.h"
#include "jobs/submit.h"
#include "jobs/submit_command.h"
#include "support/win_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// The limit: enumerate the tree and open, read and close every job-information file.
size_t BareLoop(const std::wstring& folder)
{
    size_t read = 0;
    WIN32_FIND_DATAW entry;
    UniqueFind find(FindFirstFileExW((folder + L"\\*.*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return 0;
    char buffer[4096];
    do {
        std::wstring name = entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != L"." && name != L"..")
                read += BareLoop(folder + L"\\" + name);
        } else if (name.size() > 4 && _wcsicmp(name.c_str() + name.size() - 4, L".prn") == 0) {
            std::wstring info = JobInfoFileName(folder + L"\\" + name);
            UniqueFile file(CreateFileW(info.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
            DWORD got = 0;
            if (file && ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
                ++read;
        }
    } while (FindNextFileW(find.get(), &entry));
    return read;
}

class NullPort : public CommandPort {
public:
    void ShowStatus(const std::wstring&) override {}
    void ShowMessage(const std::wstring&) override {}
    void RowsChanged() override {}
    void RowUpdated(size_t) override {}
};

size_t EnginePasses(const std::wstring& tree)
{
    JobList rows;
    rows.emplace_back(tree);
    NullPort port;
    ExpandFolderRows(rows);
    AnalyseRows(rows, port);
    return rows.size();
}

template <typename F>
double Best(int repeats, F&& run)
{
    double best = 1e30;
    for (int i = 0; i < repeats; ++i) {
        auto start = Clock::now();
        run();
        best = std::min(best, Seconds(start));
    }
    return best;
}

int Engine(const std::wstring& tree)
{
    size_t files = BareLoop(tree);  // warms the file cache for both
    EnginePasses(tree);
    const int repeats = files > 500000 ? 1 : 3;  // a million jobs take minutes a run
    double a = Best(repeats, [&] { BareLoop(tree); });
    size_t rows = 0;
    double b = Best(repeats, [&] { rows = EnginePasses(tree); });
    printf("engine: %zu jobs (%zu information files read)\n", rows, files);
    printf("  (a) bare enumerate+read loop : %8.3f s\n", a);
    printf("  (b) passes 1 and 2 (model)   : %8.3f s\n", b);
    printf("  b/a = %.3f   (target <= 1.2)\n", b / a);
    printf("  per job: a %.1f us, b %.1f us\n", a * 1e6 / rows, b * 1e6 / rows);
    return 0;
}

int ThroughWindow(const std::wstring& tree)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    TMainForm form;
    form.Create(nullptr, nullptr, nullptr);
    form.Show(SW_SHOWNOACTIVATE);
    BareLoop(tree);
    double a = Best(3, [&] { BareLoop(tree); });
    double c = Best(3, [&] {
        PostDrop(form.Handle(), {tree});
        PumpQueued();
        SendMessageW(form.Handle(), WM_COMMAND, IdResubmitfiles1, 0);
        PumpQueued();
    });
    printf("window: %zu rows through TMainForm (drop, menu command, list view, status bar)\n", form.Jobs().size());
    printf("  (a) bare enumerate+read loop : %8.3f s\n", a);
    printf("  (c) drop + analyze command   : %8.3f s\n", c);
    printf("  c/a = %.3f   (target <= 1.5)\n", c / a);
    return 0;
}

size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Wine leaves PrivateUsage at zero; the commit charge tells the same there.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

size_t PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

int Memory(size_t count)
{
    size_t before = PrivateBytes();
    size_t peakBefore = PeakWorkingSet();
    size_t stringBytes = 0;
    JobList rows;
    for (size_t i = 0; i < count; ++i) {
        wchar_t caption[96];
        swprintf(caption, 96, L"C:\\spool\\day%03zu\\till%zu\\job%07zu_x.prn", i % 100, i % 3, i);
        rows.emplace_back(caption);
        rows.back().SetDirections(i % 2 ? L"AB_POS1_COPY" : L"AB_BACK10_COPY");
        stringBytes += (rows.back().caption.size() + 1 + rows.back().directions.size() + 1) * sizeof(wchar_t);
    }
    size_t used = PrivateBytes() - before;
    size_t peak = PeakWorkingSet() - peakBefore;
    printf("memory: %zu rows, strings %.1f MB, private bytes %.1f MB, peak working set +%.1f MB\n", count,
           stringBytes / 1e6, used / 1e6, peak / 1e6);
    printf("  per row beyond the strings: %.0f bytes (private), %.0f bytes (peak working set)   (target <= 300)\n",
           (static_cast<double>(used) - stringBytes) / count, (static_cast<double>(peak) - stringBytes) / count);
    return 0;
}

// The limit of a submission: start the client and wait for it, nothing else.
void BareClientRuns(size_t count, const std::wstring& job, const std::wstring& resultFile)
{
    for (size_t i = 0; i < count; ++i) {
        std::wstring commandLine = SubmitCommandLine(L"AB_POS1_COPY", job, resultFile);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info))
            return;
        WaitForSingleObject(info.hProcess, INFINITE);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}

int Submit(size_t count, const std::wstring& clientFolder)
{
    FindClientIn(clientFolder);
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring job = std::wstring(temp) + L"bench_job_x.prn";
    std::wstring resultFile = std::wstring(temp) + L"bench_result.tmp";

    NullPort port;
    BareClientRuns(3, job, resultFile);  // warm-up
    double a = Best(3, [&] { BareClientRuns(count, job, resultFile); });
    std::wstring resultFileName;
    const std::wstring journalFile = std::wstring(temp) + L"bench_journal.txt";
    // Each row its own job, so that the journal knows each apart; a new journal for each pass.
    auto pass = [&](bool journaled) {
        JobList rows;
        for (size_t i = 0; i < count; ++i) {
            JobRow row;
            row.caption = std::wstring(temp) + L"bench_job_" + std::to_wstring(i) + L"_x.prn";
            rows.push_back(std::move(row));
            rows.back().SetDirections(L"AB_POS1_COPY");
        }
        DeleteFileW(journalFile.c_str());
        std::optional<JobJournal> journal;
        if (journaled)
            journal.emplace(journalFile);
        SubmitRows(rows, resultFileName, port, SubmitOptions{0, journal ? &*journal : nullptr});
    };
    double b = 1e30, c = 1e30;
    for (int i = 0; i < 3; ++i) {  // alternating, so that a slow spell of the machine hits both
        auto start = Clock::now();
        pass(false);
        b = std::min(b, Seconds(start));
        start = Clock::now();
        pass(true);
        c = std::min(c, Seconds(start));
    }
    // The journal's own part of a job: its start (written and flushed) and its end.
    DeleteFileW(journalFile.c_str());
    double d = 0;
    {
        JobJournal journal(journalFile);
        const JournalKey key = journal.KeyOf(job);
        auto start = Clock::now();
        for (size_t i = 0; i < count; ++i) {
            journal.Write(JournalEvent::Started, key, job);
            journal.Write(JournalEvent::Ended, key, job, L"received: localhost:20004 -iAB_POS1_COPY " + job);
        }
        d = Seconds(start);
    }
    DeleteFileW(resultFileName.c_str());
    DeleteFileW(journalFile.c_str());
    printf("submission: %zu jobs through the stand-in client answering at once\n", count);
    printf("  (a) bare CreateProcess + wait : %8.3f s (%.1f ms per job)\n", a, a * 1e3 / count);
    printf("  (b) pass 3 (SubmitRows)       : %8.3f s (%.1f ms per job)\n", b, b * 1e3 / count);
    printf("  (c) pass 3 with a journal     : %8.3f s (%.1f ms per job)\n", c, c * 1e3 / count);
    printf("  b/a = %.3f   (target <= 1.1)\n", b / a);
    printf("  c/b = %.3f   (journal, target <= 1.05)\n", c / b);
    printf("  (d) the journal's lines alone : %8.3f s (%.2f ms per job, %.1f %% of a job of (b))\n", d, d * 1e3 / count,
           100 * d / b);
    return 0;
}

}  // namespace

void FindClientIn(const std::wstring& clientFolder)
{
    std::wstring path(32768, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
    SetEnvironmentVariableW(L"PATH", (clientFolder + L";" + path).c_str());
}

int wmain(int argc, wchar_t** argv)
{
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"engine" && argc > 2)
        return Engine(argv[2]);
    if (mode == L"window" && argc > 2)
        return ThroughWindow(argv[2]);
    if (mode == L"memory" && argc > 2)
        return Memory(static_cast<size_t>(_wtoi64(argv[2])));
    if (mode == L"submit" && argc > 3)
        return Submit(static_cast<size_t>(_wtoi64(argv[2])), argv[3]);
    if (mode == L"submit-window" && argc > 3)
        return SubmitThroughWindow(static_cast<size_t>(_wtoi64(argv[2])), argv[3]);
    if (mode == L"submit-lock" && argc > 4)
        return SubmitWithHeldLock(static_cast<size_t>(_wtoi64(argv[2])), argv[3], argv[4]);
    if (mode == L"json" && argc > 3)
        return JsonAgainstCsv(argv[2], argv[3]);
    if (mode == L"tidy" && argc > 2)
        return TidyAtExit(static_cast<size_t>(_wtoi64(argv[2])));
    fprintf(stderr, "usage: bench_analysis engine|window TREE | memory ROWS | submit|submit-window JOBS CLIENTFOLDER"
                    " | tidy MEGABYTES\n");
    return 2;
}
