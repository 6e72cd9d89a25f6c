// The codec's ANSI part on Windows: the system converts with the user's ANSI code page.
#include "common/utf.h"

#include <windows.h>

#include <vector>

void AnsiToWideInto(std::string_view bytes, std::wstring& out)
{
    out.resize(bytes.size());  // a byte gives at most one UTF-16 unit
    const int n = bytes.empty() ? 0
                                : MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                      out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<size_t>(n));
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

unsigned AnsiCodePage()
{
    return GetACP();
}

namespace {

// Whether a character that the system made of one byte of 0x80 or above is one the code page
// defines: not a C1 control or a private-use character, which stand for bytes left undefined.
bool IsDefinedHighCharacter(wchar_t c)
{
    return !(c >= 0x80 && c <= 0x9F) && !(c >= 0xE000 && c <= 0xF8FF) && c != 0xFFFD;
}

// Each byte of a single-byte code page as a character; none where the code page leaves it
// undefined: refused by the system, or a character that does not convert back to the byte.
std::vector<std::optional<wchar_t>> ByteCharacters(unsigned codePage)
{
    std::vector<std::optional<wchar_t>> characters(256);
    for (unsigned b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        wchar_t c = 0;
        char back = 0;
        BOOL usedDefault = FALSE;
        if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, &byte, 1, &c, 1) == 1 &&
            (b < 0x80 || IsDefinedHighCharacter(c)) &&
            WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, &c, 1, &back, 1, nullptr, &usedDefault) == 1 &&
            back == byte && !usedDefault)
            characters[b] = c;
    }
    return characters;
}

std::optional<size_t> DecodeSingleByte(std::string_view bytes, unsigned codePage, std::wstring& out)
{
    const std::vector<std::optional<wchar_t>> characters = ByteCharacters(codePage);
    out.reserve(out.size() + bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const std::optional<wchar_t> c = characters[static_cast<unsigned char>(bytes[i])];
        if (!c)
            return i;
        out += *c;
    }
    return std::nullopt;
}

// A double-byte code page, character by character: a lead byte and the one after it, or one byte.
std::optional<size_t> DecodeDoubleByte(std::string_view bytes, unsigned codePage, std::wstring& out)
{
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[i])) ? 2 : 1;
        wchar_t c[2];
        const int n = i + length > bytes.size()
                          ? 0
                          : MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data() + i,
                                                static_cast<int>(length), c, 2);
        if (n <= 0 || (length == 1 && static_cast<unsigned char>(bytes[i]) >= 0x80 && !IsDefinedHighCharacter(c[0])))
            return i;
        out.append(c, static_cast<size_t>(n));
        i += length;
    }
    return std::nullopt;
}

std::optional<std::wstring> Converted(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty())
        return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data(), n);
    return out;
}

// Any other code page (characters of up to four bytes, or shifts): the whole, or the longest
// start that converts, found by halving, whose end is where no character starts.
std::optional<size_t> DecodeMultiByte(std::string_view bytes, unsigned codePage, std::wstring& out)
{
    if (std::optional<std::wstring> text = Converted(bytes, codePage)) {
        out += *text;
        return std::nullopt;
    }
    size_t good = 0, bad = bytes.size();
    while (bad - good > 1) {
        const size_t middle = good + (bad - good) / 2;
        (Converted(bytes.substr(0, middle), codePage) ? good : bad) = middle;
    }
    return good;
}

}  // namespace

std::optional<size_t> DecodeSystemCodePage(std::string_view bytes, unsigned codePage, std::wstring& out)
{
    CPINFO info{};
    if (!GetCPInfo(codePage, &info))
        return 0;
    if (info.MaxCharSize == 1)
        return DecodeSingleByte(bytes, codePage, out);
    if (info.MaxCharSize == 2)
        return DecodeDoubleByte(bytes, codePage, out);
    return DecodeMultiByte(bytes, codePage, out);
}
