// "Resubmit files (submit)" against real child processes: the stand-in submit client
// (tests/support/vorlatcpw) beside this test program, told what to do through its environment
// and logging every command line it receives.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <thread>

#include "app/TMainForm.h"
#include "common/locale_text.h"
#include "common/window.h"
#include "jobs/submit_command.h"
#include "support/win_test_support.h"
#include "win/faults_support.h"

namespace {

// What the stand-in answers in its default mode, as it comes back through the ANSI code page.
std::wstring EchoAnswer(const std::wstring& direction, const std::wstring& printFile)
{
    return AnsiToWide(WideToAnsi(L"received: " + std::wstring(kSubmitService) + L" -i" + direction + L" " +
                                 printFile));
}

JobRow RowWith(const std::wstring& caption, const wchar_t* directions)
{
    JobRow row(caption);
    if (directions)
        row.SetDirections(directions);
    return row;
}

// Counts the WM_PAINT messages that a window handles, while it is in place.
class PaintCounter {
public:
    explicit PaintCounter(HWND hwnd) : hwnd_(hwnd)
    {
        original_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintCounter::Proc)));
    }
    ~PaintCounter() { SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_)); }
    static int Count() { return count_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_PAINT)
            ++count_;
        return CallWindowProcW(original_, hwnd, msg, wParam, lParam);
    }
    HWND hwnd_;
    static inline WNDPROC original_ = nullptr;
    static inline std::atomic<int> count_{0};
};

bool IsSignedNumber(const std::wstring& text)
{
    size_t start = !text.empty() && text[0] == L'-' ? 1 : 0;
    return text.size() > start && text.find_first_not_of(L"0123456789", start) == std::wstring::npos;
}

class SubmitTest : public testing::Test {
protected:
    void SetUp() override
    {
        MakeFolders(temp);
        saved = {GetEnv(L"TMP"), GetEnv(L"TEMP")};
        // The result file goes into this test's own folder, so tests running side by side
        // never see each other's files.
        SetEnv(L"TMP", temp);
        SetEnv(L"TEMP", temp);
        SetEnv(L"VORLATCPW_LOG", log);
        for (const wchar_t* name : {L"VORLATCPW_MODE", L"VORLATCPW_ANSWER", L"VORLATCPW_SIZE", L"VORLATCPW_EXIT"})
            SetEnv(name, L"");
        form.Create(nullptr, nullptr, nullptr);
    }
    void TearDown() override
    {
        SetEnv(L"TMP", saved[0]);
        SetEnv(L"TEMP", saved[1]);
        SetEnv(L"VORLATCPW_LOG", L"");
        SetEnv(L"VORLATCPW_MODE", L"");
    }

    // A print file and its job-information file whose directive names the destination.
    std::wstring Job(const std::wstring& name, const std::string& destination)
    {
        std::wstring printFile = spool + L"\\" + name + L"_x.prn";
        WriteBytes(printFile, "print data");
        WriteBytes(spool + L"\\" + name + L"_i.pri", "Pages=1\r\nToDoStr=FWDVORLA\"AB:1:" + destination + "\r\n");
        return printFile;
    }
    void SetRows(JobList rows)
    {
        form.Jobs() = std::move(rows);
        form.RowsChanged();
    }
    void Submit() { SendMessageW(form.Handle(), WM_COMMAND, IdResubmitfilesaction1, 0); }
    std::vector<ClientRun> Runs() { return ReadClientLog(log); }
    std::vector<std::wstring> ResultFiles()
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((temp + L"\\VOR*.tmp").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do
                names.push_back(temp + L"\\" + entry.cFileName);
            while (FindNextFileW(find, &entry));
            FindClose(find);
        }
        return names;
    }
    const JobRow& Row(size_t i) { return form.Jobs().at(i); }

    TempFolder work;
    const std::wstring temp = work / L"tmp";
    const std::wstring log = work / L"client.log";
    const std::wstring spool = work / L"ουρά εργασιών";
    std::vector<std::wstring> saved;
    MessageBoxWatcher boxes;
    TMainForm form;
};

}  // namespace

TEST_F(SubmitTest, ClientGetsTheCommandLineAndTheListShowsItsAnswer)
{
    std::wstring first = Job(L"first", "DEST1");
    std::wstring second = Job(L"second", "DEST2");
    PostDrop(form.Handle(), {spool});
    PumpQueued();
    Submit();

    ASSERT_TRUE(boxes.Texts().empty()) << Utf8(boxes.Texts()[0]);
    const std::wstring resultFile = form.ResultFileName();
    ASSERT_EQ(resultFile.rfind(temp + L"\\VOR", 0), 0u) << Utf8(resultFile);
    EXPECT_EQ(ResultFiles(), std::vector<std::wstring>{resultFile});

    // The folder's files were collected first, second and stand in the list the other way round.
    std::vector<ClientRun> runs = Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].commandLine, L"vorlatcpw.exe localhost:20004 -iDEST2_COPY \"" + second + L"\" \"-re" +
                                       resultFile + L"\"");
    EXPECT_EQ(runs[1].commandLine, L"vorlatcpw.exe localhost:20004 -iDEST1_COPY \"" + first + L"\" \"-re" +
                                       resultFile + L"\"");
    EXPECT_EQ(runs[1].args, (std::vector<std::wstring>{L"vorlatcpw.exe", L"localhost:20004", L"-iDEST1_COPY", first,
                                                       L"-re" + resultFile}));
    EXPECT_EQ(ListViewRows(form.ListView1()),
              (std::vector<std::vector<std::wstring>>{{second, L"DEST2_COPY", EchoAnswer(L"DEST2_COPY", second)},
                                                      {first, L"DEST1_COPY", EchoAnswer(L"DEST1_COPY", first)}}));
    EXPECT_EQ(StatusBarText(form.StatusBar1()), L"Running " + runs[1].commandLine);

    // Running the command again submits every job again through the same result file.
    Submit();
    runs = Runs();
    ASSERT_EQ(runs.size(), 4u);
    for (const ClientRun& run : runs)
        EXPECT_EQ(run.args.back(), L"-re" + resultFile);
    EXPECT_EQ(form.ResultFileName(), resultFile);
    EXPECT_EQ(ResultFiles(), std::vector<std::wstring>{resultFile});
}

TEST_F(SubmitTest, RowsWithoutAUsableDirectionAreSkipped)
{
    JobList rows;
    rows.push_back(RowWith(L"a.prn", L"SHORT"));                  // caption under six characters
    rows.push_back(RowWith(spool + L"\\blank_x.prn", L"  \t "));   // blanks only: never analysed, never sent
    rows.push_back(RowWith(spool + L"\\none_x.prn", nullptr));     // no sub-item, no information file
    rows.push_back(RowWith(spool + L"\\empty_x.prn", L""));        // an empty Directions sub-item
    rows.push_back(RowWith(spool + L"\\sent_x.prn", L"\t DEST \r\n"));
    SetRows(rows);
    Submit();

    ASSERT_TRUE(boxes.Texts().empty()) << Utf8(boxes.Texts()[0]);
    std::vector<ClientRun> runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].args.at(2), L"-iDEST");
    EXPECT_EQ(runs[0].args.at(3), spool + L"\\sent_x.prn");
    const uint8_t subItems[] = {1, 1, 0, 1, 2};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Row(i).subItems, subItems[i]);
    }
    EXPECT_EQ(Row(4).directions, L"\t DEST \r\n");
    EXPECT_EQ(Row(4).result, EchoAnswer(L"DEST", spool + L"\\sent_x.prn"));
}

TEST_F(SubmitTest, UnreadableResultFileStopsThePassWithoutAResult)
{
    SetEnv(L"VORLATCPW_MODE", L"delete");
    SetRows({RowWith(spool + L"\\one_x.prn", L"D1"), RowWith(spool + L"\\two_x.prn", L"D2")});
    Submit();

    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"Failed to load eret, error: Cannot open file " +
                                                       form.ResultFileName()});
    EXPECT_EQ(boxes.Captions(), std::vector<std::wstring>{L"win_tests"});
    EXPECT_EQ(Runs().size(), 1u);
    EXPECT_EQ(Row(0).subItems, 1);
    EXPECT_EQ(Row(1).subItems, 1);
}

TEST_F(SubmitTest, ResultFileIsDeletedWhenTheWindowIsDestroyed)
{
    SetRows({RowWith(spool + L"\\one_x.prn", L"D1")});
    Submit();
    const std::wstring resultFile = form.ResultFileName();
    ASSERT_FALSE(resultFile.empty());
    ASSERT_TRUE(GetFileAttributesW(resultFile.c_str()) != INVALID_FILE_ATTRIBUTES);
    DestroyWindow(form.Handle());
    EXPECT_EQ(GetFileAttributesW(resultFile.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(ResultFiles().empty());
}

// Each job starts from an empty result file: a client that leaves no answer shows an empty
// Result, never the answer of the job before. Its exit status is not looked at.
TEST_F(SubmitTest, ClientThatWritesNothingLeavesAnEmptyResult)
{
    struct Case {
        const wchar_t* secondMode;
        const wchar_t* exitCode;
        const wchar_t* result;
    };
    const Case cases[] = {
        {L"silent", L"", L""},
        {L"crash", L"", L""},
        {L"answer", L"3", L"FAILED: no route"},  // an answer left by a failing client is shown
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.secondMode));
        DeleteFileW(log.c_str());
        SetEnv(L"VORLATCPW_MODE", std::wstring(L"echo,") + c.secondMode);
        SetEnv(L"VORLATCPW_EXIT", c.exitCode);
        SetEnv(L"VORLATCPW_ANSWER", L"FAILED: no route");
        SetRows({RowWith(spool + L"\\one_x.prn", L"D1"), RowWith(spool + L"\\two_x.prn", L"D2")});
        Submit();

        EXPECT_TRUE(boxes.Texts().empty());
        EXPECT_EQ(Runs().size(), 2u);
        EXPECT_EQ(Row(0).result, EchoAnswer(L"D1", spool + L"\\one_x.prn"));
        EXPECT_EQ(Row(1).subItems, 2);
        EXPECT_EQ(Row(1).result, c.result);
    }
}

TEST_F(SubmitTest, DirectionWithBlanksOrQuotesReachesTheClientAsOneArgument)
{
    const wchar_t* directions[] = {
        L"AB POS1",
        L"X\" \"-reC:\\stolen.txt",
        L"X \\\" -x\\",
    };
    for (const wchar_t* direction : directions) {
        SCOPED_TRACE(Utf8(direction));
        DeleteFileW(log.c_str());
        SetRows({RowWith(spool + L"\\one_x.prn", direction)});
        Submit();
        std::vector<ClientRun> runs = Runs();
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].args, (std::vector<std::wstring>{L"vorlatcpw.exe", L"localhost:20004",
                                                           std::wstring(L"-i") + direction, spool + L"\\one_x.prn",
                                                           L"-re" + form.ResultFileName()}));
    }
}

TEST_F(SubmitTest, AnswerIsKeptWholeUpToTheLimitAndCutVisiblyBeyondIt)
{
    const std::string lines = "OK 17 pages\r\nqueue AB_POS1\r\n\r\n";
    SetEnv(L"VORLATCPW_MODE", L"answer");
    SetEnv(L"VORLATCPW_ANSWER", FromUtf8(lines));
    SetRows({RowWith(spool + L"\\one_x.prn", L"D1")});
    Submit();
    EXPECT_EQ(Row(0).result, FromUtf8(lines));

    SetEnv(L"VORLATCPW_MODE", L"large");
    SetEnv(L"VORLATCPW_SIZE", L"3000000");
    Submit();
    const std::wstring& result = Row(0).result;
    const std::wstring mark = kAnswerCutMark;
    EXPECT_EQ(result.size(), mark.size() + kAnswerLimitBytes + 1);
    EXPECT_EQ(result.substr(0, mark.size() + 26), mark + L"line 000001\r\nline 000002\r\n");
    EXPECT_EQ(result.back(), L'\u2026');
    EXPECT_TRUE(boxes.Texts().empty());
}

// A client that never ends: the window keeps painting and answering, Esc stops the wait and
// ends the client, and the pass stops there.
TEST_F(SubmitTest, NeverEndingClientIsStoppedWithEscWhileTheWindowRepaints)
{
    SetEnv(L"VORLATCPW_MODE", L"echo,hang,echo");
    SetRows({RowWith(spool + L"\\one_x.prn", L"D1"), RowWith(spool + L"\\two_x.prn", L"D2"),
             RowWith(spool + L"\\three_x.prn", L"D3")});

    form.Show(SW_SHOWNOACTIVATE);
    HWND list = form.ListView1();
    HWND window = form.Handle();
    std::atomic<bool> returned{false};
    bool repainted = false;
    std::wstring captionWhileWaiting;
    PaintCounter paints(list);
    std::thread helper([&] {
        for (int i = 0; i < 3000 && Runs().size() < 2; ++i)
            Sleep(20);
        const int paintsBefore = PaintCounter::Count();
        InvalidateRect(list, nullptr, TRUE);
        for (int i = 0; i < 500 && !repainted; ++i) {
            repainted = PaintCounter::Count() > paintsBefore;
            Sleep(20);
        }
        wchar_t caption[64] = {};
        if (SendMessageTimeoutW(window, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(caption), SMTO_NORMAL, 10000,
                                nullptr))
            captionWhileWaiting = caption;
        // Keys meanwhile do nothing: End would select the last row.
        PostMessageW(list, WM_KEYDOWN, VK_END, 0x014F0001);
        PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        // Should the wait not stop, end the client so that the test fails instead of hanging.
        for (int i = 0; i < 1500 && !returned; ++i)
            Sleep(20);
        if (!returned)
            for (const ClientRun& run : Runs())
                if (HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, run.pid)) {
                    TerminateProcess(h, 1);
                    CloseHandle(h);
                }
    });
    Submit();
    returned = true;
    helper.join();

    std::vector<ClientRun> runs = Runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(repainted);
    EXPECT_EQ(captionWhileWaiting, L"VorlaTcp Scheduler");
    EXPECT_EQ(StatusBarText(form.StatusBar1()), L"Running " + runs[1].commandLine);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0].rfind(L"Stopped waiting for vorlatcpw.exe", 0), 0u) << Utf8(boxes.Texts()[0]);
    EXPECT_NE(boxes.Texts()[0].find(spool + L"\\two_x.prn"), std::wstring::npos);
    EXPECT_EQ(Row(0).result, EchoAnswer(L"D1", spool + L"\\one_x.prn"));
    EXPECT_EQ(Row(1).subItems, 1);
    EXPECT_EQ(Row(2).subItems, 1);
    EXPECT_EQ(ListView_GetSelectedCount(list), 0u);
    SendMessageW(list, WM_KEYDOWN, VK_END, 0x014F0001);
    EXPECT_EQ(ListView_GetSelectedCount(list), 1u) << "the key that was dropped would have selected a row";
    // The stopped client is gone.
    HANDLE hung = OpenProcess(SYNCHRONIZE, FALSE, runs[1].pid);
    if (hung) {
        EXPECT_EQ(WaitForSingleObject(hung, 0), WAIT_OBJECT_0);
        CloseHandle(hung);
    }

    // Submitting again is the technician's own decision: every job goes again.
    SetEnv(L"VORLATCPW_MODE", L"echo");
    Submit();
    EXPECT_EQ(Runs().size(), 5u);
    EXPECT_EQ(Row(1).result, EchoAnswer(L"D2", spool + L"\\two_x.prn"));
}

TEST_F(SubmitTest, ResultFileThatCannotBeEmptiedStopsBeforeTheClientRuns)
{
    SetRows({RowWith(spool + L"\\one_x.prn", L"D1")});
    Submit();
    ASSERT_EQ(Runs().size(), 1u);
    const std::wstring resultFile = form.ResultFileName();
    HANDLE held = CreateFileW(resultFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Submit();
    CloseHandle(held);

    ASSERT_EQ(boxes.Texts().size(), 1u);
    const std::wstring prefix = L"Cannot empty the result file " + resultFile + L", error ";
    EXPECT_EQ(boxes.Texts()[0].rfind(prefix, 0), 0u) << Utf8(boxes.Texts()[0]);
    EXPECT_TRUE(IsSignedNumber(boxes.Texts()[0].substr(prefix.size())));
    EXPECT_EQ(Runs().size(), 1u);
    EXPECT_EQ(Row(0).result, EchoAnswer(L"D1", spool + L"\\one_x.prn"));  // the earlier answer stays
}

TEST_F(SubmitTest, ResultFileThatCannotBeMadeStopsThePassAndIsTriedAgainNextTime)
{
    struct Case {
        std::wstring tempFolder;
        const wchar_t* message;
    };
    const Case cases[] = {
        {work / L"no such folder", L"GetTempFileName() error "},
        {work / std::wstring(300, L'x'), L"GetTempPath() error "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.message));
        DeleteFileW(log.c_str());
        TMainForm window;  // a window of its own that has no result file yet
        window.Create(nullptr, nullptr, nullptr);
        window.Jobs() = {RowWith(spool + L"\\one_x.prn", L"D1"), RowWith(spool + L"\\two_x.prn", L"D2")};
        window.RowsChanged();
        const size_t shown = boxes.Texts().size();
        SetEnv(L"TMP", c.tempFolder);
        SetEnv(L"TEMP", c.tempFolder);
        SendMessageW(window.Handle(), WM_COMMAND, IdResubmitfilesaction1, 0);

        std::vector<std::wstring> texts = boxes.Texts();
        ASSERT_EQ(texts.size(), shown + 1);
        EXPECT_EQ(texts.back().rfind(c.message, 0), 0u) << Utf8(texts.back());
        EXPECT_TRUE(IsSignedNumber(texts.back().substr(wcslen(c.message))));
        EXPECT_NE(texts.back(), c.message + std::wstring(L"0"));
        EXPECT_TRUE(window.ResultFileName().empty());
        EXPECT_TRUE(Runs().empty());

        SetEnv(L"TMP", temp);
        SetEnv(L"TEMP", temp);
        SendMessageW(window.Handle(), WM_COMMAND, IdResubmitfilesaction1, 0);
        EXPECT_EQ(boxes.Texts().size(), shown + 1);
        EXPECT_EQ(Runs().size(), 2u);
        EXPECT_EQ(ResultFiles(), std::vector<std::wstring>{window.ResultFileName()});
        DestroyWindow(window.Handle());
    }
}

TEST_F(SubmitTest, EscPressedBeforeAJobStartsStopsThePassBeforeIt)
{
    SetRows({RowWith(spool + L"\\one_x.prn", L"D1"), RowWith(spool + L"\\two_x.prn", L"D2")});
    PostMessageW(form.ListView1(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    Submit();
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"Stopped before submitting " + spool +
                                                       L"\\one_x.prn; it and the rows after it were not submitted."});
    EXPECT_TRUE(Runs().empty());
    EXPECT_EQ(Row(0).subItems, 1);
}

// Without a client anywhere the program's search looks, the first job brings the system's
// error and nothing is submitted. The client lies beside this test program, so the check runs
// in a copy of it in a folder of its own.
TEST_F(SubmitTest, MissingClientGivesTheCreateProcessErrorAndSubmitsNothing)
{
    const std::wstring alone = work / L"alone";
    MakeFolders(alone);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(CopyFileW(self, (alone + L"\\alone.exe").c_str(), FALSE));

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileW((work / L"child.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(output, INVALID_HANDLE_VALUE);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::wstring commandLine = L"alone.exe --gtest_filter=SubmitWithoutClient.*";
    SetEnv(L"VORLA_SUBMIT_REPORT", work / L"report.txt");
    PROCESS_INFORMATION child{};
    BOOL started = CreateProcessW((alone + L"\\alone.exe").c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                  nullptr, alone.c_str(), &startup, &child);
    SetEnv(L"VORLA_SUBMIT_REPORT", L"");
    CloseHandle(output);
    ASSERT_TRUE(started);
    if (WaitForSingleObject(child.hProcess, 100000) != WAIT_OBJECT_0)
        TerminateProcess(child.hProcess, 1);
    DWORD exitCode = 1;
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);

    EXPECT_EQ(exitCode, 0u) << ReadBytes(work / L"child.txt");
    EXPECT_EQ(ReadBytes(work / L"report.txt"), "passed") << ReadBytes(work / L"child.txt");
}

// The part of the test above that runs in the copy; skipped in any other process.
TEST(SubmitWithoutClient, FirstJobBringsCreateProcessError)
{
    const std::wstring report = GetEnv(L"VORLA_SUBMIT_REPORT");
    if (report.empty())
        GTEST_SKIP() << "runs only in the copy made by MissingClientGivesTheCreateProcessErrorAndSubmitsNothing";
    TempFolder temp;
    SetEnv(L"TMP", temp.Path());
    SetEnv(L"TEMP", temp.Path());
    {
        MessageBoxWatcher boxes;
        TMainForm form;
        form.Create(nullptr, nullptr, nullptr);
        form.Jobs() = {RowWith(temp / L"one_x.prn", L"D1"), RowWith(temp / L"two_x.prn", L"D2")};
        form.RowsChanged();
        SendMessageW(form.Handle(), WM_COMMAND, IdResubmitfilesaction1, 0);

        ASSERT_EQ(boxes.Texts().size(), 1u);
        const std::wstring prefix = L"CreateProcess() error ";
        EXPECT_EQ(boxes.Texts()[0].rfind(prefix, 0), 0u) << Utf8(boxes.Texts()[0]);
        EXPECT_TRUE(IsSignedNumber(boxes.Texts()[0].substr(prefix.size())));
        EXPECT_NE(boxes.Texts()[0], prefix + L"0");
        EXPECT_EQ(form.Jobs()[0].subItems, 1);
        EXPECT_EQ(form.Jobs()[1].subItems, 1);
        // The result file was made before the client was looked for, and stays.
        ASSERT_FALSE(form.ResultFileName().empty());
        EXPECT_NE(GetFileAttributesW(form.ResultFileName().c_str()), INVALID_FILE_ATTRIBUTES);
    }
    if (!HasFailure())
        WriteBytes(report, "passed");
}
