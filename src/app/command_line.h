// The program's command line: switches that start with '/' or '-', case-insensitive, a value
// after a colon. Without a command switch the window opens. The parser and the usage text both
// come from one command table (app/command_table.cpp), so that they cannot drift apart. Pure.
#pragma once
#include <optional>
#include <string>
#include <variant>
#include <vector>

enum class CliCommand { Window, Configure, Upgrade, Check, Show, Analyze, Submit, Settle, Help, Version };

// A code page as /headercp gives it: its number, and the value as it was typed ("utf-8").
struct CodePageSwitch {
    unsigned number = 0;
    std::wstring given;
};

// Every switch's value, typed, read once by the parser: a handler names a switch by its member,
// so that a misspelled name does not compile. A switch that was not given is empty (false).
struct Switches {
    std::optional<std::wstring> branch, pos, back, posprinter, backprinter, posunc, backunc, header;
    std::optional<std::wstring> whatif;  // empty for /whatif alone, the file of /whatif:FILE
    std::optional<std::wstring> report, journal, as;
    std::optional<unsigned> timeout, wait;  // seconds
    std::optional<CodePageSwitch> headercp;
    bool json = false, force = false;
};

struct CommandLine {
    CliCommand command = CliCommand::Window;
    Switches switches;
    std::vector<std::wstring> paths;  // arguments that are not switches, in order
    bool readsOnly = false;           // the command (or its preview) writes nothing at all
};

// What a switch takes after its colon.
enum class Takes {
    Nothing,         // no colon
    Text,            // a text that may not be empty
    TextOrEmpty,     // a text that may be empty (a series list, a UNC path)
    NothingOrText,   // no colon, or a text that may not be empty (/whatif:FILE)
    Seconds,         // a whole number of seconds from 1 to kMaxTimeoutSeconds (a week)
    CodePage,        // a code page's number from 1 to 65535, or utf-8 (65001)
};


// Where a switch's value goes: a member of Switches of the type that what it takes gives.
using SwitchMember = std::variant<bool Switches::*, std::optional<std::wstring> Switches::*,
                                  std::optional<unsigned> Switches::*, std::optional<CodePageSwitch> Switches::*>;

struct SwitchRule {
    const wchar_t* name;     // lower case, without the slash
    Takes takes;
    const wchar_t* value;    // the value's name in the usage ("N", "FILE"); null for none
    SwitchMember member;
};

// The rules, each with a member of the type that it takes: a flag (Takes::Nothing), a text of
// the given kind, seconds, a code page.
SwitchRule FlagSwitch(const wchar_t* name, bool Switches::*member);
SwitchRule TextSwitch(const wchar_t* name, Takes takes, const wchar_t* value, std::optional<std::wstring> Switches::*member);
SwitchRule SecondsSwitch(const wchar_t* name, std::optional<unsigned> Switches::*member);
SwitchRule CodePageSwitchRule(const wchar_t* name, std::optional<CodePageSwitch> Switches::*member);

// How a command takes a switch.
enum class Need {
    Required,
    Optional,
    Request,  // the request switches of /check: all or none
};

struct CommandSwitch {
    const wchar_t* name;
    Need need;
};

struct CommandResult;  // app/result_document.h
class ResultSink;      // app/result_sink.h
// A command's handler: runs the command and returns its result, telling the sink what must be
// shown while it runs. It never writes to a stream: the renderer does.
using CommandHandler = CommandResult (*)(const CommandLine& line, ResultSink& sink);

struct CommandRow {
    CliCommand command;
    const wchar_t* name;                  // the command's own switch
    std::vector<CommandSwitch> switches;  // in usage order
    const wchar_t* paths;                 // "PATH..." when it takes one path or more; null when none
    bool readsOnly;                       // writes nothing at all (with /whatif every command does)
    const wchar_t* summary;               // what it does, for the usage
    CommandHandler handler;               // null for the window and the usage: the entry point shows them
};

struct CommandTable {
    std::vector<SwitchRule> switches;
    std::vector<CommandRow> commands;
    std::vector<std::wstring> notes;  // the usage's lines after the commands
};

struct CommandLineParse {
    bool ok = false;
    std::wstring problem;  // what is wrong, for the usage message
    CommandLine line;
    // The command's row (the window's without one); refused, the row of the one command that
    // the arguments name, null when they name none.
    const CommandRow* row = nullptr;
};

// Whether a path names an existing file or folder (relative ones against the current folder).
using PathExistsFn = bool (*)(const std::wstring& path);

// The command table's rows, switches and notes, without handlers (app/command_table.cpp): pure,
// so that the fuzz target reads command lines against the very table that the program uses.
// Commands() (app/commands.*) gives each row its handler.
CommandTable CommandTableRows();

// Reads the arguments after the program's name (already split by the Windows rules, so a
// quoted value has lost its quotes). Refused: an unknown switch, a switch given twice, a
// value on a switch that takes none, a missing or empty value, a missing required switch, a
// request given in part, two commands, paths beside a command that takes none, a command that
// takes paths without one, seconds that are not a whole number from 1 to a week, and a code page
// that is neither a number nor utf-8. A mistyped switch is refused too, naming its first
// character: an argument that names no existing file or folder, whose first character (or the
// first one left once format characters are dropped) is followed, format characters dropped and
// full-width letters folded, by a switch's or command's name in any letter case, up to an
// optional ':' and value. exists answers the first question; null: nothing exists.
CommandLineParse ParseCommandLine(const std::vector<std::wstring>& args, const CommandTable& table,
                                  PathExistsFn exists = nullptr);

// Whether the arguments ask for a JSON answer (/json or -json, in any letter case), read without
// the parser, so that a refused command line can answer in JSON too.
bool AsksForJson(const std::vector<std::wstring>& args);

// The usage text, one line per entry, without line ends: "Usage:", one synopsis line per
// command with its summary below it, then the notes.
std::vector<std::wstring> UsageLines(const CommandTable& table);
