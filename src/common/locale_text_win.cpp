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

std::wstring AnsiToWide(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::string WideToAnsi(std::wstring_view text)
{
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool IsKnownCodePage(unsigned codePage)
{
    return IsValidCodePage(codePage) != FALSE;
}

std::optional<std::wstring> CodePageToWide(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty())
        return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n == 0)
        return std::nullopt;
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data(), n);
    return out;
}
