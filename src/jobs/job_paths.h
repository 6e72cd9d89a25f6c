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

// Keeps the first row of each file and drops the later rows of the same file; the order stays.
void KeepFirstRowOfEachFile(JobList& rows, const FileKeyFn& fileKey);

// Why the report may not be written to path: it is a print file, a job-information file or the
// file of one of the rows. Empty when it may.
std::wstring ReportPathProblem(const std::wstring& path, const JobList& rows, const FileKeyFn& fileKey);
