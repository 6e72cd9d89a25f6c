// SplitList and JoinList: joining what was cut gives the text back; k delimiters give k + 1
// items; the minimum count is honoured.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text.h"
#include "common/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    size_t minimum = data[0] % 8;
    std::wstring text;
    for (size_t i = 1; i < size; ++i)
        text += static_cast<wchar_t>(data[i] % 4 == 0 ? L';' : data[i]);

    auto items = SplitList(text, L";", minimum);
    size_t delimiters = static_cast<size_t>(std::count(text.begin(), text.end(), L';'));
    size_t natural = text.empty() ? 0 : delimiters + 1;
    if (items.size() != std::max(natural, minimum))
        abort();
    if (!text.empty() && minimum <= natural && JoinList(items, L';') != text)
        abort();
    for (const auto& item : items)
        if (item.find(L';') != std::wstring::npos)
            abort();

    // Sorting lines twice changes nothing more.
    std::wstring once = SortedUniqueLinesText(text);
    if (SortedUniqueLinesText(once) != once)
        abort();
    return 0;
}
