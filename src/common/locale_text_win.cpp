#include "common/locale_text.h"

#include <windows.h>

int CompareTextLocale(std::wstring_view a, std::wstring_view b, bool ignoreCase)
{
    int r = CompareStringEx(LOCALE_NAME_USER_DEFAULT, ignoreCase ? NORM_IGNORECASE : 0, a.data(),
                            static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), nullptr,
                            nullptr, 0);
    return r == 0 ? a.compare(b) : r - CSTR_EQUAL;
}

bool SameTextLocale(std::wstring_view a, std::wstring_view b)
{
    return CompareTextLocale(a, b, true) == 0;
}

std::wstring UpperLocale(std::wstring_view text)
{
    if (text.empty())
        return {};
    std::wstring out(text);
    int n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()),
                          out.data(), static_cast<int>(out.size()), nullptr, nullptr, 0);
    if (n > 0)
        out.resize(static_cast<size_t>(n));
    return out;
}

std::wstring UpperOrdinal(std::wstring_view text)
{
    // The invariant locale maps one unit to one unit, with the table that ordinal comparison uses.
    std::wstring out(text);
    if (!text.empty())
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), out.data(),
                      static_cast<int>(out.size()), nullptr, nullptr, 0);
    return out;
}
