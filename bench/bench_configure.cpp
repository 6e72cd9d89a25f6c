// An unchanged /configure against /check with the same switches, both through the real
// vorlasched.com on a configured branch machine of 36 maps: the unchanged run reads and
// compares and writes nothing, so it should cost no more than the check. Then the registry
// writes of a run that takes one BACK series away, counted from its document: only that map's.
// Prints figures; asserts nothing about time. Built beside win_tests.exe, where the templates and the test fonts are.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/command_line.h"
#include "app/commands.h"
#include "app/console.h"
#include "bench_common.h"
#include "common/utf.h"
#include "support/branch_machine.h"
#include "support/console_run.h"

namespace {

using namespace machine;

// The arguments as the command line's quoting splits them (enough for the quoted switches here).
std::vector<std::wstring> SplitCommandLineForBench(const std::wstring& text)
{
    int count = 0;
    wchar_t** argv = CommandLineToArgvW((L"x " + text).c_str(), &count);
    std::vector<std::wstring> args(argv + 1, argv + count);
    LocalFree(argv);
    return args;
}

double TimeRun(const std::wstring& arguments, DWORD expected)
{
    const auto start = BenchClock::now();
    const ConsoleRun run = RunConsole(arguments);
    const double seconds = SecondsSince(start);
    EXPECT_EQ(run.exitCode, expected) << run.out << run.err;
    return seconds;
}

// The same command run inside this process (its output to NUL): the work alone, without the
// start of a process.
double TimeInProcess(const std::wstring& arguments)
{
    std::vector<std::wstring> args;
    for (const std::wstring& arg : SplitCommandLineForBench(arguments))
        args.push_back(arg);
    const CommandLineParse parse = ParseCommandLine(args, Commands());
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE), err = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, nul);
    SetStdHandle(STD_ERROR_HANDLE, nul);
    const auto start = BenchClock::now();
    {
        StdStream o(STD_OUTPUT_HANDLE), e(STD_ERROR_HANDLE);
        EXPECT_EQ(RunCommandLine(parse, o, e), 0);
    }
    const double seconds = SecondsSince(start);
    SetStdHandle(STD_OUTPUT_HANDLE, out);
    SetStdHandle(STD_ERROR_HANDLE, err);
    CloseHandle(nul);
    return seconds;
}

TEST(BranchBench, UnchangedConfigureAgainstCheck)
{
    BranchMachine machine;
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring font = std::wstring(windows) + L"\\Fonts\\vorla-barcode-bench.ttf";
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\config_form\\barcode.ttf").c_str(), font.c_str(), FALSE));
    TempFolder temp;
    const std::wstring header = temp / L"header.txt";
    WriteBytes(header, Utf8(kHeader));
    std::wstring pos = L"1", back = L"41", fewer;
    for (int n = 2; n <= 18; ++n)
        pos += L"," + std::to_wstring(n);
    for (int n = 42; n <= 58; ++n)
        back += L"," + std::to_wstring(n);
    fewer = back.substr(0, back.rfind(L','));  // one BACK series less
    const std::wstring printers = L" \"/posprinter:" + std::wstring(kPosPrinter) + L"\" \"/backprinter:" + kBackPrinter +
                                  L"\" \"/header:" + header + L"\"";
    const std::wstring request = L"/branch:12 /pos:" + pos + L" /back:" + back + printers;
    const std::wstring other = L"/branch:12 /pos:" + pos.substr(0, pos.size() - 2) + L"19 /back:" + back + printers;
    TimeRun(L"/configure " + request, 0);
    std::vector<double> unchanged, check, changed;
    for (int run = 0; run < 15; ++run) {
        unchanged.push_back(TimeRun(L"/configure " + request, 0));
        check.push_back(TimeRun(L"/check " + request, 0));
        changed.push_back(TimeRun(L"/configure " + (run % 2 ? request : other), 0));
        TimeRun(L"/configure " + request, 0);
    }
    std::vector<double> unchangedHere, checkHere;
    for (int run = 0; run < 30; ++run) {
        unchangedHere.push_back(TimeInProcess(L"/configure " + request));
        checkHere.push_back(TimeInProcess(L"/check " + request));
    }
    printf("configure: in this process, medians of 30 alternating runs (the work without a process start)\n");
    printf("  (a) /check with the same switches : %8.4f s\n", Median(checkHere));
    printf("  (b) unchanged /configure          : %8.4f s\n", Median(unchangedHere));
    printf("  b/a = %.3f   (target <= 1.0)\n", Median(unchangedHere) / Median(checkHere));
    printf("configure: a configured branch (36 maps), medians of 15 alternating runs of vorlasched.com\n");
    printf("  (a) /check with the same switches : %8.3f s\n", Median(check));
    printf("  (b) unchanged /configure          : %8.3f s\n", Median(unchanged));
    printf("  (c) /configure with one map changed: %7.3f s\n", Median(changed));
    printf("  b/a = %.3f   (target <= 1.05)   c/a = %.3f (for reference)\n", Median(unchanged) / Median(check),
           Median(changed) / Median(check));
    // The registry writes of one BACK series taken away: each change of the document is one
    // write (a key deleted with its tree, a key made, a value set or deleted).
    const ConsoleRun one = RunConsole(L"/configure /branch:12 /pos:" + pos + L" /back:" + fewer + printers + L" /json");
    EXPECT_EQ(one.exitCode, 0u) << one.err;
    size_t writes = 0, keys = 0;
    for (size_t at = one.out.find("\"target\":\""); at != std::string::npos; at = one.out.find("\"target\":\"", at + 1)) {
        const std::string target = one.out.substr(at + 10, 6);
        writes += target.rfind("key", 0) == 0 || target.rfind("value", 0) == 0 ? 1 : 0;
    }
    for (size_t at = one.out.find("\"action\":\"removed\",\"path\""); at != std::string::npos;
         at = one.out.find("\"action\":\"removed\",\"path\"", at + 1))
        ++keys;
    const ConsoleRun whole = RunConsole(L"/configure /branch:12 /pos:" + pos + L" /back:" + back + printers + L" /whatif /json");
    size_t rewritten = 0;
    for (size_t at = whole.out.find("\"target\":\"value\""); at != std::string::npos;
         at = whole.out.find("\"target\":\"value\"", at + 1))
        ++rewritten;
    printf("configure: one BACK series taken away from 36 maps: %zu registry writes (%zu of them key deletions);\n"
           "  putting it back writes %zu values (one map's keys and values)\n", writes, keys, rewritten);
    DeleteFileW(font.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
