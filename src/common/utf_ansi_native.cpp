// The codec's ANSI part where the pure code is built for Linux (sanitizers, fuzzers): ANSI is
// taken as Latin-1 there.
#include "common/utf.h"

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

void AnsiToWideInto(std::string_view bytes, std::wstring& out)
{
    out = AnsiToWide(bytes);
}

// Natively, the two code pages that need no table: UTF-8, and Latin-1 as the ANSI one.
bool IsKnownCodePage(unsigned codePage)
{
    return codePage == 65001 || codePage == 28591;
}

unsigned AnsiCodePage()
{
    return 28591;
}

// Latin-1 defines every byte; no other code page is known here.
std::optional<size_t> DecodeSystemCodePage(std::string_view bytes, unsigned codePage, std::wstring& out)
{
    if (codePage != 28591)
        return 0;
    out += AnsiToWide(bytes);
    return std::nullopt;
}
