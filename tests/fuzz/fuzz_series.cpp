// Series and branch numbers as the configuration reads and prints them: ParseInt32 accepts
// exactly blanks, an optional sign and digits whose value fits 32 bits, and gives that value (and
// leaves the target alone otherwise); a series entry is that value or 0; the map folder name
// carries branch and series with their minimum widths and nothing else; and the upgrade's
// Barcode239 of any Barcode39 the map writer wrote is the Barcode239 the writer wrote beside it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "config/barcode239.h"
#include "config/map_layout.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

// Reference reading of a signed decimal number, written independently of ParseInt32.
bool ReferenceNumber(const std::wstring& text, long long& value)
{
    size_t i = text.find_first_not_of(L' ');
    if (i == std::wstring::npos)
        return false;
    bool negative = text[i] == L'-';
    if (text[i] == L'-' || text[i] == L'+')
        ++i;
    std::wstring digits = text.substr(i);
    if (digits.empty() || digits.find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    digits.erase(0, std::min(digits.find_first_not_of(L'0'), digits.size() - 1));
    if (digits.size() > 10)
        return false;
    value = std::stoll(std::string(digits.begin(), digits.end()));
    value = negative ? -value : value;
    return value >= INT32_MIN && value <= INT32_MAX;
}

// printf's "%0<width>d": the sign counts toward the width, zeros go between sign and digits.
std::wstring Padded(long long number, size_t width)
{
    std::wstring digits = std::to_wstring(number < 0 ? -number : number);
    std::wstring sign = number < 0 ? L"-" : L"";
    size_t used = sign.size() + digits.size();
    return sign + std::wstring(used < width ? width - used : 0, L'0') + digits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int branch = 1 + (data[0] | (data[1] << 8)) % 9999;  // the dialog lets 1..9999 through
    std::wstring seriesText;
    for (size_t i = 2; i < size; ++i) {
        // What a series field holds stays itself; other ASCII bytes become one of those
        // characters, so that most inputs look typed; the upper half stands for itself.
        static constexpr std::wstring_view kTyped = L"0123456789 ,-+";
        const wchar_t c = data[i];
        seriesText += c >= 0x80 || kTyped.find(c) != std::wstring_view::npos ? c : kTyped[c % kTyped.size()];
    }

    const std::vector<std::wstring> items = SplitList(seriesText, L",");
    const size_t commas = static_cast<size_t>(std::count(seriesText.begin(), seriesText.end(), L','));
    Check(items.size() == (seriesText.empty() ? 0 : commas + 1));
    // A field holds a handful of series; the first few of a long list show what the rest would.
    for (size_t i = 0; i < items.size() && i < 16; ++i) {
        const std::wstring& item = items[i];
        long long expected = 0;
        const bool number = ReferenceNumber(item, expected);
        int value = 12345;
        Check(ParseInt32(item, value) == number);
        Check(value == (number ? expected : 12345));
        const int series = SeriesNumber(item);
        Check(series == (number ? expected : 0));
        if (number) {
            int again = 0;
            Check(ParseInt32(DecimalText(value), again) && again == value);
        }

        const std::wstring folderName = BranchSeriesText(branch, series);
        Check(folderName == Padded(branch, 4) + Padded(series, 2));
        Check(folderName.find_first_of(L"\\/: ") == std::wstring::npos);
        Check(MapFolderPath(L"C:\\V", branch, series) == L"C:\\V\\" + folderName);

        for (const wchar_t* type : {L"POS", L"BACK"}) {
            MapFacts facts{type, item, branch, L"C:\\V\\" + folderName, L"P", L"", {}};
            const std::wstring barcode39 = ResolveValue(kMasterValues[0], facts).text;
            const std::wstring barcode239 = ResolveValue(kMasterValues[1], facts).text;
            Check(barcode39.find(L";*" + folderName + L";") != std::wstring::npos);
            Check(Barcode239From(barcode39) == barcode239);
            Check(ResolveValue(kMapValues[0], facts).text == L"AB_" + std::wstring(type) + item);
        }
    }
    return 0;
}
