// The files of the job list told apart as Windows tells file names apart, so that each file is
// submitted once and the report never lands on a job. Pure: the key of a path comes from the
// caller (the Windows build: FileKey in common/fileio.h).
#pragma once
#include <functional>
#include <string>

#include "jobs/joblist.h"

// Print file: a path whose extension is ".prn" in any letter case.
bool IsPrintFilePath(const std::wstring& path);
// Job-information file: a path whose extension is ".pri" in any letter case.
bool IsJobInfoFilePath(const std::wstring& path);

// The key of the file that a path names: equal for two paths exactly when they name the same file.
using FileKeyFn = std::function<std::wstring(const std::wstring& path)>;

// Whether a path names a stream of a file ("x.csv:s", "x.prn::$DATA"): a ':' after its drive,
// its "\\?\" prefix or its server.
bool NamesFileStream(const std::wstring& path);

// Why the report may not be written to path: it names a stream, or it is a print file, a
// job-information file or the file of one of the rows. Empty when it may.
std::wstring ReportPathProblem(const std::wstring& path, const JobList& rows, const FileKeyFn& fileKey);
// The same for the file of another switch (without its slash: "journal").
std::wstring OutputPathProblem(const std::wstring& switchName, const std::wstring& path, const JobList& rows,
                               const FileKeyFn& fileKey);
