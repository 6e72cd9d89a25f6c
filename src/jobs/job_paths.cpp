#include "jobs/job_paths.h"

#include "common/long_path.h"
#include "common/text.h"

bool IsPrintFilePath(const std::wstring& path)
{
    return EqualsAsciiNoCase(PathExtension(path), L".prn");
}

bool IsJobInfoFilePath(const std::wstring& path)
{
    return EqualsAsciiNoCase(PathExtension(path), L".pri");
}

bool NamesFileStream(const std::wstring& path)
{
    const std::wstring plain = WithoutLongPrefix(path);
    const size_t from = plain.size() >= 2 && plain[1] == L':' ? 2 : 0;
    return plain.find(L':', from) != std::wstring::npos;
}

std::wstring ReportPathProblem(const std::wstring& path, const JobList& rows, const FileKeyFn& fileKey)
{
    return OutputPathProblem(L"report", path, rows, fileKey);
}

std::wstring OutputPathProblem(const std::wstring& switchName, const std::wstring& path, const JobList& rows,
                               const FileKeyFn& fileKey)
{
    const std::wstring named = L"/" + switchName + L":" + path;
    if (NamesFileStream(path))
        return named + L" names a stream of a file (a ':' after the drive); give a file";
    if (IsPrintFilePath(path))
        return named + L" is a print file";
    if (IsJobInfoFilePath(path))
        return named + L" is a job-information file";
    const std::wstring key = fileKey(path);
    for (const JobRow& row : rows)
        if (fileKey(row.caption) == key)
            return named + L" is the file of the row " + row.caption;
    return {};
}
