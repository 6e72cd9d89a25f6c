#include "jobs/report.h"

#include "common/utf.h"

namespace {

std::wstring CellForTabText(const std::wstring& text)
{
    std::wstring cell = SpreadsheetText(text);
    for (wchar_t& c : cell)
        if (c == L'\r' || c == L'\n' || c == L'\t')
            c = L' ';
    return cell;
}

}  // namespace

std::wstring CsvField(std::wstring_view text)
{
    if (text.find_first_of(L",\"\r\n") == std::wstring_view::npos)
        return std::wstring(text);
    std::wstring field = L"\"";
    for (wchar_t c : text) {
        if (c == L'"')
            field += L'"';
        field += c;
    }
    return field + L"\"";
}

std::wstring SpreadsheetText(std::wstring_view text)
{
    if (!text.empty() && std::wstring_view(L"=+-@\t\r").find(text.front()) != std::wstring_view::npos)
        return L"'" + std::wstring(text);
    return std::wstring(text);
}

std::string JobReportHead()
{
    return "\xEF\xBB\xBF" "File,Directions,Result,State\r\n";
}

std::string JobReportLine(const JobRow& row)
{
    return Utf8Of(CsvField(SpreadsheetText(row.caption)) + L"," + CsvField(SpreadsheetText(row.SubItem(0))) + L"," +
                  CsvField(SpreadsheetText(row.SubItem(1))) + L",") +
           RowStateName(row.state) + "\r\n";
}

std::string JobReportCsv(const JobList& rows)
{
    std::string text = JobReportHead();
    for (const JobRow& row : rows)
        text += JobReportLine(row);
    return text;
}

std::wstring RowsAsTabText(const JobList& rows, const std::vector<size_t>& indexes)
{
    std::wstring text;
    for (size_t i : indexes) {
        if (i >= rows.size())
            continue;
        const JobRow& row = rows[i];
        text += CellForTabText(row.caption) + L"\t" + CellForTabText(row.SubItem(0)) + L"\t" +
                CellForTabText(row.SubItem(1)) + L"\r\n";
    }
    return text;
}
