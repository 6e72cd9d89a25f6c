#include "app/command_line.h"

#include <algorithm>
#include <cwctype>

#include "common/text.h"

namespace {

// Value: a text that may not be empty; AnyText: one that may (an empty series list, an empty UNC path).
enum class Takes { Nothing, Value, AnyText, Seconds };

struct SwitchSpec {
    const wchar_t* name;
    Takes takes;
};

const SwitchSpec kSwitches[] = {
    {L"configure", Takes::Nothing}, {L"upgrade", Takes::Nothing},    {L"check", Takes::Nothing},
    {L"?", Takes::Nothing},
    {L"whatif", Takes::Nothing},    {L"branch", Takes::Value},       {L"pos", Takes::AnyText},
    {L"back", Takes::AnyText},      {L"posprinter", Takes::Value},   {L"backprinter", Takes::Value},
    {L"posunc", Takes::AnyText},    {L"backunc", Takes::AnyText},    {L"header", Takes::Value},
    {L"analyze", Takes::Nothing},   {L"submit", Takes::Nothing},     {L"report", Takes::Value},
    {L"timeout", Takes::Seconds},
};

struct CommandSpec {
    CliCommand command;
    const wchar_t* name;
    std::vector<std::wstring> required;
    std::vector<std::wstring> optional;
    std::vector<std::wstring> together;  // optional switches that come all or none
    bool takesPaths = false;             // at least one
};

const std::vector<std::wstring> kRequestSwitches = {L"branch", L"pos", L"back", L"posprinter", L"backprinter"};

const CommandSpec kCommands[] = {
    {CliCommand::Configure, L"configure", {L"branch", L"pos", L"back", L"posprinter", L"backprinter", L"header"},
     {L"posunc", L"backunc", L"whatif"}, {}},
    {CliCommand::Upgrade, L"upgrade", {}, {L"whatif"}},
    {CliCommand::Check,
     L"check",
     {},
     {L"branch", L"pos", L"back", L"posprinter", L"backprinter", L"posunc", L"backunc"},
     kRequestSwitches},
    {CliCommand::Analyze, L"analyze", {}, {L"report"}, {}, true},
    {CliCommand::Submit, L"submit", {}, {L"report", L"timeout"}, {}, true},
    {CliCommand::Help, L"?", {}, {}},
};

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

const SwitchSpec* FindSwitch(const std::wstring& name)
{
    for (const SwitchSpec& spec : kSwitches)
        if (name == spec.name)
            return &spec;
    return nullptr;
}

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name)
{
    for (const std::wstring& n : names)
        if (n == name)
            return true;
    return false;
}

// The switches beside the command: every required one given, nothing that the command does not take.
std::wstring CheckCommandSwitches(const CommandSpec& spec, const CommandLine& line)
{
    for (const std::wstring& name : spec.required)
        if (!line.Has(name))
            return L"/" + std::wstring(spec.name) + L" needs /" + name;
    for (const auto& [name, value] : line.values)
        if (name != spec.name && !Contains(spec.required, name) && !Contains(spec.optional, name))
            return L"/" + name + L" does not go with /" + spec.name;
    for (const std::wstring& name : spec.together)
        if (!line.Has(name) && std::any_of(spec.together.begin(), spec.together.end(),
                                           [&line](const std::wstring& n) { return line.Has(n); }))
            return L"/" + std::wstring(spec.name) + L" with a request needs /" + name;
    if (!spec.takesPaths && !line.paths.empty())
        return L"/" + std::wstring(spec.name) + L" takes no path: " + line.paths.front();
    if (spec.takesPaths && line.paths.empty())
        return L"/" + std::wstring(spec.name) + L" needs at least one path";
    return {};
}

CommandLineParse Refused(std::wstring problem)
{
    CommandLineParse parse;
    parse.problem = std::move(problem);
    return parse;
}

}  // namespace

std::wstring CommandLine::Value(const std::wstring& name, const std::wstring& fallback) const
{
    auto it = values.find(name);
    return it == values.end() ? fallback : it->second;
}

bool CommandLine::ChangesNothing() const
{
    return whatIf || command == CliCommand::Check || command == CliCommand::Analyze || command == CliCommand::Help;
}

CommandLineParse ParseCommandLine(const std::vector<std::wstring>& args)
{
    CommandLineParse parse;
    CommandLine& line = parse.line;
    for (const std::wstring& arg : args) {
        if (arg.size() < 2 || (arg[0] != L'/' && arg[0] != L'-')) {
            line.paths.push_back(arg);
            continue;
        }
        const size_t colon = arg.find(L':');
        const std::wstring name = Lower(arg.substr(1, colon == std::wstring::npos ? std::wstring::npos : colon - 1));
        const SwitchSpec* spec = FindSwitch(name);
        if (!spec)
            return Refused(L"unknown switch " + arg);
        if (line.Has(name))
            return Refused(L"/" + name + L" is given twice");
        if (spec->takes == Takes::Nothing && colon != std::wstring::npos)
            return Refused(L"/" + name + L" takes no value");
        if (spec->takes != Takes::Nothing && colon == std::wstring::npos)
            return Refused(L"/" + name + L" needs a value after a colon");
        line.values[name] = colon == std::wstring::npos ? std::wstring() : arg.substr(colon + 1);
        if (spec->takes == Takes::Value && line.values[name].empty())
            return Refused(L"/" + name + L" needs a value after the colon");
        if (spec->takes == Takes::Seconds &&
            (!ParseInt32(line.values[name], line.timeoutSeconds) || line.timeoutSeconds < 1))
            return Refused(L"/" + name + L" needs a whole number of seconds from 1");
    }
    const CommandSpec* command = nullptr;
    for (const CommandSpec& spec : kCommands) {
        if (!line.Has(spec.name))
            continue;
        if (command)
            return Refused(L"/" + std::wstring(command->name) + L" and /" + spec.name + L" cannot go together");
        command = &spec;
    }
    if (!command) {
        if (!line.values.empty())
            return Refused(L"/" + line.values.begin()->first +
                           L" needs a command (/configure, /upgrade, /check, /analyze or /submit)");
        parse.ok = true;
        return parse;
    }
    std::wstring problem = CheckCommandSwitches(*command, line);
    if (!problem.empty())
        return Refused(problem);
    line.command = command->command;
    line.whatIf = line.Has(L"whatif");
    parse.ok = true;
    return parse;
}

std::vector<std::wstring> UsageLines()
{
    return {
        L"Usage:",
        L"  vorlasched /configure /branch:N /pos:LIST /back:LIST /posprinter:NAME /backprinter:NAME",
        L"             [/posunc:PATH] [/backunc:PATH] /header:FILE [/whatif]",
        L"  vorlasched /upgrade [/whatif]",
        L"  vorlasched /check [/branch:N /pos:LIST /back:LIST /posprinter:NAME /backprinter:NAME",
        L"                     [/posunc:PATH] [/backunc:PATH]]",
        L"  vorlasched /analyze PATH... [/report:FILE]",
        L"  vorlasched /submit PATH... [/report:FILE] [/timeout:SECONDS]",
        L"  vorlasched [PATH...]   opens the window with the rows that a drop of the paths gives",
        L"  vorlasched /?",
        L"Switches may start with / or -, in any letter case; a value follows a colon and may be quoted.",
        L"/header:FILE holds the five lines of the branch header (UTF-8, or the ANSI code page).",
        L"/whatif writes nothing and prints what the run would write, as .reg text.",
        L"/check writes nothing and lists every problem of the configuration, one per line.",
        L"/analyze and /submit run the menu's passes on the paths and write a CSV report (UTF-8) to FILE or",
        L"standard output; /timeout ends a client that runs longer and stops the pass.",
        L"Exit codes: 0 done (/check: no problem), 1 a check failed, a write or a failure stopped the run",
        L"(/check: problems),",
        L"2 a bad command line.",
    };
}
