// The command line against the program's own command table: no input crashes the parser, and
// every line it accepts, printed back switch by switch and quoted as Windows quotes arguments,
// reads back to an equal line.
#include <cstdint>
#include <cstdlib>
#include <string>
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

const SwitchRule* RuleOf(const CommandTable& table, const std::wstring& name)
{
    for (const SwitchRule& rule : table.switches)
        if (name == rule.name)
            return &rule;
    return nullptr;
}

// The accepted line printed back: each switch in its shortest form, then the paths.
std::wstring PrintedBack(const CommandLine& line, const CommandTable& table)
{
    std::wstring text = L"vorlasched.com";
    for (const auto& [name, value] : line.values) {
        const SwitchRule* rule = RuleOf(table, name);
        const bool bare = !rule || rule->takes == Takes::Nothing || (rule->takes == Takes::NothingOrText && value.empty());
        text += L" " + QuotedArgument(L"/" + name + (bare ? L"" : L":" + value));
    }
    for (const std::wstring& path : line.paths)
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
    const std::vector<std::wstring> again = SplitCommandLine(PrintedBack(parse.line, table));
    const CommandLineParse reread = ParseCommandLine(std::vector<std::wstring>(again.begin() + 1, again.end()), table);
    Check(reread.ok && reread.row == parse.row);
    const CommandLine &a = parse.line, &b = reread.line;
    Check(a.command == b.command && a.values == b.values && a.paths == b.paths &&
          a.numbers == b.numbers && a.readsOnly == b.readsOnly);
    return 0;
}
