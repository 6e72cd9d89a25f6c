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

// Everything a command answers, for whichever renderer shows it.
struct CommandResult {
    std::string command;  // "configure", "check", ..., "?"; empty for a command line without one
    int exitCode = 0;
    Outcome outcome;
    bool whatif = false;                         // a preview: nothing was changed
    std::optional<std::wstring> preview;         // the preview's .reg text
    std::optional<std::wstring> report;          // the file the CSV report went to
    std::optional<std::vector<ResultRow>> rows;  // /analyze and /submit
    std::vector<std::wstring> usage;             // /?: the usage's lines
    RunFacts facts;
};

// The document, UTF-8 without a BOM, ending in CR LF.
std::string ResultDocument(const CommandResult& result);
