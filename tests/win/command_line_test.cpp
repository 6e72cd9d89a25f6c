// The command line as the program reads it: the parser and the usage over the one command table.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/commands.h"
#include "support/win_test_support.h"

namespace {

const std::vector<std::wstring> kConfigure = {L"/configure", L"-BRANCH:12", L"/pos:1,2", L"/back:",
                                              L"/posprinter:A B", L"/backprinter:C", L"/header:h.txt"};

std::vector<std::wstring> Configure(std::vector<std::wstring> more)
{
    std::vector<std::wstring> args = kConfigure;
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

}  // namespace

TEST(CommandLine, ReadsSwitchesAndRefusesWhatIsWrongNamingTheProblem)
{
    struct Case {
        std::vector<std::wstring> args;
        CliCommand command;     // when accepted
        std::wstring problem;   // empty: accepted
    };
    const Case cases[] = {
        {{}, CliCommand::Window, L""},
        {{L"C:\\spool"}, CliCommand::Window, L""},
        {{L"/?"}, CliCommand::Help, L""},
        {{L"-Upgrade", L"/WHATIF"}, CliCommand::Upgrade, L""},
        {kConfigure, CliCommand::Configure, L""},
        {Configure({L"/posunc:\\\\s\\p", L"/whatif:C:\\w.reg"}), CliCommand::Configure, L""},
        {{L"/submit", L"a", L"b", L"/timeout:604800", L"/report:r.csv"}, CliCommand::Submit, L""},
        {{L"/check", L"/header:h.txt"}, CliCommand::Check, L""},
        {{L"/check", L"/header:h.txt", L"/headercp:x"}, {},
         L"/headercp needs a code page's number (such as 1253) or utf-8"},
        {{L"C:\\spool\\submit", L"a\\-submit", L"x:submit"}, CliCommand::Window, L""},  // paths, not switches
        {{L"\x2044Submit:1"}, {},
         L"\x2044Submit:1 begins with U+2044 (fraction slash), not with / or -: type / or - before submit"},
        {{L"\xFEFF/ｃheck"}, {},
         L"\xFEFF/ｃheck begins with U+FEFF (zero width no-break space, a byte order mark, an invisible format "
         L"character), not with / or -: type / or - before check"},
        {{L"/upgrade", L"/frobnicate"}, {}, L"unknown switch /frobnicate"},
        {{L"/upgrade", L"/upgrade"}, {}, L"/upgrade is given twice"},
        {{L"/upgrade:now"}, {}, L"/upgrade takes no value"},
        {{L"/upgrade", L"/branch:1"}, {}, L"/branch does not go with /upgrade"},
        {{L"/upgrade", L"/configure"}, {}, L"/configure and /upgrade cannot go together"},
        {{L"/whatif"}, {},
         L"/whatif needs a command (/configure, /upgrade, /check, /show, /analyze, /submit, /settle, /version or /?)"},
        {{L"/upgrade", L"/whatif:"}, {}, L"/whatif needs a value after the colon"},
        {{L"/upgrade", L"C:\\x"}, {}, L"/upgrade takes no path: C:\\x"},
        {{L"/analyze"}, {}, L"/analyze needs at least one path"},
        {{L"/analyze", L"a", L"/timeout:5"}, {}, L"/timeout does not go with /analyze"},
        {{L"/submit", L"a", L"/timeout:0"}, {}, L"/timeout needs a whole number of seconds from 1 to 604800 (a week)"},
        {{L"/submit", L"a", L"/timeout:604801"}, {}, L"/timeout needs a whole number of seconds from 1 to 604800 (a week)"},
        {{L"/submit", L"a", L"/timeout:4294968"}, {}, L"/timeout needs a whole number of seconds from 1 to 604800 (a week)"},
        {{L"/check", L"/branch:1"}, {}, L"/check with a request needs /pos"},
        {Configure({L"/branch"}), {}, L"/branch is given twice"},
        {{L"/configure", L"/branch", L"/pos:1"}, {}, L"/branch needs a value after a colon"},
        {{L"/check", L"/branch:", L"/pos:1", L"/back:", L"/posprinter:a", L"/backprinter:b"}, {},
         L"/branch needs a value after the colon"},
        {{L"/configure", L"/branch:1", L"/pos:1", L"/back:2", L"/posprinter:A", L"/backprinter:B"}, {},
         L"/configure needs /header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.args.empty() ? L"(none)" : c.args.back()));
        CommandLineParse parse = ParseCommandLine(c.args, Commands());
        EXPECT_EQ(parse.problem, c.problem);
        EXPECT_EQ(parse.ok, c.problem.empty());
        if (parse.ok) {
            EXPECT_EQ(parse.line.command, c.command);
        }
    }
    // A refusal names the command when the arguments name one, and only one.
    for (const auto& [args, command] : std::vector<std::pair<std::vector<std::wstring>, const wchar_t*>>{
             {{L"/configure", L"/branch:12", L"/json"}, L"configure"},
             {{L"/upgrade", L"/frobnicate"}, L"upgrade"},
             {{L"-Check:x"}, L"check"},
             {{L"/upgrade", L"/configure"}, nullptr},
             {{L"/whatif"}, nullptr},
             {{L"xconfigure", L"/whatif"}, nullptr}}) {  // a path, not a switch, names no command
        SCOPED_TRACE(Utf8(args.front()));
        const CommandLineParse refused = ParseCommandLine(args, Commands());
        EXPECT_FALSE(refused.ok);
        EXPECT_EQ(std::wstring(refused.row ? refused.row->name : L"(none)"), command ? command : L"(none)");
    }
    CommandLineParse parse = ParseCommandLine(Configure({L"/WhatIf"}), Commands());
    const Switches& read = parse.line.switches;
    EXPECT_EQ(read.branch, L"12");
    EXPECT_EQ(read.posprinter, L"A B");
    EXPECT_EQ(read.back, L"");
    EXPECT_EQ(read.posunc, std::nullopt);
    EXPECT_EQ(read.whatif, L"");
    EXPECT_FALSE(read.force);
    EXPECT_TRUE(parse.line.readsOnly);
    // Each switch keeps its own value: /wait and /timeout on one line (as a command may take both).
    CommandTable table = Commands();
    table.commands.front().switches.push_back({L"timeout", Need::Optional});
    parse = ParseCommandLine(Configure({L"/wait:7", L"/timeout:9", L"/headercp:UTF-8"}), table);
    EXPECT_EQ(parse.problem, L"");
    EXPECT_EQ(parse.line.switches.wait, 7u);
    EXPECT_EQ(parse.line.switches.timeout, 9u);
    ASSERT_TRUE(parse.line.switches.headercp);
    EXPECT_EQ(parse.line.switches.headercp->number, 65001u);
    EXPECT_EQ(parse.line.switches.headercp->given, L"UTF-8");
    // An existing file is a path, whatever its name.
    parse = ParseCommandLine({L"\x2013submit"}, Commands(), [](const std::wstring& path) { return path == L"\x2013submit"; });
    EXPECT_EQ(parse.line.paths, std::vector<std::wstring>{L"\x2013submit"});
}

// The fleet guide shows the usage exactly as /? prints it.
TEST(CommandLine, FleetGuideShowsTheUsageThatTheTableMakes)
{
    const char* source = std::getenv("VORLA_SOURCE_DIR");
    ASSERT_TRUE(source);
    const std::string readme = ReadBytes(WindowsPathOfUnix(source) + L"\\docs\\fleet.md");
    const std::string begin = "<!-- usage: generated from the command table; a test keeps it so -->\n```\n";
    const size_t start = readme.find(begin);
    ASSERT_NE(start, std::string::npos);
    const size_t end = readme.find("```\n", start + begin.size());
    std::wstring usage;
    for (const std::wstring& line : UsageLines(Commands()))
        usage += line + L"\n";
    EXPECT_EQ(readme.substr(start + begin.size(), end - start - begin.size()), Utf8(usage));
}
