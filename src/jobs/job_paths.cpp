#include "jobs/job_paths.h"

#include <unordered_set>

#include "common/text.h"

bool IsPrintFilePath(const std::wstring& path)
{
    return EqualsAsciiNoCase(PathExtension(path), L".prn");
}

bool IsJobInfoFilePath(const std::wstring& path)
{
    return EqualsAsciiNoCase(PathExtension(path), L".pri");
}

void KeepFirstRowOfEachFile(JobList& rows, const FileKeyFn& fileKey)
{
    std::unordered_set<std::wstring> seen;
    seen.reserve(rows.size());
    size_t kept = 0;
    for (JobRow& row : rows) {
        if (!seen.insert(fileKey(row.caption)).second)
            continue;
        if (&rows[kept] != &row)
            rows[kept] = std::move(row);
        ++kept;
    }
    rows.resize(kept);
}

std::wstring ReportPathProblem(const std::wstring& path, const JobList& rows, const FileKeyFn& fileKey)
{
    if (IsPrintFilePath(path))
        return L"/report:" + path + L" is a print file";
    if (IsJobInfoFilePath(path))
        return L"/report:" + path + L" is a job-information file";
    const std::wstring key = fileKey(path);
    for (const JobRow& row : rows)
        if (fileKey(row.caption) == key)
            return L"/report:" + path + L" is the file of the row " + row.caption;
    return {};
}
