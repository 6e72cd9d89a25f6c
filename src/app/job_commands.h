// /analyze and /submit: the menu's passes on the rows that a drop of the paths gives, without a
// window, and a report of every row.
#pragma once
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/command_result.h"
#include "app/result_sink.h"

// Refuses with exit 2, before any job runs (the parser has refused a timeout above a week): a path that is
// neither an existing file or folder nor a print file's path, and a report that cannot be
// written or would replace a print file, a job-information file or a row's file. Otherwise runs
// the passes and writes the report to /report:FILE or standard output. A report that still
// cannot be written at the end goes to standard output (exit 4; exit 1 when the pass stopped).
// The result holds every row with its state; the sink hears the passes' messages as they come and,
// without /report, the report's rows as the pass ends them. /submit first holds the machine's submission lock,
// waiting /wait:SECONDS (60 by default), and ends with 5 when another run keeps it (submission-busy)
// or holds the journal open (journal-busy).
CommandResult RunJobsCommand(const CommandLine& line, bool submit, ResultSink& sink);

class JobJournal;
// Opens /journal:FILE into journal; when it cannot be opened, the refusal that ends the command:
// busy (exit 5, journal-busy) when another run holds it open, else exit 2 (output-refused).
std::optional<CommandResult> OpenJournal(const std::wstring& file, std::optional<JobJournal>& journal,
                                         CommandResult& result);

// /settle PATH... /journal:FILE /as:submitted|not-submitted: appends a "settled" line for each
// file that the journal shows as uncertain, so that the next /submit with that journal reports
// it as submitted earlier, or sends it. A file that the journal does not show as uncertain
// refuses the whole command line (exit 2), saying what the journal holds; nothing is written.
CommandResult RunSettleCommand(const CommandLine& line, ResultSink& sink);
