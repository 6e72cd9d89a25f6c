// "Convert POS and BACK": redirects the listed jobs bound for POS or back-office destinations.
#pragma once
#include <string>

#include "jobs/joblist.h"

void ConvertDirections(JobList& rows, const std::wstring& posText, const std::wstring& backText);
