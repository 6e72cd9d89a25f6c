// "Resubmit files (submit)" chosen from the real main window, against a bare loop of the client
// runs that the pass must make, and where the window's time per job goes.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/TMainForm.h"
#include "bench_common.h"
#include "common/fileio.h"
#include "jobs/submit.h"
#include "jobs/submit_command.h"
#include "support/win_test_support.h"

namespace {

// A spool folder of count jobs, each with a forwarding directive.
void MakeJobs(const std::wstring& folder, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"\\job%04zu", i);
        WriteBytes(folder + name + L"_x.prn", "%!PS\r\n");
        WriteBytes(folder + name + L"_i.pri",
                   "Pages=1\r\nToDoStr=FWDVORLA\"AB:1:AB_POS" + std::to_string(i % 13) + "\r\n");
    }
}

// Per job of a bare run: the CreateProcess call, the wait for the client's end, the read of
// its answer; and the whole job.
struct BareTimes {
    std::vector<double> start, wait, read, job;
};

void EmptyFile(const std::wstring& file)
{
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    SetEndOfFile(h);
    CloseHandle(h);
}

// What the pass must do and nothing more: start the client with the same command line, wait
// for it, close it, read its answer; with emptyFirst, empty the result file before each job
// as the pass does.
void BareClientRuns(const JobList& rows, const std::wstring& resultFile, BareTimes& times, bool emptyFirst = false)
{
    for (const JobRow& row : rows) {
        const auto begin = BenchClock::now();
        if (emptyFirst)
            EmptyFile(resultFile);
        std::wstring commandLine = SubmitCommandLine(row.directions, row.caption, resultFile);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info)) {
            fprintf(stderr, "the client does not start: error %lu\n", GetLastError());
            ExitProcess(1);
        }
        const auto started = BenchClock::now();
        WaitForSingleObject(info.hProcess, INFINITE);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        const auto ended = BenchClock::now();
        ReadFileBytes(resultFile, kAnswerLimitBytes);
        times.start.push_back(std::chrono::duration<double>(started - begin).count());
        times.wait.push_back(std::chrono::duration<double>(ended - started).count());
        times.read.push_back(SecondsSince(ended));
        times.job.push_back(SecondsSince(begin));
    }
}

// The time per job of emptying the result file before the client runs.
std::vector<double> EmptyingTimes(size_t count, const std::wstring& resultFile)
{
    std::vector<double> times;
    for (size_t i = 0; i < count; ++i) {
        auto start = BenchClock::now();
        EmptyFile(resultFile);
        times.push_back(SecondsSince(start));
    }
    return times;
}

// Time spent in the messages of the watched windows, each message without the ones it sent on,
// filed by window, message and whether a call of the pass to the window was running ("port")
// or the waiting loop dispatched it ("wait"). Also when each "Running ..." status text came:
// the start of each job of the pass.
class MessageClock {
public:
    static void Watch(HWND hwnd, const char* name)
    {
        names_[hwnd] = name;
        originals_[hwnd] = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageClock::Proc)));
    }
    static void UnwatchAll()
    {
        for (auto& [hwnd, proc] : originals_)
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        originals_.clear();
    }
    static void Reset()
    {
        seconds_.clear();
        jobStarts_.clear();
    }
    static void InPort(bool value) { inPort_ = value; }
    static const std::map<std::string, double>& Seconds() { return seconds_; }
    static double Total(const char* where)
    {
        double sum = 0;
        for (auto& [key, s] : seconds_)
            if (key.rfind(where, 0) == 0)
                sum += s;
        return sum;
    }
    // The time between the starts of one job and the next.
    static std::vector<double> JobPeriods()
    {
        std::vector<double> periods;
        for (size_t i = 1; i < jobStarts_.size(); ++i)
            periods.push_back(std::chrono::duration<double>(jobStarts_[i] - jobStarts_[i - 1]).count());
        return periods;
    }

private:
    static std::string MessageName(UINT msg)
    {
        switch (msg) {
        case WM_PAINT: return "WM_PAINT";
        case WM_ERASEBKGND: return "WM_ERASEBKGND";
        case WM_NCPAINT: return "WM_NCPAINT";
        case LVM_ENSUREVISIBLE: return "LVM_ENSUREVISIBLE";
        case LVM_SCROLL: return "LVM_SCROLL";
        case LVM_REDRAWITEMS: return "LVM_REDRAWITEMS";
        case SB_SETTEXTW: return "SB_SETTEXTW";
        default: return "other";
        }
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == SB_SETTEXTW && wcsncmp(reinterpret_cast<const wchar_t*>(lParam), L"Running ", 8) == 0)
            jobStarts_.push_back(BenchClock::now());
        double outerChildren = children_;
        children_ = 0;
        auto start = BenchClock::now();
        LRESULT r = CallWindowProcW(originals_[hwnd], hwnd, msg, wParam, lParam);
        double took = SecondsSince(start);
        seconds_[std::string(inPort_ ? "port " : "wait ") + names_[hwnd] + " " + MessageName(msg)] +=
            took - children_;
        children_ = outerChildren + took;
        return r;
    }
    static inline std::map<HWND, WNDPROC> originals_;
    static inline std::map<HWND, const char*> names_;
    static inline std::map<std::string, double> seconds_;
    static inline std::vector<BenchClock::time_point> jobStarts_;
    static inline double children_ = 0;
    static inline bool inPort_ = false;
};

// The window's port with each call timed.
class TimedPort : public CommandPort {
public:
    explicit TimedPort(TMainForm& form) : form_(form) {}
    void ShowStatus(const std::wstring& text) override { Timed(status, [&] { form_.ShowStatus(text); }); }
    void ShowMessage(const std::wstring& text) override { form_.ShowMessage(text); }
    void RowsChanged() override { form_.RowsChanged(); }
    void RowUpdated(size_t index) override { Timed(row, [&] { form_.RowUpdated(index); }); }
    std::vector<double> status, row;

private:
    template <typename F>
    void Timed(std::vector<double>& times, F&& call)
    {
        MessageClock::InPort(true);
        auto start = BenchClock::now();
        call();
        times.push_back(SecondsSince(start));
        MessageClock::InPort(false);
    }
    TMainForm& form_;
};

double Mean(const std::vector<double>& values)
{
    double sum = 0;
    for (double v : values)
        sum += v;
    return values.empty() ? 0 : sum / values.size();
}

// One more pass through the window's port, each call timed, beside the bare run's steps.
void PrintProfile(TMainForm& form, const BareTimes& bare, const std::vector<double>& emptying)
{
    const size_t count = form.Jobs().size();
    MessageClock::Reset();
    TimedPort port(form);
    std::wstring resultFile;
    SubmitRows(form.Jobs(), resultFile, port);
    DeleteFileW(resultFile.c_str());
    const std::vector<double> periods = MessageClock::JobPeriods();

    auto row = [](const char* name, const std::vector<double>& times) {
        printf("    %-40s %7.2f %7.2f\n", name, Median(times) * 1e3, Mean(times) * 1e3);
    };
    printf("  per job, ms                                   median    mean\n");
    row("bare: whole job", bare.job);
    row("bare: CreateProcess", bare.start);
    row("bare: wait for the client's end", bare.wait);
    row("bare: result file read", bare.read);
    row("result file emptied", emptying);
    row("window: whole job (one timed pass)", periods);
    row("window: status text and its repaint", port.status);
    row("window: row update, into view, repaint", port.row);
    printf("    %-40s %7s %7.2f\n", "window: messages of the waiting loop", "", MessageClock::Total("wait ") * 1e3 / count);
    printf("  messages, ms per job (mean):\n");
    for (auto& [key, s] : MessageClock::Seconds())
        if (s * 1e3 / count >= 0.005)
            printf("    %-40s %7s %7.3f\n", key.c_str(), "", s * 1e3 / count);
}

}  // namespace

int SubmitThroughWindow(size_t count, const std::wstring& clientFolder)
{
    FindClientIn(clientFolder);
    TempFolder work;
    const std::wstring spool = work / L"spool";
    MakeJobs(spool, count);
    const std::wstring bareResult = work / L"bare_result.tmp";

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    TMainForm form;
    form.Create(nullptr, nullptr, nullptr);
    form.Show(SW_SHOWNORMAL);
    PostDrop(form.Handle(), {spool});
    PumpQueued();
    SendMessageW(form.Handle(), WM_COMMAND, IdResubmitfiles1, 0);  // analysed and shown
    PumpQueued();
    MessageClock::Watch(form.ListView1(), "list");
    MessageClock::Watch(form.StatusBar1(), "status");
    MessageClock::Watch(form.Handle(), "form");

    BareTimes warmUp, bare, emptying;
    BareClientRuns(form.Jobs(), bareResult, warmUp);
    std::vector<double> a, b, c, windowPeriods;
    for (int run = 0; run < 3; ++run) {
        auto start = BenchClock::now();
        BareClientRuns(form.Jobs(), bareResult, bare);
        a.push_back(SecondsSince(start));
        start = BenchClock::now();
        BareClientRuns(form.Jobs(), bareResult, emptying, true);
        b.push_back(SecondsSince(start));
        MessageClock::Reset();
        start = BenchClock::now();
        SendMessageW(form.Handle(), WM_COMMAND, IdResubmitfilesaction1, 0);
        PumpQueued();
        c.push_back(SecondsSince(start));
        for (double p : MessageClock::JobPeriods())
            windowPeriods.push_back(p);
    }
    printf("submit-window: %zu jobs, \"Resubmit files (submit)\" from the menu of the real window\n", count);
    printf("  (a) bare CreateProcess + wait + read : %8.3f s   runs %.3f %.3f %.3f\n", Median(a), a[0], a[1], a[2]);
    printf("  (b) (a) emptying the file first      : %8.3f s   runs %.3f %.3f %.3f\n", Median(b), b[0], b[1], b[2]);
    printf("  (c) the menu command                 : %8.3f s   runs %.3f %.3f %.3f\n", Median(c), c[0], c[1], c[2]);
    printf("  c/a = %.3f   (target <= 1.10, medians of three alternating runs)\n", Median(c) / Median(a));
    printf("  b/a = %.3f   (the emptying before each job)   c/b = %.3f   (the window)\n", Median(b) / Median(a),
           Median(c) / Median(b));
    printf("  per job, ms: 10th percentile a %.1f, b %.1f, c %.1f; median a %.1f, b %.1f, c %.1f\n",
           Percentile(bare.job, 10) * 1e3, Percentile(emptying.job, 10) * 1e3, Percentile(windowPeriods, 10) * 1e3,
           Median(bare.job) * 1e3, Median(emptying.job) * 1e3, Median(windowPeriods) * 1e3);

    PrintProfile(form, bare, EmptyingTimes(count, bareResult));
    MessageClock::UnwatchAll();
    return 0;
}
