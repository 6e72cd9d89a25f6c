// The journal file of /submit /journal:FILE (the format: jobs/journal.h).
#pragma once
#include <string>
#include <unordered_map>

#include "common/fileio.h"
#include "common/handles.h"
#include "jobs/journal.h"

// Whether a journal (or a report) that could not be opened, with this error, is held open by
// another run: busy, worth a retry, not a mistake in the command line.
bool HeldByAnotherRun(unsigned long error);

class JobJournal {
public:
    // Opens the journal, or makes it, for reading what earlier runs wrote and for appending;
    // others may read it but not write it while this run holds it. Throws Win32Error when it
    // cannot be opened (HeldByAnotherRun tells a busy one), AppError when it cannot be read.
    explicit JobJournal(const std::wstring& path);

    // The keys under which the journal knows the file of a row.
    JournalKey KeyOf(const std::wstring& path);
    // What the journal shows of this file that keeps it from going out: submitted earlier, or
    // uncertain (by an earlier run, or by this one under another name of the file); null when
    // it shows no start of it, or the file is free again.
    const JournalRecord* Earlier(const JournalKey& key) const;
    // What the journal holds of this file, free again too; null when it holds nothing of it.
    const JournalRecord* Record(const JournalKey& key) const { return RecordOf(earlier_, key); }
    // Appends one line (the first event of a run comes after a line with the run's identifier,
    // ThisRunId()); a start or a settlement is on the disk
    // (FlushFileBuffers) before this returns, so that no
    // client runs before the journal can show it after a kill or a power cut. An end or a failed
    // start is only written: a kill cannot lose it, and should a power cut lose it the job is
    // uncertain, never sent twice (the next start's flush takes it to the disk too). Throws
    // AppError when the line cannot be written.
    // detail: the answer of an end, the <as> of a settlement.
    void Write(JournalEvent event, const JournalKey& key, const std::wstring& file, const std::wstring& detail = {});

    const std::wstring& Path() const { return path_; }

private:
    void Append(const std::string& bytes, bool flush);

    std::wstring path_;
    UniqueFile file_;
    FileIdentity identity_;
    std::unordered_map<std::wstring, JournalRecord> earlier_;  // what the journal holds, this run's lines too
    size_t lines_ = 0;                                         // the journal's lines
    bool runWritten_ = false;
};
