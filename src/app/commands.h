// The commands of the command line, for fleet tools: the one command table (each row a command,
// its switches, its usage and its handler) and what runs it. No window and no message box,
// ever: success goes to standard output, warnings and failures to standard error, and the exit
// code says how it ended.
#pragma once
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/console.h"

enum ExitCode : int {
    ExitDone = 0,
    ExitFailed = 1,               // a check failed, or a write or failure stopped the run
    ExitBadCommandLine = 2,       // nothing ran
    ExitRanWithProblems = 3,      // the run ended, but the configuration it left has problems (listed)
    ExitReportToStdout = 4,       // the pass ended; its report could not be written and went to standard output
    ExitBusy = 5,                 // another run holds the configuration, the submission or the journal; nothing ran, try again later
    ExitUncertain = 6,            // a job that an earlier run started may have been submitted; it was not sent again
};

// The table that the parser, the usage and the dispatch share.
const CommandTable& Commands();

// The problem, then the usage, on standard error: for a command line that the usage can mend.
int RefuseCommandLine(const std::wstring& problem, StdStream& err);
// The problem alone, on standard error (exit 2): for a refusal that the usage would not help
// with (a file that is missing or cannot be written).
int RefuseRun(const std::wstring& problem, StdStream& err);

// Runs the parsed command with its row's handler; returns the exit code. With /json, standard
// output holds the command's document alone, written at the end, whatever happened. When
// wroteNothing is given, it is set to whether the command wrote nothing at all (it found nothing
// to change, refused before its first write, or found the configuration busy).
int RunCommandLine(const CommandLineParse& parse, StdStream& out, StdStream& err, bool* wroteNothing = nullptr);

// The usage as a JSON document, its lines in "usage", on standard output.
int UsageInJson(StdStream& out, StdStream& err);

// A command line refused before it was parsed whole, answered in JSON as well as on standard error.
int RefuseInJson(const std::wstring& problem, StdStream& out, StdStream& err);
