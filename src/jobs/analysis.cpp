#include "jobs/analysis.h"

#include <windows.h>

#include <algorithm>

#include "common/errors.h"
#include "common/fileio.h"
#include "common/handles.h"
#include "common/locale_text.h"
#include "common/text.h"
#include "jobs/jobinfo.h"

std::wstring ReadJobInfo(const std::wstring& path)
{
    UniqueFile file = OpenForReadDenyWrite(path);
    if (!file)
        throw Win32Error(L"Cannot open file " + path + L", error ", GetLastError());
    // A name such as "PRN_i.pri" may open a device, whose reads can block for ever: only disk
    // files are read.
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        throw AppError(L"Cannot open file " + path);
    EntryScanner scanner("ToDoStr");
    static char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
            throw Win32Error(L"Cannot read file " + path + L", error ", GetLastError());
        // A disk file gives a short read only at its end: no need to ask once more.
        if (got == 0 || scanner.Feed(std::string_view(buffer, got)) || got < sizeof buffer)
            break;
    }
    return AnsiToWide(scanner.Value());
}

namespace {

// The identity of a folder (volume and file index), to notice a link that leads back up.
struct FolderId {
    DWORD volume = 0, high = 0, low = 0;
    bool operator==(const FolderId& o) const { return volume == o.volume && high == o.high && low == o.low; }
};

bool ReadFolderId(const std::wstring& folder, FolderId& id)
{
    UniqueFile h(CreateFileW(LongPathName(folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE |
                             FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!h || !GetFileInformationByHandle(h.get(), &info))
        return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

class FolderScan {
public:
    explicit FolderScan(std::vector<std::wstring>& list) : list_(list) {}

    void Scan(const std::wstring& folder)
    {
        WIN32_FIND_DATAW entry;
        UniqueFind find(FindFirstFileExW(LongPathName(folder + L"\\*.*").c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find)
            return;
        path_.push_back({folder, {}, false});
        do {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0)
                    continue;
                std::wstring sub = folder + L"\\" + entry.cFileName;
                if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && LeadsBackUp(sub))
                    continue;
                Scan(sub);
            } else if (IsPrintFilePath(entry.cFileName)) {
                list_.push_back(folder + L"\\" + entry.cFileName);
            }
        } while (FindNextFileW(find.get(), &entry));
        path_.pop_back();
    }

private:
    struct Step {
        std::wstring folder;
        FolderId id;
        bool idRead;
    };

    // True when the linked folder is one of the folders on the way down to it (a cycle).
    bool LeadsBackUp(const std::wstring& link)
    {
        FolderId target;
        if (!ReadFolderId(link, target))
            return true;  // a link that cannot even be opened is not followed
        for (Step& step : path_) {
            if (!step.idRead)
                step.idRead = ReadFolderId(step.folder, step.id);
            if (step.idRead && step.id == target)
                return true;
        }
        return false;
    }

    std::vector<std::wstring>& list_;
    std::vector<Step> path_;
};

}  // namespace

void ScanFolder(const std::wstring& folder, std::vector<std::wstring>& list)
{
    FolderScan(list).Scan(folder);
}

void ExpandFolderRows(JobList& rows)
{
    // Built into a new list so that the pass costs what the rows cost, however many
    // folders expand to however many files.
    JobList expanded;
    expanded.reserve(rows.size());
    std::vector<std::wstring> collected;
    for (JobRow& row : rows) {
        if (IsExistingFolder(row.caption)) {
            collected.clear();
            ScanFolder(row.caption, collected);
            // Each path was inserted at the folder's place in turn: the last found stands first.
            for (auto it = collected.rbegin(); it != collected.rend(); ++it)
                expanded.emplace_back(std::move(*it));
        } else if (IsPrintFilePath(row.caption)) {
            expanded.push_back(std::move(row));
        }
    }
    KeepFirstRowOfEachFile(expanded, FileKey);
    rows.swap(expanded);
}

void AnalyseRows(JobList& rows, CommandPort& port)
{
    // The status bar repaint before each file is what the technician sees of progress; at
    // tens of thousands of files it would cost more than the reads, so it is shown at most
    // every few milliseconds, and the last file's name is always left standing at the end.
    const DWORD kStatusInterval = 30;
    DWORD lastShown = GetTickCount() - kStatusInterval;
    std::wstring pending;  // the file whose status text is owed, when one is
    bool changed = false;
    for (JobRow& row : rows) {
        if (row.HasDirections() && !row.directions.empty())
            continue;
        if (row.caption.size() < 6)
            continue;
        std::wstring infoFile = JobInfoFileName(row.caption);
        if (GetTickCount() - lastShown >= kStatusInterval) {
            port.ShowStatus(L"Scanning " + infoFile);
            lastShown = GetTickCount();
            pending.clear();
        } else {
            pending = infoFile;
        }
        try {
            std::wstring value = ReadJobInfo(infoFile);
            if (!IsForwardingDirective(value))
                continue;
            std::wstring destination = DirectiveDestination(value);
            if (destination.empty())
                continue;
            row.SetDirections(CopyDirection(destination));
            changed = true;
        } catch (const AppError&) {
            // An unreadable job-information file leaves its row without a direction.
        }
    }
    if (!pending.empty())
        port.ShowStatus(L"Scanning " + pending);
    if (changed)
        port.RowsChanged();
}
