// The document that a command answers with /json: one JSON object, the same fields for every
// command, described by docs/fleet/vorlasched-result.schema.json. Fleet tools rely on its
// field names: new ones may come, none is ever renamed. Pure.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/command_result.h"

// The document's format: "1.1". Fields and codes are only ever added; a consumer ignores what
// it does not know.
extern const char* const kResultFormatVersion;

// The document, UTF-8 without a BOM, ending in CR LF.
std::string ResultDocument(const CommandResult& result);
