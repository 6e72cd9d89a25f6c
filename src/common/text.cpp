#include "common/text.h"


#include <climits>

std::vector<std::wstring> SplitList(std::wstring_view text, std::wstring_view delims, size_t minCount)
{
    std::vector<std::wstring> items;
    if (!text.empty()) {
        size_t start = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (delims.find(text[i]) != std::wstring_view::npos) {
                items.emplace_back(text.substr(start, i - start));
                start = i + 1;
            }
        }
        items.emplace_back(text.substr(start));
    }
    while (items.size() < minCount)
        items.emplace_back();
    return items;
}

std::wstring JoinList(const std::vector<std::wstring>& items, wchar_t sep, wchar_t quote)
{
    std::wstring out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += sep;
        if (quote != 0)
            out += quote;
        out += items[i];
        if (quote != 0)
            out += quote;
    }
    return out;
}

std::wstring TrimControls(std::wstring_view text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && text[first] <= L' ')
        ++first;
    while (last > first && text[last - 1] <= L' ')
        --last;
    return std::wstring(text.substr(first, last - first));
}

std::wstring_view PathExtension(std::wstring_view path)
{
    size_t dot = path.find_last_of(L".\\:");
    if (dot == std::wstring_view::npos || path[dot] != L'.')
        return {};
    return path.substr(dot);
}

static wchar_t FoldAscii(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool EqualsAsciiNoCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

std::wstring DecimalText(long long value)
{
    return std::to_wstring(value);
}

bool ParseInt32(std::wstring_view text, int& value)
{
    size_t i = 0;
    while (i < text.size() && text[i] == L' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    if (i == text.size())
        return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return false;
        v = v * 10 + (text[i] - L'0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    v = negative ? -v : v;
    if (v > INT_MAX || v < INT_MIN)
        return false;
    value = static_cast<int>(v);
    return true;
}
