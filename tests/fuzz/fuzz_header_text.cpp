// A header file's decoding: what is read is exactly what the file holds (UTF-16 and UTF-8 written
// back give the same bytes; a file that is not UTF-8 throughout is read as ANSI unless nearly all
// of its bytes above 0x7F are UTF-8), and what is refused is refused at a byte that really breaks
// the encoding the file declares.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/locale_text.h"
#include "common/utf.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

std::string Utf16Bytes(const std::wstring& text, bool bigEndian)
{
    std::string bytes;
    for (wchar_t c : text) {
        const char high = static_cast<char>(c >> 8 & 0xFF), low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// Whether at least four in five of the bytes above 0x7F are in UTF-8 characters, read one
// character at a time from the start.
bool MostlyUtf8(std::string_view bytes)
{
    size_t above7F = 0, inUtf8 = 0;
    for (size_t i = 0, length = 1; i < bytes.size(); i += length) {
        length = 1;
        if (static_cast<unsigned char>(bytes[i]) < 0x80)
            continue;
        for (size_t n = 2; n <= 4 && length == 1; ++n)
            if (i + n <= bytes.size() && WideOfUtf8(bytes.substr(i, n)))
                length = n;
        above7F += length;
        inUtf8 += length > 1 ? length : 0;
    }
    return inUtf8 * 5 >= above7F * 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const bool le = bytes.substr(0, 2) == "\xFF\xFE", be = bytes.substr(0, 2) == "\xFE\xFF";
    const bool utf8Bom = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    try {
        const std::wstring text = DecodeTextFile(bytes);
        if (le || be) {
            // Exactly the file's units, and whole characters (no lone surrogate survives UTF-8).
            Check(Utf16Bytes(text, be) == bytes.substr(2) && WideOfUtf8(Utf8Of(text)) == text);
        } else if (const std::optional<std::wstring> utf8 = WideOfUtf8(bytes.substr(utf8Bom ? 3 : 0))) {
            Check(*utf8 == text && Utf8Of(text) == bytes.substr(utf8Bom ? 3 : 0));
        } else {
            // ANSI only where fewer than four in five of the bytes above 0x7F are UTF-8.
            Check(text == AnsiToWide(bytes) && !utf8Bom && !MostlyUtf8(bytes));
        }
    } catch (const TextFileRefused& refused) {
        Check(refused.offset < size && !refused.Message().empty());
        if (le || be) {
            // Whole UTF-16 up to the unit, which is a surrogate without its other half, or the odd last byte.
            DecodeTextFile(bytes.substr(0, refused.offset));
            const std::wstring units = WideOfUtf16(bytes.substr(refused.offset - 2), be);
            const auto high = [](wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; };
            const auto low = [](wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
            if (refused.fault == TextFileRefused::OddUtf16)
                Check(size % 2 == 1 && refused.offset == size - 1);
            else
                Check(refused.fault == TextFileRefused::LoneSurrogate && units.size() >= 2 &&
                      (high(units[1]) ? units.size() < 3 || !low(units[2]) : low(units[1]) && !high(units[0])));
        } else {
            // UTF-8 up to the byte, which starts no UTF-8 character.
            Check(refused.fault == TextFileRefused::NotUtf8 && WideOfUtf8(bytes.substr(0, refused.offset)) &&
                  (utf8Bom || MostlyUtf8(bytes)));
            bool starts = false;
            for (size_t length = 1; length <= 4; ++length)
                starts = starts || WideOfUtf8(bytes.substr(refused.offset, length)).has_value();
            Check(!starts);
        }
    }
    return 0;
}
