#include "app/command_line.h"

#include <algorithm>
#include <cwctype>
#include <map>

#include "app/switch_characters.h"
#include "common/text.h"
#include "jobs/submit.h"

namespace {

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

const SwitchRule* FindSwitch(const CommandTable& table, const std::wstring& name)
{
    for (const SwitchRule& rule : table.switches)
        if (name == rule.name)
            return &rule;
    return nullptr;
}

const CommandSwitch* FindCommandSwitch(const CommandRow& row, const std::wstring& name)
{
    for (const CommandSwitch& s : row.switches)
        if (name == s.name)
            return &s;
    return nullptr;
}

bool IsCommand(const CommandTable& table, const std::wstring& name)
{
    return std::any_of(table.commands.begin(), table.commands.end(),
                       [&name](const CommandRow& row) { return row.command != CliCommand::Window && name == row.name; });
}

// The switches given (lower-case name -> value as given), the command's own among them.
using GivenSwitches = std::map<std::wstring, std::wstring>;

// The switches beside the command: every required one given, a request whole or not at all,
// nothing that the command does not take, paths where it takes them.
std::wstring CheckCommandSwitches(const CommandRow& row, const GivenSwitches& given, const CommandLine& line)
{
    const std::wstring command = L"/" + std::wstring(row.name);
    const auto has = [&given](const wchar_t* name) { return given.count(name) != 0; };
    for (const CommandSwitch& s : row.switches)
        if (s.need == Need::Required && !has(s.name))
            return command + L" needs /" + s.name;
    for (const auto& [name, value] : given)
        if (name != row.name && !FindCommandSwitch(row, name))
            return L"/" + name + L" does not go with " + command;
    const bool anyRequest = std::any_of(row.switches.begin(), row.switches.end(), [&has](const CommandSwitch& s) {
        return s.need == Need::Request && has(s.name);
    });
    for (const CommandSwitch& s : row.switches)
        if (anyRequest && s.need == Need::Request && !has(s.name))
            return command + L" with a request needs /" + s.name;
    if (!row.paths && !line.paths.empty())
        return command + L" takes no path: " + line.paths.front();
    if (row.paths && line.paths.empty())
        return command + L" needs at least one path";
    return {};
}

// A number switch's value as its type reads it; the problem, or empty.
std::wstring ReadNumber(const std::wstring& name, Takes takes, const std::wstring& value, unsigned& number)
{
    int n = 0;
    if (takes == Takes::CodePage && (Lower(value) == L"utf-8" || Lower(value) == L"utf8"))
        n = 65001;
    else if (!ParseInt32(value, n))
        n = 0;
    number = static_cast<unsigned>(n);
    if (takes == Takes::CodePage && (n < 1 || n > 65535))
        return L"/" + name + L" needs a code page's number (such as 1253) or utf-8";
    if (takes == Takes::Seconds && (n < 1 || n > static_cast<int>(kMaxTimeoutSeconds)))
        return L"/" + name + L" needs a whole number of seconds from 1 to " +
               DecimalText(static_cast<int>(kMaxTimeoutSeconds)) + L" (a week)";
    return {};
}

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// Puts a switch's value into its member, as the member's type holds it.
void Store(const SwitchRule& rule, const std::wstring& value, unsigned number, Switches& switches)
{
    std::visit(Overloaded{
                   [&](bool Switches::*member) { switches.*member = true; },
                   [&](std::optional<std::wstring> Switches::*member) { switches.*member = value; },
                   [&](std::optional<unsigned> Switches::*member) { switches.*member = number; },
                   [&](std::optional<CodePageSwitch> Switches::*member) { switches.*member = CodePageSwitch{number, value}; },
               },
               rule.member);
}

// Reads one switch into the line and the switches given; the problem, or empty.
std::wstring ReadSwitch(const CommandTable& table, const std::wstring& arg, GivenSwitches& given, CommandLine& line)
{
    const size_t colon = arg.find(L':');
    const std::wstring name = Lower(arg.substr(1, colon == std::wstring::npos ? std::wstring::npos : colon - 1));
    const SwitchRule* rule = FindSwitch(table, name);
    if (!rule && !IsCommand(table, name))
        return L"unknown switch " + arg;
    if (given.count(name))
        return L"/" + name + L" is given twice";
    const Takes takes = rule ? rule->takes : Takes::Nothing;
    const bool hasValue = colon != std::wstring::npos;
    const std::wstring value = hasValue ? arg.substr(colon + 1) : std::wstring();
    if (takes == Takes::Nothing && hasValue)
        return L"/" + name + L" takes no value";
    const bool number = takes == Takes::Seconds || takes == Takes::CodePage;
    if ((takes == Takes::Text || takes == Takes::TextOrEmpty || number) && !hasValue)
        return L"/" + name + L" needs a value after a colon";
    if ((takes == Takes::Text || takes == Takes::NothingOrText || number) && hasValue && value.empty())
        return L"/" + name + L" needs a value after the colon";
    unsigned n = 0;
    if (number) {
        std::wstring problem = ReadNumber(name, takes, value, n);
        if (!problem.empty())
            return problem;
    }
    given[name] = value;
    if (rule)
        Store(*rule, value, n, line.switches);
    return {};
}

// The lower-case name that follows an argument's character at from, as a switch's name is
// compared: format characters dropped, full-width forms folded, up to the first ':'. Empty when
// it cannot be a name: it holds a path separator or another character that no name holds, or
// it is longer than the longest name.
std::wstring NameAfter(const std::wstring& arg, size_t from)
{
    const size_t kLongestName = 16;
    std::wstring name;
    for (size_t i = from, units = 0; i < arg.size() && arg[i] != L':'; i += units) {
        const char32_t c = CodePointAt(arg, i, units);
        if (IsFormatCharacter(c))
            continue;
        const char32_t folded = FoldedForName(c);
        if (folded == U'\\' || folded == U'/' || folded > 0x7E || name.size() == kLongestName)
            return {};
        name += static_cast<wchar_t>(folded);
    }
    return name;
}

bool IsName(const CommandTable& table, const std::wstring& name)
{
    return !name.empty() && (FindSwitch(table, name) || IsCommand(table, name));
}

// Why an argument that does not begin with '/' or '-' was meant as a switch (see ParseCommandLine):
// empty for a path.
std::wstring MistypedSwitchProblem(const CommandTable& table, const std::wstring& arg, PathExistsFn exists)
{
    size_t units = 0;
    const char32_t first = arg.empty() ? 0 : CodePointAt(arg, 0, units);
    std::wstring name = NameAfter(arg, units);
    if (!IsName(table, name) && IsFormatCharacter(first)) {
        // Invisible characters before the first one that shows: "\x200B/submit" reads "/submit".
        size_t shown = units;
        while (shown < arg.size() && IsFormatCharacter(CodePointAt(arg, shown, units)))
            shown += units;
        if (shown < arg.size()) {
            CodePointAt(arg, shown, units);
            name = NameAfter(arg, shown + units);
        }
    }
    if (!IsName(table, name) || (exists && exists(arg)))
        return {};
    return arg + L" begins with " + CharacterDescription(first) + L", not with / or -: type / or - before " + name;
}

CommandLineParse Refused(std::wstring problem)
{
    CommandLineParse parse;
    parse.problem = std::move(problem);
    return parse;
}

std::wstring SwitchUsage(const CommandTable& table, const std::wstring& name)
{
    const SwitchRule* rule = FindSwitch(table, name);
    std::wstring text = L"/" + name;
    if (rule && rule->value)
        text += (rule->takes == Takes::NothingOrText ? L"[:" : L":") + std::wstring(rule->value) +
                (rule->takes == Takes::NothingOrText ? L"]" : L"");
    return text;
}

std::wstring Synopsis(const CommandTable& table, const CommandRow& row)
{
    std::wstring text = L"  vorlasched";
    if (row.command != CliCommand::Window)
        text += L" /" + std::wstring(row.name);
    if (row.paths)
        text += L" " + std::wstring(row.paths);
    bool inRequest = false;
    for (const CommandSwitch& s : row.switches) {
        if (s.need == Need::Request && !inRequest) {
            text += L" [";
            inRequest = true;
        } else if (s.need != Need::Request && inRequest) {
            text += L"]";
            inRequest = false;
        }
        const std::wstring one = SwitchUsage(table, s.name);
        const bool first = text.back() == L'[';
        text += (first ? L"" : L" ") + (s.need == Need::Optional ? L"[" + one + L"]" : one);
    }
    if (inRequest)
        text += L"]";
    return text;
}

// The commands, for a switch given without one: "/configure, /upgrade, ... or /?".
std::wstring CommandList(const CommandTable& table)
{
    std::vector<std::wstring> names;
    for (const CommandRow& row : table.commands)
        if (row.command != CliCommand::Window)
            names.push_back(L"/" + std::wstring(row.name));
    std::wstring text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? L"" : i + 1 == names.size() ? L" or " : L", ") + names[i];
    return text;
}

// The row of the one command that the arguments name as a switch, however else they are wrong;
// null when they name none or more than one.
const CommandRow* NamedCommand(const std::vector<std::wstring>& args, const CommandTable& table)
{
    const CommandRow* named = nullptr;
    for (const std::wstring& arg : args) {
        if (arg.size() < 2 || (arg[0] != L'/' && arg[0] != L'-'))
            continue;
        const std::wstring name = Lower(arg.substr(1, arg.find(L':') == std::wstring::npos ? std::wstring::npos
                                                                                          : arg.find(L':') - 1));
        for (const CommandRow& row : table.commands)
            if (row.command != CliCommand::Window && name == row.name) {
                if (named && named != &row)
                    return nullptr;
                named = &row;
            }
    }
    return named;
}

CommandLineParse ParseWhole(const std::vector<std::wstring>& args, const CommandTable& table, PathExistsFn exists)
{
    CommandLineParse parse;
    CommandLine& line = parse.line;
    GivenSwitches given;
    for (const std::wstring& arg : args) {
        if (arg.size() < 2 || (arg[0] != L'/' && arg[0] != L'-')) {
            std::wstring mistyped = MistypedSwitchProblem(table, arg, exists);
            if (!mistyped.empty())
                return Refused(std::move(mistyped));
            line.paths.push_back(arg);
            continue;
        }
        std::wstring problem = ReadSwitch(table, arg, given, line);
        if (!problem.empty())
            return Refused(problem);
    }
    const CommandRow* command = nullptr;
    const CommandRow* window = nullptr;
    for (const CommandRow& row : table.commands) {
        if (row.command == CliCommand::Window)
            window = &row;
        if (row.command == CliCommand::Window || !given.count(row.name))
            continue;
        if (command)
            return Refused(L"/" + std::wstring(command->name) + L" and /" + row.name + L" cannot go together");
        command = &row;
    }
    if (!command) {
        if (!given.empty())
            return Refused(L"/" + given.begin()->first + L" needs a command (" + CommandList(table) + L")");
        parse.row = window;
        parse.ok = true;
        return parse;
    }
    std::wstring problem = CheckCommandSwitches(*command, given, line);
    if (!problem.empty())
        return Refused(problem);
    line.command = command->command;
    line.readsOnly = command->readsOnly || line.switches.whatif.has_value();
    parse.row = command;
    parse.ok = true;
    return parse;
}

}  // namespace

SwitchRule FlagSwitch(const wchar_t* name, bool Switches::*member)
{
    return {name, Takes::Nothing, nullptr, member};
}

SwitchRule TextSwitch(const wchar_t* name, Takes takes, const wchar_t* value, std::optional<std::wstring> Switches::*member)
{
    return {name, takes, value, member};
}

SwitchRule SecondsSwitch(const wchar_t* name, std::optional<unsigned> Switches::*member)
{
    return {name, Takes::Seconds, L"SECONDS", member};
}

SwitchRule CodePageSwitchRule(const wchar_t* name, std::optional<CodePageSwitch> Switches::*member)
{
    return {name, Takes::CodePage, L"CODEPAGE", member};
}

CommandLineParse ParseCommandLine(const std::vector<std::wstring>& args, const CommandTable& table, PathExistsFn exists)
{
    CommandLineParse parse = ParseWhole(args, table, exists);
    if (!parse.ok)
        parse.row = NamedCommand(args, table);
    return parse;
}

std::vector<std::wstring> UsageLines(const CommandTable& table)
{
    std::vector<std::wstring> lines{L"Usage:"};
    for (const CommandRow& row : table.commands) {
        lines.push_back(Synopsis(table, row));
        lines.push_back(L"      " + std::wstring(row.summary));
    }
    lines.insert(lines.end(), table.notes.begin(), table.notes.end());
    return lines;
}

bool AsksForJson(const std::vector<std::wstring>& args)
{
    return std::any_of(args.begin(), args.end(), [](const std::wstring& arg) {
        return arg.size() == 5 && (arg[0] == L'/' || arg[0] == L'-') && Lower(arg.substr(1)) == L"json";
    });
}
