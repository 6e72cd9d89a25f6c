// The CSV report: a strict RFC 4180 reader (written here, apart from the writer) reads every
// report back to the rows' texts as UTF-8 and each row's state, four fields a record, whatever
// the texts hold.
// A cell the writer marks against formula injection reads back with its leading apostrophe.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf.h"
#include "jobs/report.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

using Record = std::vector<std::string>;

// RFC 4180: records end in CR LF; a field is quoted (quotes doubled inside, then a comma or the
// record's end) or holds no comma, quote, CR or LF. Nothing for text that breaks a rule.
std::optional<std::vector<Record>> ReadCsv(std::string_view text)
{
    std::vector<Record> records;
    size_t i = 0;
    while (i < text.size()) {
        Record record;
        for (bool more = true; more;) {
            std::string field;
            if (text[i] == '"') {
                for (++i;; ++i) {
                    if (i >= text.size())
                        return std::nullopt;
                    if (text[i] == '"' && (i + 1 >= text.size() || text[i + 1] != '"'))
                        break;
                    if (text[i] == '"')
                        ++i;
                    field += text[i];
                }
                ++i;
            } else {
                for (; i < text.size() && text[i] != ',' && text[i] != '\r'; ++i) {
                    if (text[i] == '"' || text[i] == '\n')
                        return std::nullopt;
                    field += text[i];
                }
            }
            record.push_back(field);
            if (text.substr(i, 2) == "\r\n")
                i += 2, more = false;
            else if (i < text.size() && text[i] == ',')
                ++i;
            else
                return std::nullopt;
        }
        records.push_back(record);
    }
    return records;
}

bool ReadsBack(const std::string& cell, const std::wstring& text)
{
    const std::string written = Utf8Of(text);
    const bool formula = !text.empty() && std::wstring_view(L"=+-@\t\r").find(text[0]) != std::wstring_view::npos;
    return cell == written || (formula && cell == "'" + written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Cells separated by 0xFF; each other pair of bytes is one UTF-16 unit, single bytes of the
    // punctuation that CSV cares about stand for themselves.
    std::vector<std::wstring> cells(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF)
            cells.emplace_back();
        else if (data[i] < 0x80)
            cells.back() += static_cast<wchar_t>(data[i]);
        else if (i + 1 < size)
            cells.back() += static_cast<wchar_t>((data[i] & 0x7F) << 8 | data[i + 1]), ++i;
    }
    JobList rows;
    for (size_t i = 0; i < cells.size(); i += 3) {
        rows.emplace_back(cells[i]);
        rows.back().SetDirections(i + 1 < cells.size() ? cells[i + 1] : L"");
        rows.back().SetResult(i + 2 < cells.size() ? cells[i + 2] : L"");
        rows.back().state = static_cast<RowState>(rows.size() % 5);
    }
    const std::string csv = JobReportCsv(rows);
    Check(csv.substr(0, 3) == "\xEF\xBB\xBF");
    const std::optional<std::vector<Record>> records = ReadCsv(std::string_view(csv).substr(3));
    Check(records && records->size() == rows.size() + 1);
    Check(records->front() == Record{"File", "Directions", "Result", "State"});
    for (size_t r = 0; r < rows.size(); ++r) {
        const Record& record = (*records)[r + 1];
        Check(record.size() == 4 && ReadsBack(record[0], rows[r].caption) && ReadsBack(record[1], rows[r].SubItem(0)) &&
              ReadsBack(record[2], rows[r].SubItem(1)) && record[3] == RowStateName(rows[r].state));
    }
    return 0;
}
