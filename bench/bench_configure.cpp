// An unchanged /configure against /check with the same switches, both through the real
// vorlasched.com on a configured branch machine: the unchanged run reads and compares and
// writes nothing, so it should cost no more than the check. Prints figures; asserts nothing
// about time. Built beside win_tests.exe, where the templates and the test fonts are.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "bench_common.h"
#include "common/utf.h"
#include "support/branch_machine.h"
#include "support/console_run.h"

namespace {

using namespace machine;

double TimeRun(const std::wstring& arguments, DWORD expected)
{
    const auto start = BenchClock::now();
    const ConsoleRun run = RunConsole(arguments);
    const double seconds = SecondsSince(start);
    EXPECT_EQ(run.exitCode, expected) << run.out << run.err;
    return seconds;
}

TEST(Bench, UnchangedConfigureAgainstCheck)
{
    BranchMachine machine;
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring font = std::wstring(windows) + L"\\Fonts\\vorla-barcode-bench.ttf";
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\config_form\\barcode.ttf").c_str(), font.c_str(), FALSE));
    TempFolder temp;
    const std::wstring header = temp / L"header.txt";
    WriteBytes(header, Utf8(kHeader));
    const std::wstring request = L"/branch:12 /pos:1,2,4 /back:9,10,12 \"/posprinter:" + std::wstring(kPosPrinter) +
                                 L"\" \"/backprinter:" + kBackPrinter + L"\" \"/header:" + header + L"\"";
    const std::wstring other = L"/branch:12 /pos:1,2,5 /back:9,10,12 \"/posprinter:" + std::wstring(kPosPrinter) +
                               L"\" \"/backprinter:" + kBackPrinter + L"\" \"/header:" + header + L"\"";
    TimeRun(L"/configure " + request, 0);
    std::vector<double> unchanged, check, changed;
    for (int run = 0; run < 7; ++run) {
        unchanged.push_back(TimeRun(L"/configure " + request, 0));
        check.push_back(TimeRun(L"/check " + request, 0));
        changed.push_back(TimeRun(L"/configure " + (run % 2 ? request : other), 0));
        TimeRun(L"/configure " + request, 0);
    }
    printf("configure: a configured branch (6 maps), medians of 7 alternating runs of vorlasched.com\n");
    printf("  (a) /check with the same switches : %8.3f s\n", Median(check));
    printf("  (b) unchanged /configure          : %8.3f s\n", Median(unchanged));
    printf("  (c) /configure with one map changed: %7.3f s\n", Median(changed));
    printf("  b/a = %.3f   (target <= 1.0 plus noise)   c/a = %.3f (for reference)\n", Median(unchanged) / Median(check),
           Median(changed) / Median(check));
    DeleteFileW(font.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
