// /analyze and /submit: the menu's passes on the rows that a drop of the paths gives, without a
// window, and a report of every row.
#pragma once
#include "app/command_line.h"
#include "app/command_reply.h"

// Refuses with exit 2, before any job runs (the parser has refused a timeout above a week): a path that is
// neither an existing file or folder nor a print file's path, and a report that cannot be
// written or would replace a print file, a job-information file or a row's file. Otherwise runs
// the passes and writes the report to /report:FILE or standard output. A report that still
// cannot be written at the end goes to standard output (exit 4; exit 1 when the pass stopped).
// The reply keeps every row with its state.
int RunJobsCommand(const CommandLine& line, bool submit, CommandReply& reply);
