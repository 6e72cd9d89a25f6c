// vorlasched.exe started with nowhere to write (a shortcut, the Run box, "start"): what
// vorlasched.com writes on standard error shows in one message box, with the same exit code.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <optional>

#include "common/machine_lock.h"
#include "support/console_run.h"
#include "support/win_test_support.h"

namespace {

struct BoxedRun {
    DWORD exitCode = 99;  // still running after twenty seconds
    std::vector<std::wstring> boxes;
};

// The text of a message box: its longest static text (the icon is a static too).
std::wstring BoxText(HWND box)
{
    std::wstring longest;
    for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child;
         child = FindWindowExW(box, child, L"Static", nullptr)) {
        std::wstring text(1 << 15, L'\0');
        text.resize(static_cast<size_t>(
            SendMessageW(child, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
        if (text.size() > longest.size())
            longest = text;
    }
    return longest;
}

// Runs vorlasched.exe detached, with no standard handles at all; reads each message box of its
// process and presses OK.
BoxedRun RunWithoutHandles(const std::wstring& arguments, const std::wstring& folder)
{
    const char* binary = std::getenv("VORLA_BINARY_DIR");
    const std::wstring exe = WindowsPathOfUnix(binary ? binary : ".") + L"\\vorlasched.exe";
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    BoxedRun run;
    EXPECT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                               folder.c_str(), &startup, &info));
    for (int waited = 0; waited < 20000 && WaitForSingleObject(info.hProcess, 50) == WAIT_TIMEOUT; waited += 50) {
        HWND box = VisibleWindowOf(info.dwProcessId, L"#32770");
        if (!box)
            continue;
        run.boxes.push_back(BoxText(box));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        while (IsWindow(box) && WaitForSingleObject(info.hProcess, 20) == WAIT_TIMEOUT) {
        }
    }
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(info.hProcess, 99);
    WaitForSingleObject(info.hProcess, 5000);
    GetExitCodeProcess(info.hProcess, &run.exitCode);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return run;
}

TEST(JobCommandsBoxed, EveryRefusalOfTheExeWithoutAConsoleIsOneBoxWithTheConsoleText)
{
    TempFolder t;
    WriteBytes(t / L"spool\\j0_x.prn", "%!PS");
    WriteBytes(t / L"spool\\j0_i.pri", "ToDoStr=FWDVORLA\"AB:1:AB_POS1\r\n");
    WriteBytes(t / L"bad.txt", "\xEF\xBB\xBF\xFF line\r\n");
    const std::wstring held = t / L"held.txt";
    WriteBytes(held, "");
    const std::wstring request = L"/configure /branch:12 /pos:1 /back:2 /posprinter:P /backprinter:B";
    const struct {
        const wchar_t* name;
        std::wstring arguments;
        DWORD exitCode;
    } rows[] = {
        {L"look-alike switch", L"\x2044submit spool", 2},
        {L"unknown switch", L"/frobnicate", 2},
        {L"missing path", L"/analyze nothing-here", 2},
        {L"report in a missing folder", L"/analyze spool /report:no-folder\\r.csv", 2},
        {L"refused header", request + L" /header:bad.txt", 2},
        {L"no journal to settle", L"/settle spool\\j0_x.prn /as:submitted /journal:none.txt", 2},
        {L"busy submission", L"/submit spool /wait:1", 5},
        {L"busy journal", L"/submit spool /journal:held.txt", 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Utf8(row.name));
        const bool lockHeld = row.exitCode == 5 && row.arguments.find(L"/wait:1") != std::wstring::npos;
        std::optional<MachineLock> submission;
        if (lockHeld)
            ASSERT_TRUE(submission.emplace(kSubmissionLockKind).Acquire(1));
        HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    0, nullptr);
        const ConsoleRun console = RunConsole(row.arguments, L"", t.Path());
        const BoxedRun boxed = RunWithoutHandles(row.arguments, t.Path());
        CloseHandle(holder);
        submission.reset();
        EXPECT_EQ(console.exitCode, row.exitCode) << console.err;
        EXPECT_EQ(boxed.exitCode, row.exitCode);
        ASSERT_EQ(boxed.boxes.size(), 1u);
        EXPECT_EQ(Utf8(boxed.boxes[0]) + "\r\n", console.err);
    }
}

}  // namespace
