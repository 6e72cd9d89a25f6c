// The journal file of /submit /journal:FILE (the format: jobs/journal.h).
#pragma once
#include <string>
#include <unordered_map>

#include "common/fileio.h"
#include "common/handles.h"
#include "jobs/journal.h"

class JobJournal {
public:
    // Opens the journal, or makes it, for reading what earlier runs wrote and for appending;
    // others may read it but not write it while this run holds it. Throws AppError when it
    // cannot be opened or read.
    explicit JobJournal(const std::wstring& path);

    // The key under which the journal knows the file of a row.
    std::wstring KeyOf(const std::wstring& path) { return identity_.FileKeyOf(path); }
    // What an earlier run left of this key; null when it started no job for it.
    const JournalRecord* Earlier(const std::wstring& key) const;
    // Appends one line and has it on the disk (FlushFileBuffers) before returning. Throws
    // AppError when it cannot.
    void Write(JournalEvent event, const std::wstring& key, const std::wstring& file, const std::wstring& answer = {});

    const std::wstring& Path() const { return path_; }

private:
    void Append(const std::string& bytes);

    std::wstring path_;
    UniqueFile file_;
    FileIdentity identity_;
    std::unordered_map<std::wstring, JournalRecord> earlier_;
};
