// A command's result as its handler builds it: the exit codes, the one rule that turns a result
// into its exit code, and the endings that every handler shares. Pure.
#pragma once
#include <exception>
#include <string>

#include "app/result_document.h"
#include "common/codes.h"
#include "common/error_text.h"

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
