// AppendJsonString on random UTF-16: a strict reader of JSON strings (no raw control character,
// only the escapes JSON defines, valid UTF-8 that encodes no surrogate) reads back exactly the
// code units that went in, lone surrogates included.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/json_writer.h"

namespace {

[[noreturn]] void Fail() { abort(); }

unsigned Hex(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<unsigned>(c - 'A' + 10);
    Fail();
}

// One UTF-8 sequence from s[i], strictly (shortest form, no surrogate, at most U+10FFFF).
char32_t ReadUtf8(const std::string& s, size_t& i)
{
    const unsigned char lead = static_cast<unsigned char>(s[i++]);
    const int more = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
                     : lead >= 0xF0 && lead < 0xF5                  ? 3 : -1;
    if (more < 0)
        Fail();
    char32_t c = more == 0 ? lead : lead & (0x3F >> more);
    for (int k = 0; k < more; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            Fail();
        c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    static const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        Fail();
    return c;
}

std::u16string ReadJsonString(const std::string& s)
{
    if (s.size() < 2 || s.front() != '"' || s.back() != '"')
        Fail();
    std::u16string units;
    for (size_t i = 1; i + 1 < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == '"')
            Fail();
        if (c != '\\') {
            const char32_t point = ReadUtf8(s, i);
            if (point >= 0x10000) {
                units += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
                units += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
            } else {
                units += static_cast<char16_t>(point);
            }
            continue;
        }
        if (i + 1 >= s.size() - 1)
            Fail();
        const char e = s[i + 1];
        const std::string simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
        if (simple.find(e) != std::string::npos) {
            units += static_cast<char16_t>(meaning[simple.find(e)]);
            i += 2;
            continue;
        }
        if (e != 'u' || i + 6 > s.size() - 1)
            Fail();
        units += static_cast<char16_t>(Hex(s[i + 2]) << 12 | Hex(s[i + 3]) << 8 | Hex(s[i + 4]) << 4 | Hex(s[i + 5]));
        i += 6;
    }
    return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring text;
    std::u16string units;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        text += static_cast<wchar_t>(unit);
        units += unit;
    }
    std::string json;
    AppendJsonString(json, text);
    if (ReadJsonString(json) != units)
        Fail();
    return 0;
}
