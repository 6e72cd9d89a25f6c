// The commands of the command line, for fleet tools: no window and no message box, ever. Each
// message the dialog would show becomes a line on standard error; what a run wrote (the
// backup) or would write (/whatif) goes to standard output.
#pragma once
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/console.h"

enum ExitCode : int { ExitDone = 0, ExitFailed = 1, ExitBadCommandLine = 2, ExitReportToStdout = 4 };

// The problem, then the usage, on standard error.
int RefuseCommandLine(const std::wstring& problem, StdStream& err);

// Runs /configure, /upgrade or /?; returns the exit code.
int RunFleetCommand(const CommandLine& line, StdStream& out, StdStream& err);

// A header file's text: UTF-16 with its BOM, UTF-8 (with or without a BOM) when it is valid
// UTF-8, the ANSI code page otherwise.
std::wstring DecodeHeaderFile(const std::string& bytes);
