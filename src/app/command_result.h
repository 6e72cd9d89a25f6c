// A command's result as its handler builds it, for whichever renderer shows it (the console's
// lines, the JSON document, a box): what it holds, the exit codes, the one rule that turns a
// result into its exit code, and the endings that every handler shares. Pure.
#pragma once
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/codes.h"
#include "common/error_text.h"
#include "common/outcome.h"
#include "jobs/row_state.h"

// One row of /analyze or /submit as the report holds it, with where it stands.
struct ResultRow {
    std::wstring file;
    std::wstring directions;
    std::wstring result;
    RowState state = RowState::NotSubmitted;
    std::string why;  // the code of the failure that stopped the pass here; empty otherwise
};

// Which run answered, where and when: what a fleet report lists beside the result.
struct RunFacts {
    std::string runId;      // also on the journal's lines
    std::wstring host;      // the computer's name
    std::string startedAt;  // UTC, ISO 8601 ("2026-12-08T05:04:59.123Z")
    long long durationMs = 0;
};

// How the console shows the refusal that ended a command (exit 2, nothing ran): its problem is
// the last message, shown after "vorlasched: ", alone or with the usage after it (when the usage
// can mend the command line).
enum class RefusalShown { None, Alone, WithUsage };

// Everything a command answers, for whichever renderer shows it. A handler fills it and returns
// it; the renderer decides where each part goes (app/command_reply.h).
struct CommandResult {
    std::string command;  // "configure", "check", ..., "?"; empty for a command line without one
    int exitCode = 0;     // ExitCodeOf (app/command_result.h), once the command has ended
    int end = 0;          // how the command's own work ended, before the report and the journal have their say
    bool reportToOutput = false;  // the report file could not be written: the report went to standard output
    RefusalShown refusal = RefusalShown::None;
    bool wroteNothing = false;  // nothing at all was written, whatever the command's row says it may write
    std::vector<std::wstring> answer;  // lines of standard output that the document holds elsewhere (the version)
    Outcome outcome;
    // The run's last word, said of its problems ("Nothing was written: ... the problems above"):
    // after the messages and the problems.
    std::optional<OutcomeMessage> conclusion;
    bool whatif = false;                         // a preview: nothing was changed
    std::optional<std::wstring> preview;         // the preview's .reg text
    std::optional<std::wstring> report;          // the file the CSV report went to
    std::optional<std::vector<ResultRow>> rows;  // /analyze and /submit
    std::vector<std::wstring> usage;             // /?: the usage's lines
    // /show: the request that gives the configuration, each switch's name with its value.
    std::optional<std::vector<std::pair<std::string, std::wstring>>> request;
    RunFacts facts;
};

enum ExitCode : int {
    ExitDone = 0,
    ExitFailed = 1,               // a check failed, or a write or failure stopped the run
    ExitBadCommandLine = 2,       // nothing ran
    ExitRanWithProblems = 3,      // the run ended, but the configuration it left has problems (listed)
    ExitReportToStdout = 4,       // the pass ended; its report could not be written and went to standard output
    ExitBusy = 5,                 // another run holds the configuration, the submission or the journal; nothing ran, try again later
    ExitUncertain = 6,            // a job that an earlier run started may have been submitted; it was not sent again
};

// The exit code of a result. A row left uncertain says 6 whatever else happened, since it needs
// a technician before anything else; otherwise the command's own end decides (a pass that
// stopped on a failure says 1), and a report that went to standard output says 4 only when the
// command ended done: 6 > 1 > 4 > 0.
int ExitCodeOf(const CommandResult& result);

// Ended by a refusal of the command line (exit 2, nothing ran): the problem kept as a failure
// with its code, shown by the console as how says.
CommandResult Refused(CommandResult result, const std::wstring& problem, const char* code = codes::kCommandLineRefused,
                      RefusalShown how = RefusalShown::Alone);

// Ended by a failure with its code; end is the exit code it gives.
CommandResult Failed(CommandResult result, const char* code, const std::wstring& text, int end = ExitFailed);

// A handler's steps on its result, which they end with their exit code. An exception ends it as a
// failure (unexpected-error), keeping what the steps had put in it.
template <class Steps>
CommandResult Guarded(const Steps& steps)
{
    CommandResult result;
    try {
        result.end = steps(result);
    } catch (const std::exception& e) {
        result = Failed(std::move(result), codes::kUnexpectedError, ErrorText(e));
    }
    return result;
}
