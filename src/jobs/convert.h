// "Convert POS and BACK": redirects the listed jobs bound for POS or back-office destinations.
#pragma once
#include <string>

#include "jobs/joblist.h"

// Every row whose Directions text contains "POS" (in any letter case under the user's locale)
// gets posText as its whole Directions; every other row whose Directions contains "BACK" gets
// backText. Both texts are taken as they are, empty included. Rows without a Directions
// sub-item, and Result texts, are left alone.
void ConvertDirections(JobList& rows, const std::wstring& posText, const std::wstring& backText);
