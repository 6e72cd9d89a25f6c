#include "jobs/journal_file.h"

#include <windows.h>

#include "common/errors.h"
#include "common/run_id.h"

namespace {

std::wstring UtcNow()
{
    SYSTEMTIME t;
    GetSystemTime(&t);
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

}  // namespace

bool HeldByAnotherRun(unsigned long error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

JobJournal::JobJournal(const std::wstring& path) : path_(path)
{
    file_ = OpenFile(path, GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ, OPEN_ALWAYS);
    if (!file_)
        throw Win32Error(L"Cannot open the journal " + path + L", error ", GetLastError());
    if (GetFileType(file_.get()) != FILE_TYPE_DISK)
        throw AppError(L"The journal " + path + L" is no disk file");
    std::string bytes;
    char buffer[65536];
    for (DWORD got = 0;;) {
        if (!ReadFile(file_.get(), buffer, sizeof buffer, &got, nullptr))
            throw Win32Error(L"Cannot read the journal " + path + L", error ", GetLastError());
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    lines_ = ReadJournalLines(bytes, 0, earlier_);
    if (!bytes.empty() && bytes.back() != '\n') {
        Append("\n", false);  // a line cut short by a kill stays apart from the next
        ++lines_;
    }
}

JournalKey JobJournal::KeyOf(const std::wstring& path)
{
    JournalKey key{FileIdOf(path), identity_.FileKeyOf(path)};
    if (key.identity.empty())
        key.identity = key.path;
    return key;
}

const JournalRecord* JobJournal::Earlier(const JournalKey& key) const
{
    const JournalRecord* record = Record(key);
    return record && record->state != RowState::NotSubmitted ? record : nullptr;
}

void JobJournal::Write(JournalEvent event, const JournalKey& key, const std::wstring& file,
                       const std::wstring& detail)
{
    const std::wstring now = UtcNow();
    if (!runWritten_) {  // the run's line heads its events; none for a run that writes no event
        Append(JournalRunLine(now, ThisRunId()), false);
        ++lines_;
    }
    runWritten_ = true;
    std::string lines = JournalLine(now, event, key.identity, file, detail);
    if (key.path != key.identity)  // for an earlier version, which knows the file by its path
        lines += JournalLine(now, event, key.path, file, detail);
    Append(lines, event == JournalEvent::Started || event == JournalEvent::Settled);
    lines_ = ReadJournalLines(lines, lines_, earlier_);  // a second name of the file (a hard link) is known at once
}

void JobJournal::Append(const std::string& bytes, bool flush)
{
    LARGE_INTEGER end{};
    DWORD written = 0;
    if (!SetFilePointerEx(file_.get(), end, nullptr, FILE_END) ||
        !WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || (flush && !FlushFileBuffers(file_.get())))
        throw Win32Error(L"Cannot write the journal " + path_ + L", error ", GetLastError());
}
