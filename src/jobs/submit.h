// Resubmission: the third pass of "Resubmit files (submit)".
#pragma once
#include <string>

#include "common/port.h"
#include "jobs/joblist.h"

// Hands each row with a direction to the submit client; resultFileName is the window's
// result file (created on first use).
void SubmitRows(JobList& rows, std::wstring& resultFileName, CommandPort& port);
