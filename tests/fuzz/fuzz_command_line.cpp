// The command line against the program's own command table: no input crashes the parser, and
// every line it accepts, printed back switch by switch and quoted as Windows quotes arguments,
// reads back to an equal line.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/command_line.h"
#include "jobs/submit_command.h"
#include "support/command_line_rules.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

// A switch's value as it is printed back: none when it was not given, empty when it is given bare.
std::optional<std::wstring> PrintedValue(const SwitchRule& rule, const Switches& switches)
{
    using Text = std::optional<std::wstring>;
    if (const auto* flag = std::get_if<bool Switches::*>(&rule.member))
        return switches.**flag ? Text(L"") : std::nullopt;
    if (const auto* text = std::get_if<Text Switches::*>(&rule.member))
        return switches.**text;
    if (const auto* seconds = std::get_if<std::optional<unsigned> Switches::*>(&rule.member))
        return switches.**seconds ? Text(std::to_wstring(*(switches.**seconds))) : std::nullopt;
    const auto& codePage = switches.*std::get<std::optional<CodePageSwitch> Switches::*>(rule.member);
    return codePage ? Text(codePage->given) : std::nullopt;
}

// The accepted line printed back: the command, each switch in its shortest form, then the paths.
std::wstring PrintedBack(const CommandLineParse& parse, const CommandTable& table)
{
    std::wstring text = L"vorlasched.com";
    if (parse.row && parse.row->command != CliCommand::Window)
        text += L" /" + std::wstring(parse.row->name);
    for (const SwitchRule& rule : table.switches) {
        const std::optional<std::wstring> value = PrintedValue(rule, parse.line.switches);
        if (!value)
            continue;
        const bool bare = rule.takes == Takes::Nothing || (rule.takes == Takes::NothingOrText && value->empty());
        text += L" " + QuotedArgument(L"/" + std::wstring(rule.name) + (bare ? L"" : L":" + *value));
    }
    for (const std::wstring& path : parse.line.paths)
        text += L" " + QuotedArgument(path);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const CommandTable table = CommandTableRows();
    // Bytes as UTF-16 units, so that any character can reach the parser; the command line is
    // cut into arguments by the Windows rules, as the program receives them.
    std::wstring text = L"vorlasched.com ";
    for (size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
    const std::vector<std::wstring> args = SplitCommandLine(text);
    const CommandLineParse parse = ParseCommandLine(std::vector<std::wstring>(args.begin() + 1, args.end()), table);
    Check(parse.ok == parse.problem.empty());
    if (!parse.ok)
        return 0;
    const std::wstring printed = PrintedBack(parse, table);
    const std::vector<std::wstring> again = SplitCommandLine(printed);
    const CommandLineParse reread = ParseCommandLine(std::vector<std::wstring>(again.begin() + 1, again.end()), table);
    Check(reread.ok && reread.row == parse.row);
    const CommandLine &a = parse.line, &b = reread.line;
    Check(a.command == b.command && PrintedBack(reread, table) == printed && a.paths == b.paths &&
          a.readsOnly == b.readsOnly);
    return 0;
}
