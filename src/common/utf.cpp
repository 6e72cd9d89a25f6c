#include "common/utf.h"

#include "common/refusals.h"

namespace {

const char32_t kReplacement = 0xFFFD;

// Hands put() the UTF-16 units of a code point: itself, or its surrogate pair above U+FFFF.
template <class Put>
void PutUtf16(char32_t c, Put put)
{
    if (c < 0x10000) {
        put(c);
        return;
    }
    c -= 0x10000;
    put(0xD800 + (c >> 10));
    put(0xDC00 + (c & 0x3FF));
}

void AppendUtf16(std::wstring& out, char32_t c)
{
    PutUtf16(c, [&](char32_t unit) { out += static_cast<wchar_t>(unit); });
}

// The code point that starts at bytes[i], and its length; nothing for an invalid sequence
// (length then 1, to step over its first byte).
std::optional<char32_t> NextCodePoint(std::string_view bytes, size_t i, size_t& length)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(i);
    length = 1;
    if (lead < 0x80)
        return lead;
    size_t extra = 0;
    char32_t c = 0, minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (i + extra >= bytes.size())
        return std::nullopt;
    for (size_t k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return std::nullopt;
        c = c << 6 | (byte(i + k) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || IsSurrogate(c))
        return std::nullopt;
    length = extra + 1;
    return c;
}

bool StartsWith(std::string_view bytes, std::string_view prefix)
{
    return bytes.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

char32_t CodePointAt(std::wstring_view text, size_t i, size_t& length)
{
    const char32_t c = static_cast<char32_t>(text[i]);
    const char32_t next = i + 1 < text.size() ? static_cast<char32_t>(text[i + 1]) : 0;
    length = 1;
    if (c >= 0xD800 && c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
        length = 2;
        return 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
    }
    return c;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Utf16LeBytes(std::wstring_view text)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (wchar_t c : text) {  // above U+FFFF only where wchar_t holds 32 bits
        PutUtf16(static_cast<char32_t>(c), [&](char32_t unit) {
            bytes += static_cast<char>(unit & 0xFF);
            bytes += static_cast<char>(unit >> 8 & 0xFF);
        });
    }
    return bytes;
}

std::string Utf8Of(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0, length = 0; i < text.size(); i += length) {
        const char32_t c = CodePointAt(text, i, length);
        AppendUtf8(out, IsSurrogate(c) || c > 0x10FFFF ? kReplacement : c);
    }
    return out;
}

std::optional<std::wstring> WideOfUtf8(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    for (size_t i = 0, length = 0; i < bytes.size(); i += length) {
        std::optional<char32_t> c = NextCodePoint(bytes, i, length);
        if (!c)
            return std::nullopt;
        AppendUtf16(out, *c);
    }
    return out;
}

std::wstring WideOfUtf8Lossy(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    for (size_t i = 0, length = 0; i < bytes.size(); i += length)
        AppendUtf16(out, NextCodePoint(bytes, i, length).value_or(kReplacement));
    return out;
}

std::wstring WideOfUtf16(std::string_view bytes, bool bigEndian)
{
    std::wstring out(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned first = static_cast<unsigned char>(bytes[2 * i]);
        const unsigned second = static_cast<unsigned char>(bytes[2 * i + 1]);
        out[i] = static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return out;
}

namespace {

std::wstring StrictUtf16(std::string_view bytes, bool bigEndian)
{
    const size_t bom = 2;
    std::wstring text = WideOfUtf16(bytes.substr(bom), bigEndian);
    for (size_t i = 0; i < text.size(); ++i) {
        const bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF, low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
        const bool paired = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (paired)
            ++i;
        else if (high || low)
            throw TextFileRefused(TextFileRefused::LoneSurrogate, bom + 2 * i, text[i]);
    }
    if (bytes.size() % 2 != 0)
        throw TextFileRefused(TextFileRefused::OddUtf16, bytes.size() - 1, static_cast<unsigned char>(bytes.back()));
    return text;
}

}  // namespace

TextFileRefused::TextFileRefused(Fault what, size_t at, unsigned byte, unsigned codePage)
    : AppError(what == NotUtf8         ? NotUtf8Refusal(byte, at)
               : what == LoneSurrogate ? LoneSurrogateRefusal(byte, at)
               : what == OddUtf16      ? OddUtf16Refusal(at)
                                       : NotInCodePageRefusal(byte, at, codePage)),
      fault(what), offset(at)
{
}

namespace {

// Text without a BOM that is not UTF-8 throughout is UTF-8 with damaged bytes, not the ANSI
// code page, when at least four in five of its bytes above 0x7F belong to valid UTF-8
// sequences. Measured (tests/unit/utf_test.cpp): in code page 1253, every text of one to three
// Greek letters (capitals, accented capitals, small letters), guillemets, the degree sign,
// digits and punctuation that is not UTF-8 throughout has at most 2 in 3 (a capital, then a
// capital and an accented capital: "ΑΒΆ"), and real header lines at most 0.36; Greek UTF-8 headers
// of five lines with one to three stray bytes have at least 0.92, and lines of ten Greek
// letters or more with one stray byte at least 0.85.
bool IsDamagedUtf8(size_t bytesInUtf8, size_t bytesAbove7F)
{
    return bytesInUtf8 * 5 >= bytesAbove7F * 4;
}

}  // namespace

std::wstring DecodeTextFile(std::string_view bytes)
{
    if (StartsWith(bytes, "\xFF\xFE"))
        return StrictUtf16(bytes, false);
    if (StartsWith(bytes, "\xFE\xFF"))
        return StrictUtf16(bytes, true);
    size_t invalid = bytes.size(), inUtf8 = 0, above7F = 0;
    for (size_t i = 0, length = 0; i < bytes.size(); i += length) {
        const bool valid = NextCodePoint(bytes, i, length).has_value();
        if (valid && length > 1)
            inUtf8 += length;
        above7F += valid ? (length > 1 ? length : 0) : 1;  // an invalid byte is never ASCII
        if (!valid && invalid == bytes.size())
            invalid = i;
    }
    const bool utf8Bom = StartsWith(bytes, "\xEF\xBB\xBF");
    if (invalid == bytes.size())
        return *WideOfUtf8(utf8Bom ? bytes.substr(3) : bytes);
    if (utf8Bom || IsDamagedUtf8(inUtf8, above7F))
        throw TextFileRefused(TextFileRefused::NotUtf8, invalid, static_cast<unsigned char>(bytes[invalid]));
    return DecodeInCodePage(bytes, AnsiCodePage());
}

std::wstring DecodeInCodePage(std::string_view bytes, unsigned codePage)
{
    std::wstring text;
    std::optional<size_t> undefined;
    if (codePage == 65001) {
        text.reserve(bytes.size());
        for (size_t i = 0, length = 0; i < bytes.size() && !undefined; i += length) {
            if (const std::optional<char32_t> c = NextCodePoint(bytes, i, length))
                AppendUtf16(text, *c);
            else
                undefined = i;
        }
    } else {
        undefined = DecodeSystemCodePage(bytes, codePage, text);
    }
    if (undefined)
        throw TextFileRefused(TextFileRefused::NotInCodePage, *undefined,
                              *undefined < bytes.size() ? static_cast<unsigned char>(bytes[*undefined]) : 0, codePage);
    return text;
}
