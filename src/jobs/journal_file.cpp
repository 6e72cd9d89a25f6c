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
    earlier_ = ReadJournal(bytes);
    if (!bytes.empty() && bytes.back() != '\n')
        Append("\n", false);  // a line cut short by a kill stays apart from the next
}

const JournalRecord* JobJournal::Earlier(const std::wstring& key) const
{
    auto it = earlier_.find(key);
    return it == earlier_.end() ? nullptr : &it->second;
}

void JobJournal::Write(JournalEvent event, const std::wstring& key, const std::wstring& file,
                       const std::wstring& detail)
{
    const std::wstring now = UtcNow();
    if (!runWritten_)  // the run's line heads its events; none for a run that writes no event
        Append(JournalRunLine(now, ThisRunId()), false);
    runWritten_ = true;
    Append(JournalLine(now, event, key, file, detail), event == JournalEvent::Started || event == JournalEvent::Settled);
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
