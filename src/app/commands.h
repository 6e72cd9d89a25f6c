// The commands of the command line, for fleet tools: the one command table (each row a command,
// its switches, its usage and its handler) and what runs it. No window and no message box,
// ever: success goes to standard output, warnings and failures to standard error, and the exit
// code says how it ended.
#pragma once
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/command_result.h"
#include "app/console.h"

// The table that the parser, the usage and the dispatch share.
const CommandTable& Commands();

// Runs the parsed command with its row's handler; returns the exit code. With /json, standard
// output holds the command's document alone, written at the end, whatever happened. When
// wroteNothing is given, it is set to whether the command wrote nothing at all (it found nothing
// to change, refused before its first write, or found the configuration busy).
int RunCommandLine(const CommandLineParse& parse, StdStream& out, StdStream& err, bool* wroteNothing = nullptr);

// The usage asked for (/?), through the renderer: its lines on out, or, with json, a document
// that holds them in "usage".
int AnswerUsage(bool json, StdStream& out, StdStream& err);

// A refused command line, answered in JSON as well as on standard error; the document names the
// command when the command line named one.
int RefuseInJson(const CommandLineParse& parse, StdStream& out, StdStream& err);
