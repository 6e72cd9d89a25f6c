#include "common/text_lines.h"

#include <algorithm>

#include "common/locale_text.h"

std::vector<std::wstring> SplitTextLines(std::wstring_view text)
{
    size_t nul = text.find(L'\0');
    if (nul != std::wstring_view::npos)
        text = text.substr(0, nul);
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r' && text[i] != L'\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::wstring SortedUniqueLinesText(std::wstring_view text)
{
    std::vector<std::wstring> lines = SplitTextLines(text);
    auto less = [](const std::wstring& a, const std::wstring& b) { return CompareTextLocale(a, b, true) < 0; };
    std::stable_sort(lines.begin(), lines.end(), less);
    auto same = [](const std::wstring& a, const std::wstring& b) { return CompareTextLocale(a, b, true) == 0; };
    lines.erase(std::unique(lines.begin(), lines.end(), same), lines.end());
    std::wstring out;
    for (const std::wstring& line : lines) {
        out += line;
        out += L"\r\n";
    }
    return out;
}
