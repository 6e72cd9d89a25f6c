#include "jobs/analysis.h"

#include <windows.h>

#include <algorithm>
#include <unordered_set>

#include "common/errors.h"
#include "common/fileio.h"
#include "common/handles.h"
#include "common/locale_text.h"
#include "common/paths.h"
#include "common/text.h"
#include "jobs/jobinfo.h"

std::wstring ReadJobInfo(const std::wstring& path)
{
    UniqueFile file = OpenForReadDenyWrite(path);
    if (!file)
        throw OpenFileError(path, GetLastError());
    // A name such as "PRN_i.pri" may open a device, whose reads can block for ever: only disk
    // files are read.
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        throw OpenFileFailure(path);
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

// Pass 1's walk over the folders of the rows. A folder is known by its key (FileIdentity): the
// key of a folder below another is that folder's key and its name, and only the rows' folders
// and links are opened, to learn where they lead. Links wait until the folders reached without
// one are done, so that a folder is listed under its own path where it has one; a link to a
// folder already walked (a link back up, a second way in, a second row for the same folder) is
// not walked again.
class FolderWalk {
public:
    FolderWalk(FileIdentity& identity, std::unordered_set<std::wstring>& walked)
        : identity_(identity), walked_(walked)
    {
    }

    void Walk(const std::wstring& top, std::vector<std::wstring>& list, std::vector<std::wstring>* keys)
    {
        list_ = &list;
        keys_ = keys;
        links_.push_back(top);
        for (size_t next = 0; next < links_.size(); ++next) {
            const std::wstring folder = links_[next];  // a copy: the walk adds to links_
            const std::wstring key = identity_.FolderKey(folder);
            if (walked_.insert(key).second)
                Scan(folder, key);
        }
        links_.clear();
    }

private:
    void Scan(const std::wstring& folder, const std::wstring& key)
    {
        const std::wstring keyPrefix = WithTrailingSeparator(key);
        // A drive's root ends in its separator already: its files are T:\x, never T:\\x.
        const std::wstring prefix = WithTrailingSeparator(folder);
        ListFolder(prefix + L"*.*", [&](const WIN32_FIND_DATAW& entry) {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (wcscmp(entry.cFileName, L".") == 0 || wcscmp(entry.cFileName, L"..") == 0)
                    return true;
                std::wstring sub = prefix + entry.cFileName;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                    links_.push_back(std::move(sub));
                    return true;
                }
                std::wstring subKey = keyPrefix + UpperOrdinal(entry.cFileName);
                if (walked_.insert(subKey).second)
                    Scan(sub, subKey);
            } else if (IsPrintFilePath(entry.cFileName)) {
                list_->push_back(prefix + entry.cFileName);
                if (keys_)
                    keys_->push_back(keyPrefix + UpperOrdinal(entry.cFileName));
            }
            return true;
        });
    }

    FileIdentity& identity_;
    std::unordered_set<std::wstring>& walked_;
    std::vector<std::wstring>* list_ = nullptr;
    std::vector<std::wstring>* keys_ = nullptr;
    std::vector<std::wstring> links_;  // the links met, walked after the folders reached without one
};

}  // namespace

void ScanFolder(const std::wstring& folder, std::vector<std::wstring>& list)
{
    FileIdentity identity;
    std::unordered_set<std::wstring> walked;
    FolderWalk(identity, walked).Walk(folder, list, nullptr);
}

void ExpandFolderRows(JobList& rows)
{
    // Built into a new list so that the pass costs what the rows cost, however many
    // folders expand to however many files.
    JobList expanded;
    expanded.reserve(rows.size());
    FileIdentity identity;
    std::unordered_set<std::wstring> walked, seen;
    FolderWalk walk(identity, walked);
    // A file already listed keeps its first row: rows are added in their final order.
    auto add = [&](std::wstring&& key, auto&& row) {
        if (seen.insert(std::move(key)).second)
            expanded.emplace_back(std::move(row));
    };
    std::vector<std::wstring> collected, keys;
    for (JobRow& row : rows) {
        if (IsExistingFolder(row.caption)) {
            collected.clear();
            keys.clear();
            walk.Walk(row.caption, collected, &keys);
            // Each path was inserted at the folder's place in turn: the last found stands first.
            for (size_t i = collected.size(); i-- > 0;)
                add(std::move(keys[i]), collected[i]);
        } else if (IsPrintFilePath(row.caption)) {
            add(identity.FileKeyOf(row.caption), row);
        }
    }
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
        if (row.caption.size() < kPrintFileSuffixLength)
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
