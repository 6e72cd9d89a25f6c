#include "jobs/report.h"

namespace {

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::wstring CellForTabText(const std::wstring& text)
{
    std::wstring cell = text;
    for (wchar_t& c : cell)
        if (c == L'\r' || c == L'\n' || c == L'\t')
            c = L' ';
    return cell;
}

}  // namespace

std::string Utf8Of(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        const char32_t next = i + 1 < text.size() ? static_cast<char32_t>(text[i + 1]) : 0;
        if (c >= 0xD800 && c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

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

std::string JobReportCsv(const JobList& rows)
{
    std::wstring text = L"File,Directions,Result\r\n";
    for (const JobRow& row : rows)
        text += CsvField(row.caption) + L"," + CsvField(row.SubItem(0)) + L"," + CsvField(row.SubItem(1)) + L"\r\n";
    return "\xEF\xBB\xBF" + Utf8Of(text);
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
