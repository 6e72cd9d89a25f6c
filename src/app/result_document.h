// The document that a command answers with /json: one JSON object, the same fields for every
// command, described by docs/fleet/vorlasched-result.schema.json. Fleet tools rely on its
// field names: new ones may come, none is ever renamed. Pure.
#pragma once
#include <optional>
#include <string>
#include <vector>

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

// The document's format: "1.1". Fields and codes are only ever added; a consumer ignores what
// it does not know.
extern const char* const kResultFormatVersion;

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
    size_t messagesShown = 0;   // the first messages, shown already as they came (a pass's stop)
    size_t problemsAfter = 0;   // the problems are shown after this many messages
    std::vector<std::wstring> answer;  // lines of standard output that the document holds elsewhere (the version)
    Outcome outcome;
    bool whatif = false;                         // a preview: nothing was changed
    std::optional<std::wstring> preview;         // the preview's .reg text
    std::optional<std::wstring> report;          // the file the CSV report went to
    std::optional<std::vector<ResultRow>> rows;  // /analyze and /submit
    std::vector<std::wstring> usage;             // /?: the usage's lines
    // /show: the request that gives the configuration, each switch's name with its value.
    std::optional<std::vector<std::pair<std::string, std::wstring>>> request;
    RunFacts facts;
};

// The document, UTF-8 without a BOM, ending in CR LF.
std::string ResultDocument(const CommandResult& result);
