#include "app/result_document.h"

#include <algorithm>

#include "app/json_writer.h"
#include "common/reg_text.h"
#include "common/utf.h"
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

// The messages in the order they were said, the conclusion last.
void Messages(JsonWriter& json, std::vector<OutcomeMessage> messages, const std::optional<OutcomeMessage>& conclusion)
{
    if (conclusion)
        messages.push_back(*conclusion);
    json.Key("messages").BeginArray();
    for (const OutcomeMessage& message : messages)
        json.BeginObject()
            .Key("kind").String(MessageKindName(message.kind))
            .Key("code").String(message.code)
            .Key("text").String(message.text)
            .EndObject();
    json.EndArray();
}

// A value's data as JSON: text as a string, a REG_DWORD as a number, REG_MULTI_SZ as an array
// of strings, anything else (or text that is not whole) as hex.
void ValueData(JsonWriter& json, const ChangeSide& side)
{
    const RegValueData value{L"", side.type, side.data};
    if (const std::optional<std::wstring> text = RegTextOf(value)) {
        json.String(*text);
        return;
    }
    if (const std::optional<uint32_t> number = RegDwordOf(value)) {
        json.Int(*number);
        return;
    }
    if (side.type == kRegMultiSz && side.data.size() % 2 == 0) {
        std::wstring all(side.data.size() / 2, L'\0');
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = static_cast<wchar_t>(side.data[2 * i] | side.data[2 * i + 1] << 8);
        json.BeginArray();
        for (size_t start = 0; start < all.size() && all[start] != L'\0';) {
            const size_t end = all.find(L'\0', start);
            json.String(std::wstring_view(all).substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
            start = end == std::wstring::npos ? all.size() : end + 1;
        }
        json.EndArray();
        return;
    }
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t byte : side.data)
        hex += {kHex[byte >> 4], kHex[byte & 15]};
    json.String(hex);
}

void SideFields(JsonWriter& json, const ChangeSide& side);

// A key's values or subkeys: an object of sides by name.
void NamedSides(JsonWriter& json, const char* name, const std::vector<ChangeSide::Named>& sides)
{
    json.Key(name).BeginObject();
    for (const ChangeSide::Named& named : sides) {
        json.Key(Utf8Of(named.name)).BeginObject();
        SideFields(json, named.side);
        json.EndObject();
    }
    json.EndObject();
}

void SideFields(JsonWriter& json, const ChangeSide& side)
{
    switch (side.kind) {
    case ChangeSide::Kind::Value:
        json.Key("type").String(RegTypeName(side.type));
        json.Key("data");
        ValueData(json, side);
        break;
    case ChangeSide::Kind::File:
        json.Key("size").Int(static_cast<long long>(side.size)).Key("sha256").String(side.sha256);
        if (!side.lines.empty()) {
            json.Key("lines").BeginArray();
            for (const std::wstring& line : side.lines)
                json.String(line);
            json.EndArray();
        }
        break;
    case ChangeSide::Kind::Key:
        NamedSides(json, "values", side.values);
        NamedSides(json, "subkeys", side.subkeys);
        break;
    }
}

// One side of a change or a difference: a value's type and data, a file's size and digest (and
// the header image's lines where they are known), a key's values and subkeys; null for nothing.
void Side(JsonWriter& json, const char* name, const std::optional<ChangeSide>& side)
{
    json.Key(name);
    if (!side) {
        json.Null();
        return;
    }
    json.BeginObject();
    SideFields(json, *side);
    json.EndObject();
}

void Problems(JsonWriter& json, const std::vector<Problem>& problems)
{
    json.Key("problems").BeginArray();
    for (const Problem& problem : problems) {
        json.BeginObject().Key("code").String(problem.code).Key("text").String(problem.text);
        TextIfAny(json, "key", problem.key);
        TextIfAny(json, "value", problem.value);
        TextIfAny(json, "file", problem.file);
        if (!problem.remedy.empty())
            json.Key("remedy").String(problem.remedy);
        if (problem.expected || problem.found) {
            Side(json, "expected", problem.expected);
            Side(json, "found", problem.found);
        }
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
        Side(json, "before", change.before);
        Side(json, "after", change.after);
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
        .Key("changed").Bool(outcome.Changed() || AnyJobSent(result.rows))  // a preview: the run would change something
        .Key("whatif").Bool(result.whatif);
    Messages(json, outcome.messages, result.conclusion);
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
    if (result.request) {
        json.Key("request").BeginObject();
        for (const auto& [name, value] : *result.request)
            json.Key(name).String(value);
        json.EndObject();
    }
    json.EndObject();
    return json.Text() + "\r\n";
}
