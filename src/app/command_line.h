// The program's command line: switches that start with '/' or '-', case-insensitive, a value
// after a colon. Without a command switch the window opens. Pure.
#pragma once
#include <map>
#include <string>
#include <vector>

enum class CliCommand { Window, Configure, Upgrade, Check, Analyze, Submit, Help };

struct CommandLine {
    CliCommand command = CliCommand::Window;
    std::map<std::wstring, std::wstring> values;  // switch name (lower case) -> value
    bool whatIf = false;
    std::vector<std::wstring> paths;  // arguments that are not switches, in order
    int timeoutSeconds = 0;           // /timeout: per job; 0 waits as long as the client runs

    bool Has(const std::wstring& name) const { return values.count(name) != 0; }
    // A command that only reads (a preview, a check, an analysis, the usage) writes nothing at all.
    bool ChangesNothing() const;
    // The value of a switch, or fallback when it was not given.
    std::wstring Value(const std::wstring& name, const std::wstring& fallback = L"") const;
};

struct CommandLineParse {
    bool ok = false;
    std::wstring problem;  // what is wrong, for the usage message
    CommandLine line;
};

// Reads the arguments after the program's name (already split by the Windows rules, so a
// quoted value has lost its quotes). Refused: an unknown switch, a switch given twice, a
// value on a switch that takes none, a missing value, a missing required switch, two commands,
// paths beside a command that takes none, /analyze or /submit without a path, and a /timeout
// that is not a whole number of seconds from 1.
CommandLineParse ParseCommandLine(const std::vector<std::wstring>& args);

// The usage text, one line per entry, without line ends.
std::vector<std::wstring> UsageLines();
