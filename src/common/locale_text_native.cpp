// Native stand-ins for the locale functions, used where the pure code is built for Linux
// (sanitizers, fuzzers). ANSI is taken as Latin-1 there.
#include "common/locale_text.h"

#include <cwctype>

#include "common/utf.h"

int CompareTextLocale(std::wstring_view a, std::wstring_view b, bool ignoreCase)
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        wint_t x = ignoreCase ? std::towupper(a[i]) : a[i];
        wint_t y = ignoreCase ? std::towupper(b[i]) : b[i];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameTextLocale(std::wstring_view a, std::wstring_view b)
{
    return CompareTextLocale(a, b, true) == 0;
}

std::wstring UpperLocale(std::wstring_view text)
{
    std::wstring out(text);
    for (auto& c : out)
        c = static_cast<wchar_t>(std::towupper(c));
    return out;
}

std::wstring UpperOrdinal(std::wstring_view text)
{
    return UpperLocale(text);
}

std::wstring AnsiToWide(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes)
        out += static_cast<wchar_t>(c);
    return out;
}

std::string WideToAnsi(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        out += c < 256 ? static_cast<char>(c) : '?';
    return out;
}

// Natively, the two code pages that need no table: UTF-8, and Latin-1 as the ANSI one.
bool IsKnownCodePage(unsigned codePage)
{
    return codePage == 65001 || codePage == 28591;
}

std::optional<std::wstring> CodePageToWide(std::string_view bytes, unsigned codePage)
{
    if (codePage == 65001)
        return WideOfUtf8(bytes);
    return codePage == 28591 ? std::optional<std::wstring>(AnsiToWide(bytes)) : std::nullopt;
}
