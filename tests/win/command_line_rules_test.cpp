// The written-out command-line rules (tests/support/command_line_rules.h), which the fuzz target
// of the client's command line checks against, held against the system's own CommandLineToArgvW.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "jobs/submit_command.h"
#include "support/command_line_rules.h"
#include "support/win_test_support.h"

namespace {

std::vector<std::wstring> SystemSplit(const std::wstring& line)
{
    int count = 0;
    wchar_t** args = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> out(args, args + (args ? count : 0));
    LocalFree(args);
    return out;
}

}  // namespace

TEST(CommandLineRules, AgreeWithTheSystemOnTrickyLines)
{
    const wchar_t* lines[] = {
        L"p.exe a b",
        L"\"C:\\Program Files\\p.exe\" a",
        L"\"p\"x a",
        L"p.exe \"a b\" c",
        L"p.exe a\\\\\\\"b",
        L"p.exe \"a\\\\\" b",
        L"p.exe \"a\"\"b\" c",
        L"p.exe \"a\"\"\"b\" c",
        L"p.exe \"\"",
        L"p.exe \"\" \"\"",
        L"p.exe a\\b\\\\c",
        L"p.exe \t a \t",
        L"p.exe \"unterminated \\\" quote",
        L"p.exe \"\"\"\"\"\"",
        L"p.exe a\"b c\"d",
        L"p.exe \\\\\\\\\"",
    };
    for (const wchar_t* line : lines) {
        SCOPED_TRACE(Utf8(line));
        EXPECT_EQ(SplitCommandLine(line), SystemSplit(line));
    }
}

TEST(CommandLineRules, AgreeWithTheSystemOnLinesOfTheCharactersThatMatter)
{
    const wchar_t alphabet[] = {L'a', L' ', L'\t', L'"', L'\\', L'\x0436'};
    unsigned state = 2024;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 16;
    };
    for (int i = 0; i < 3000; ++i) {
        std::wstring line = i % 2 ? L"p.exe " : L"\"q r.exe\" ";
        for (unsigned n = next() % 16; n > 0; --n)
            line += alphabet[next() % std::size(alphabet)];
        SCOPED_TRACE(Utf8(line));
        ASSERT_EQ(SplitCommandLine(line), SystemSplit(line));
    }
}

TEST(CommandLineRules, TheClientGetsItsFiveArgumentsWhateverTheyHold)
{
    const wchar_t* directions[] = {L"AB_POS1_COPY", L"AB POS", L"A\" -x \"B", L"A B\\", L"X\" \"-reC:\\stolen.txt",
                                   L"\\\\srv\\q"};
    for (const wchar_t* direction : directions) {
        SCOPED_TRACE(Utf8(direction));
        const std::wstring line = SubmitCommandLine(direction, L"C:\\ουρά \"x\"\\job_x.prn", L"C:\\T\\VOR1.tmp");
        EXPECT_EQ(SystemSplit(line),
                  (std::vector<std::wstring>{kSubmitClient, kSubmitService, std::wstring(L"-i") + direction,
                                             L"C:\\ουρά \"x\"\\job_x.prn", L"-reC:\\T\\VOR1.tmp"}));
    }
}
