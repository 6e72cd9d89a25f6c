#include "jobs/journal.h"

#include <optional>
#include <vector>

#include "common/utf.h"

namespace {

const wchar_t* EventName(JournalEvent event)
{
    switch (event) {
    case JournalEvent::Started: return L"started";
    case JournalEvent::Ended: return L"ended";
    case JournalEvent::NotStarted: return L"not started";
    case JournalEvent::Settled: return L"settled";
    }
    return L"";
}

std::wstring Escaped(std::wstring_view text)
{
    std::wstring field;
    field.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'%': field += L"%25"; break;
        case L'\t': field += L"%09"; break;
        case L'\r': field += L"%0D"; break;
        case L'\n': field += L"%0A"; break;
        default: field += c;
        }
    }
    return field;
}

std::wstring Unescaped(std::wstring_view field)
{
    std::wstring text;
    text.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        const std::wstring_view code = field.substr(i + 1, 2);
        if (field[i] == L'%' && code.size() == 2) {
            const wchar_t* codes[] = {L"25", L"09", L"0D", L"0A"};
            const wchar_t chars[] = {L'%', L'\t', L'\r', L'\n'};
            bool known = false;
            for (size_t k = 0; k < 4 && !known; ++k)
                if (code == codes[k]) {
                    text += chars[k];
                    i += 2;
                    known = true;
                }
            if (known)
                continue;
        }
        text += field[i];
    }
    return text;
}

std::vector<std::wstring_view> Fields(std::wstring_view line)
{
    std::vector<std::wstring_view> fields;
    for (size_t start = 0;;) {
        const size_t tab = line.find(L'\t', start);
        fields.push_back(line.substr(start, tab == std::wstring_view::npos ? std::wstring_view::npos : tab - start));
        if (tab == std::wstring_view::npos)
            return fields;
        start = tab + 1;
    }
}

// The fields of an event's line: the time, the event, the key, the file, and
// the detail of the events that have one.
size_t FieldCount(JournalEvent event)
{
    return event == JournalEvent::Ended || event == JournalEvent::Settled ? 5 : 4;
}

// The event that a line's fields hold; none for a run's line or a line of no known shape.
std::optional<JournalEvent> EventOf(const std::vector<std::wstring_view>& fields)
{
    for (JournalEvent event : {JournalEvent::Started, JournalEvent::Ended, JournalEvent::NotStarted, JournalEvent::Settled})
        if (fields.size() == FieldCount(event) && fields[1] == EventName(event))
            return event;
    return std::nullopt;
}

}  // namespace

std::string JournalLine(std::wstring_view time, JournalEvent event, std::wstring_view key, std::wstring_view file,
                        std::wstring_view detail)
{
    std::wstring line = Escaped(time) + L"\t" + EventName(event) + L"\t" + Escaped(key) + L"\t" + Escaped(file);
    if (FieldCount(event) == 5)
        line += L"\t" + Escaped(detail);
    return Utf8Of(line + L"\n");
}

std::string JournalRunLine(std::wstring_view time, std::string_view runId)
{
    return Utf8Of(Escaped(time) + L"\trun\t") + std::string(runId) + "\n";
}

std::wstring JournalRecordText(const JournalRecord& record)
{
    if (record.state == RowState::Uncertain)
        return L"started at " + record.time + L" and never seen to end (uncertain)";
    if (record.state == RowState::NotSubmitted)
        return (record.settled ? L"its start, settled as not submitted at " : L"a start whose client could not be started at ") +
               record.time + L" (the next run sends it)";
    return L"submitted earlier: " + record.answer + (record.settled ? L"" : L" (its end at " + record.time + L")");
}

const JournalRecord* RecordOf(const std::unordered_map<std::wstring, JournalRecord>& records, const JournalKey& key)
{
    const JournalRecord* latest = nullptr;
    for (const std::wstring* k : {&key.identity, &key.path}) {
        auto it = records.find(*k);
        if (it != records.end() && (!latest || it->second.line > latest->line))
            latest = &it->second;
    }
    return latest;
}

std::unordered_map<std::wstring, JournalRecord> ReadJournal(std::string_view bytes)
{
    std::unordered_map<std::wstring, JournalRecord> records;
    ReadJournalLines(bytes, 0, records);
    return records;
}

size_t ReadJournalLines(std::string_view bytes, size_t firstLine, std::unordered_map<std::wstring, JournalRecord>& records)
{
    size_t number = firstLine;
    for (size_t start = 0; start < bytes.size(); ++number) {
        const size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            break;  // cut short: its event did not happen
        const std::optional<std::wstring> line = WideOfUtf8(bytes.substr(start, end - start));
        start = end + 1;
        if (!line)
            continue;
        const std::vector<std::wstring_view> fields = Fields(*line);
        const std::optional<JournalEvent> event = EventOf(fields);
        if (!event)
            continue;
        const std::wstring key = Unescaped(fields[2]), time = Unescaped(fields[0]);
        const std::wstring detail = FieldCount(*event) == 5 ? Unescaped(fields[4]) : std::wstring();
        const bool settled = *event == JournalEvent::Settled;
        if (*event == JournalEvent::Started)
            records[key] = {RowState::Uncertain, {}, time, number};
        else if (*event == JournalEvent::Ended)
            records[key] = {RowState::SubmittedEarlier, detail, time, number};
        else if (settled && detail == kSettledSubmitted)
            records[key] = {RowState::SubmittedEarlier, L"settled by hand as submitted at " + time, time, number, true};
        else if (*event == JournalEvent::NotStarted || (settled && detail == kSettledNotSubmitted))
            records[key] = {RowState::NotSubmitted, {}, time, number, settled};
    }
    return number;
}
