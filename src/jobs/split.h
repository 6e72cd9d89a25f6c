// "Split PRI files": job-information file rows become print-job rows with their destination.
#pragma once
#include "jobs/joblist.h"

// Rows for folders and for anything but ".pri" files are removed. A ".pri" row whose file
// holds a forwarding directive becomes the ".prn" row of its job, with the bare destination
// (possibly empty) as its only sub-item; a ".pri" row whose file cannot be read or holds no
// directive stays as it was. Then the rows are sorted once by caption, locale-aware and
// case-sensitive, equal captions keeping their order. Reads files only; writes none.
void SplitPriRows(JobList& rows);
