#include "app/switch_characters.h"

#include <algorithm>
#include <iterator>

namespace {

struct Range {
    char32_t first, last;
};

// General category Cf, from Unicode 15.0's DerivedGeneralCategory.txt.
const Range kFormatCharacters[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
    {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x202A, 0x202E},
    {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
    {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

struct Named {
    char32_t c;
    const wchar_t* name;
};

// What web pages, word processors and keyboards put where a '/' or '-' was meant, and the
// invisible characters that copying drags along; sorted by code point.
const Named kNames[] = {
    {0x00AD, L"soft hyphen"},
    {0x02D7, L"modifier letter minus sign"},
    {0x200B, L"zero width space"},
    {0x200C, L"zero width non-joiner"},
    {0x200D, L"zero width joiner"},
    {0x200E, L"left-to-right mark"},
    {0x200F, L"right-to-left mark"},
    {0x2010, L"hyphen"},
    {0x2011, L"non-breaking hyphen"},
    {0x2012, L"figure dash"},
    {0x2013, L"en dash"},
    {0x2014, L"em dash"},
    {0x2015, L"horizontal bar"},
    {0x2044, L"fraction slash"},
    {0x2060, L"word joiner"},
    {0x2212, L"minus sign"},
    {0x2215, L"division slash"},
    {0x2796, L"heavy minus sign"},
    {0x29F8, L"big solidus"},
    {0x2E3A, L"two-em dash"},
    {0x2E3B, L"three-em dash"},
    {0xFE58, L"small em dash"},
    {0xFE63, L"small hyphen-minus"},
    {0xFEFF, L"zero width no-break space, a byte order mark"},
    {0xFF0D, L"fullwidth hyphen-minus"},
    {0xFF0F, L"fullwidth solidus"},
};

}  // namespace

bool IsFormatCharacter(char32_t c)
{
    const Range* end = std::end(kFormatCharacters);
    const Range* r = std::lower_bound(std::begin(kFormatCharacters), end, c,
                                      [](const Range& range, char32_t x) { return range.last < x; });
    return r != end && r->first <= c;
}

// NFKC folds much more than this; a switch's name is ASCII, so only the forms that become ASCII
// letters, digits and '?' matter, and of those only the full-width ones (U+FF01..U+FF5E, which
// NFKC maps to U+0021..U+007E) are typed in practice, by an East Asian input method.
char32_t FoldedForName(char32_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        c -= 0xFF01 - 0x21;
    return c >= U'A' && c <= U'Z' ? c + (U'a' - U'A') : c;
}

std::wstring CharacterDescription(char32_t c)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text = L"U+";
    for (int shift = c > 0xFFFFF ? 20 : c > 0xFFFF ? 16 : 12; shift >= 0; shift -= 4)
        text += digits[c >> shift & 0xF];
    const Named* end = std::end(kNames);
    const Named* named =
        std::lower_bound(std::begin(kNames), end, c, [](const Named& n, char32_t x) { return n.c < x; });
    const bool known = named != end && named->c == c;
    if (IsFormatCharacter(c))
        return text + L" (" + (known ? std::wstring(named->name) + L", " : L"") + L"an invisible format character)";
    return known ? text + L" (" + named->name + L")" : text;
}

char32_t CodePointAt(const std::wstring& text, size_t i, size_t& units)
{
    const char32_t c = static_cast<char32_t>(text[i]);
    const char32_t next = i + 1 < text.size() ? static_cast<char32_t>(text[i + 1]) : 0;
    units = (c >= 0xD800 && c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) ? 2 : 1;
    return units == 2 ? 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00) : c;
}
