// The job list as text for others: a CSV report for spreadsheets and fleet tools, and the
// tab-separated lines that go to the clipboard. Pure.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "jobs/joblist.h"

// One CSV field: quoted, with quotes doubled, when it holds a comma, a quote or a line break.
std::wstring CsvField(std::wstring_view text);

// A cell as a spreadsheet shows it and never runs it: a text that begins with '=', '+', '-', '@',
// a tab or a carriage return (which a spreadsheet takes for a formula) gets a leading apostrophe;
// any other text stays as it is.
std::wstring SpreadsheetText(std::wstring_view text);

// The report: UTF-8 with a BOM, a header line "File,Directions,Result,State", then one line per
// row in list order: the texts as the list holds them (through SpreadsheetText) and the row's
// state (RowStateName); CR LF line ends. It is its head and its lines, which a pass that goes to
// standard output writes one by one as its jobs end.
std::string JobReportCsv(const JobList& rows);
std::string JobReportHead();
std::string JobReportLine(const JobRow& row);

// The rows at these indexes as tab-separated lines (File, Directions, Result) each ending in
// CR LF; a line break or tab inside a cell becomes a space, after SpreadsheetText.
std::wstring RowsAsTabText(const JobList& rows, const std::vector<size_t>& indexes);
