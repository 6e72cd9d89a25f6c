// The journal of a submission: a file that says which jobs went out, so that a run that was
// killed can be retried without sending a job twice. Pure: the lines and what they tell; the
// file itself is jobs/journal_file.*.
//
// The file is UTF-8 without a BOM, appended to and never rewritten, one line per event and key
// of its file, each line ending in LF:
//   <time>TAB run TAB <run>                              a run's first line, before its events
//   <time>TAB started TAB <key> TAB <file>               before the client is started
//   <time>TAB ended TAB <key> TAB <file> TAB <answer>    once the client has ended and answered
//   <time>TAB not started TAB <key> TAB <file>           the client could not be started
//   <time>TAB settled TAB <key> TAB <file> TAB <as>      a technician settled an uncertain job
// <time> is UTC, "2026-12-07T22:40:05Z"; <run> the identifier of the run whose events follow
// (one run at a time holds a journal); <key> is a key of the file (JournalKey), <file> the
// row's path, <answer> the client's answer as the Result shows it, <as> "submitted" or
// "not-submitted". Inside a field, '%', TAB, CR and LF are written %25, %09, %0D and %0A.
// The events' lines keep the fields that earlier versions wrote and read: an older program
// given this journal (a rollback in the middle of an outage) still sends no job it shows as
// started; it passes over the lines it does not know, and so takes a settled job for uncertain.
// An event is written under each key of its file, identity first, in one write.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>

#include "jobs/row_state.h"

enum class JournalEvent { Started, Ended, NotStarted, Settled };

// The keys under which a journal knows a file: its identity, the same however a path reaches it
// (its volume and file ID, where the volume gives them, else its final path), and the key of
// its path (FileIdentity), under which earlier versions knew it.
struct JournalKey {
    std::wstring identity;
    std::wstring path;
};

// The <as> of a "settled" line.
inline constexpr wchar_t kSettledSubmitted[] = L"submitted";
inline constexpr wchar_t kSettledNotSubmitted[] = L"not-submitted";

// One line of the journal, with its LF. detail is the answer of "ended" and the <as> of
// "settled"; the other events have none.
std::string JournalLine(std::wstring_view time, JournalEvent event, std::wstring_view key, std::wstring_view file,
                        std::wstring_view detail = {});
// The line that heads a run's events: the run's identifier.
std::string JournalRunLine(std::wstring_view time, std::string_view runId);

// What the journal shows of a key: submitted earlier (with the answer), uncertain, or free again
// (NotSubmitted: its client could not start, or it was settled as not submitted).
struct JournalRecord {
    RowState state = RowState::Uncertain;
    std::wstring answer;  // the client's answer; for a job settled as submitted, the note that says so
    std::wstring time;    // the time of the line that decided
    size_t line = 0;      // that line's place in the journal, from 0
    bool settled = false; // that line settles the job
};

// What a record says, for a technician, with the time of the line that decided: "started at T and
// never seen to end (uncertain)", "its start, settled as not submitted at T (...)", ...
std::wstring JournalRecordText(const JournalRecord& record);

// What the journal shows of a file: the record of its keys that a later line decided, free ones
// too; null when it shows none.
const JournalRecord* RecordOf(const std::unordered_map<std::wstring, JournalRecord>& records, const JournalKey& key);

// What a journal's bytes show of each key: its last event decides. "started" without an "ended"
// after it is uncertain; "ended" is submitted earlier; "not started" leaves the key free again;
// "settled" as submitted is submitted earlier (its Result says that it was settled), as
// not-submitted leaves the key free again (both kept, NotSubmitted, so that a later line under
// one key of a file outweighs an earlier one under another).
// A line that cannot be read (one cut short by a kill while it was written) is passed over.
std::unordered_map<std::wstring, JournalRecord> ReadJournal(std::string_view bytes);
// The same for lines that follow others: the first is the journal's firstLine; gives the place of
// the line after the last whole one.
size_t ReadJournalLines(std::string_view bytes, size_t firstLine, std::unordered_map<std::wstring, JournalRecord>& records);
