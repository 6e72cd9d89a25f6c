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
};

// The document, UTF-8 without a BOM, ending in CR LF.
std::string ResultDocument(const CommandResult& result);
