#include "app/result_document.h"

#include <algorithm>

#include "app/json_writer.h"
#include "vorla_version.h"

const char* const kResultFormatVersion = "1.1";

namespace {

void OptionalText(JsonWriter& json, const char* name, const std::optional<std::wstring>& text)
{
    json.Key(name);
    if (text)
        json.String(*text);
    else
        json.Null();
}

// A member for the key, value or file that a problem concerns, when it names one.
void TextIfAny(JsonWriter& json, const char* name, const std::wstring& text)
{
    if (!text.empty())
        json.Key(name).String(text);
}

void Messages(JsonWriter& json, const std::vector<OutcomeMessage>& messages)
{
    json.Key("messages").BeginArray();
    for (const OutcomeMessage& message : messages)
        json.BeginObject()
            .Key("kind").String(MessageKindName(message.kind))
            .Key("code").String(message.code)
            .Key("text").String(message.text)
            .EndObject();
    json.EndArray();
}

void Problems(JsonWriter& json, const std::vector<Problem>& problems)
{
    json.Key("problems").BeginArray();
    for (const Problem& problem : problems) {
        json.BeginObject().Key("code").String(problem.code).Key("text").String(problem.text);
        TextIfAny(json, "key", problem.key);
        TextIfAny(json, "value", problem.value);
        TextIfAny(json, "file", problem.file);
        json.EndObject();
    }
    json.EndArray();
}

void Changes(JsonWriter& json, const std::vector<Change>& changes)
{
    json.Key("changes").BeginArray();
    for (const Change& change : changes) {
        json.BeginObject()
            .Key("target").String(ChangeTargetName(change.target))
            .Key("action").String(ChangeActionName(change.action))
            .Key("path").String(change.path);
        TextIfAny(json, "name", change.name);
        json.EndObject();
    }
    json.EndArray();
}

void Rows(JsonWriter& json, const std::vector<ResultRow>& rows)
{
    json.Key("rows").BeginArray();
    for (const ResultRow& row : rows) {
        json.BeginObject()
            .Key("file").String(row.file)
            .Key("directions").String(row.directions)
            .Key("result").String(row.result)
            .Key("state").String(RowStateName(row.state));
        if (!row.why.empty())
            json.Key("why").String(row.why);
        json.EndObject();
    }
    json.EndArray();
}

// A job handed to the client changed the world as much as a written value.
bool AnyJobSent(const std::optional<std::vector<ResultRow>>& rows)
{
    return rows && std::any_of(rows->begin(), rows->end(),
                               [](const ResultRow& row) { return row.state == RowState::Submitted; });
}

}  // namespace

std::string ResultDocument(const CommandResult& result)
{
    const Outcome& outcome = result.outcome;
    JsonWriter json;
    json.BeginObject()
        .Key("program").String("vorlasched")
        .Key("version").String(VORLA_VERSION_TEXT)
        .Key("formatVersion").String(kResultFormatVersion)
        .Key("runId").String(result.facts.runId)
        .Key("host").String(result.facts.host)
        .Key("startedAt").String(result.facts.startedAt)
        .Key("durationMs").Int(result.facts.durationMs)
        .Key("command").String(result.command)
        .Key("exitCode").Int(result.exitCode)
        .Key("changed").Bool(!result.whatif && (outcome.Changed() || AnyJobSent(result.rows)))
        .Key("whatif").Bool(result.whatif);
    Messages(json, outcome.messages);
    Problems(json, outcome.problems);
    Changes(json, outcome.changes);
    OptionalText(json, "backup", outcome.backup);
    if (result.preview)
        json.Key("preview").String(*result.preview);
    if (result.report)
        json.Key("report").String(*result.report);
    if (result.rows)
        Rows(json, *result.rows);
    if (!result.usage.empty()) {
        json.Key("usage").BeginArray();
        for (const std::wstring& line : result.usage)
            json.String(line);
        json.EndArray();
    }
    json.EndObject();
    return json.Text() + "\r\n";
}
