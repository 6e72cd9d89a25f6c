// vorlasched.exe started with nowhere to write (a shortcut, the Run box, "start"): what
// vorlasched.com writes on standard error (or, for the usage asked for, on standard output) shows
// in one message box, with the same exit code.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <optional>
#include <utility>

#include "common/fileio.h"
#include "common/machine_lock.h"
#include "support/console_run.h"
#include "support/win_test_support.h"

namespace {

// Runs vorlasched.exe detached, with no standard handles: the text of its message box (empty
// when none shows), pressed OK, and its exit code (99 when it still runs twenty seconds later,
// as it would with a second box).
std::pair<std::wstring, DWORD> RunWithoutHandles(const std::wstring& exe, const std::wstring& arguments,
                                                 const std::wstring& folder)
{
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments, text(1 << 15, L'\0');
    EXPECT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                               folder.c_str(), &startup, &info));
    HWND box = WaitForWindowOf(info.dwProcessId, L"#32770");
    text.resize(box ? static_cast<size_t>(SendMessageW(GetDlgItem(box, 0xFFFF), WM_GETTEXT, text.size(),
                                                       reinterpret_cast<LPARAM>(text.data())))
                    : 0);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    if (WaitForSingleObject(info.hProcess, 20000) == WAIT_TIMEOUT)
        TerminateProcess(info.hProcess, 99);
    WaitForSingleObject(info.hProcess, 5000);
    DWORD exitCode = 0;
    GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return {text, exitCode};
}

TEST(JobCommandsBoxed, EveryRefusalOfTheExeWithoutAConsoleIsOneBoxWithTheConsoleText)
{
    TempFolder t;
    WriteBytes(t / L"spool\\j0_x.prn", "%!PS");
    WriteBytes(t / L"spool\\j0_i.pri", "ToDoStr=FWDVORLA\"AB:1:AB_POS1\r\n");
    WriteBytes(t / L"bad.txt", "\xEF\xBB\xBF\xFF line\r\n");
    WriteBytes(t / L"held.txt", "");  // held open below, as another run holds its journal
    FileIdentity identity;            // j0 started by a run that never saw it end
    WriteBytes(t / L"uncertain.txt", Utf8(L"t\tstarted\t" + identity.FileKeyOf(t / L"spool\\j0_x.prn") + L"\tj0\n"));
    const std::wstring request = L"/configure /branch:12 /pos:1 /back:2 /posprinter:P /backprinter:B";
    const struct {
        const wchar_t* name;
        std::wstring arguments;
        DWORD exitCode;
        bool answer = false;  // the box holds what the console writes on standard output
    } rows[] = {
        {L"look-alike switch", L"\x2044submit spool", 2},
        {L"unknown switch", L"/frobnicate", 2},
        {L"missing path", L"/analyze nothing-here", 2},
        {L"report in a missing folder", L"/analyze spool /report:no-folder\\r.csv", 2},
        {L"refused header", request + L" /header:bad.txt", 2},
        {L"no journal to settle", L"/settle spool\\j0_x.prn /as:submitted /journal:none.txt", 2},
        {L"busy submission", L"/submit spool /wait:1", 5},
        {L"busy journal", L"/submit spool /journal:held.txt", 5},
        {L"uncertain job", L"/submit spool /journal:uncertain.txt", 6},
        {L"the usage asked for", L"/?", 0, true},
    };
    const char* binary = std::getenv("VORLA_BINARY_DIR");
    ASSERT_NE(binary, nullptr);
    HANDLE holder = CreateFileW((t / L"held.txt").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    for (const auto& row : rows) {
        SCOPED_TRACE(Utf8(row.name));
        std::optional<MachineLock> submission;
        if (row.arguments.find(L"/wait:1") != std::wstring::npos) {
            ASSERT_TRUE(submission.emplace(kSubmissionLockKind).Acquire(1));
        }
        const ConsoleRun console = RunConsole(row.arguments, L"", t.Path());
        const auto [box, exitCode] = RunWithoutHandles(WindowsPathOfUnix(binary) + L"\\vorlasched.exe", row.arguments, t.Path());
        EXPECT_EQ(console.exitCode, row.exitCode) << console.err;
        EXPECT_EQ(exitCode, row.exitCode);
        EXPECT_EQ(Utf8(box) + "\r\n", row.answer ? console.out : console.err);
    }
    CloseHandle(holder);
}

}  // namespace
