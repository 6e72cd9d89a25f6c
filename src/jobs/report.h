// The job list as text for others: a CSV report for spreadsheets and fleet tools, and the
// tab-separated lines that go to the clipboard. Pure.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "jobs/joblist.h"

// One CSV field: quoted, with quotes doubled, when it holds a comma, a quote or a line break.
std::wstring CsvField(std::wstring_view text);

// The report: UTF-8 with a BOM, a header line "File,Directions,Result", then one line per row
// in list order with the texts exactly as the list holds them; CR LF line ends.
std::string JobReportCsv(const JobList& rows);

// The rows at these indexes as tab-separated lines (File, Directions, Result) each ending in
// CR LF; a line break or tab inside a cell becomes a space.
std::wstring RowsAsTabText(const JobList& rows, const std::vector<size_t>& indexes);
