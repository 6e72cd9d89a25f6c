// "Split PRI files": job-information file rows become print-job rows with their destination.
#pragma once
#include "jobs/joblist.h"

void SplitPriRows(JobList& rows);
