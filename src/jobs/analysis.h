// Collection and analysis of the job list: the first two passes of "Resubmit files".
#pragma once
#include <string>
#include <vector>

#include "jobs/port.h"
#include "jobs/job_paths.h"
#include "jobs/joblist.h"

// Appends the full paths of all print files under folder, at any depth, depth first in the
// order the search returns entries. Folder links are followed once the folders reached without
// a link are done, but a folder already walked (a link back up, a second way into a folder) is
// not walked again. A folder that cannot be searched adds nothing.
void ScanFolder(const std::wstring& folder, std::vector<std::wstring>& list);

// Pass 1: every folder row is replaced by rows for the print files under it (in the reverse
// order of collection, at the folder's place); other rows that are not print files go. Then a
// file listed more than once keeps only its first row, so that no job is submitted twice: files
// are told apart by FileIdentity (prefixes, short names, "." and "..", links and junctions do not
// make a second file), and a folder that two rows or links reach is walked once.
void ExpandFolderRows(JobList& rows);

// Pass 2: every row without a Directions text whose caption has six characters or more gets
// its direction from its job-information file; unreadable files are skipped silently.
void AnalyseRows(JobList& rows, CommandPort& port);

// The "ToDoStr" value of a job-information file, read whole with writing by others denied.
// Throws AppError when the file cannot be opened or read.
std::wstring ReadJobInfo(const std::wstring& path);
