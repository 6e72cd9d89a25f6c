// A header file's decoding: what is read is exactly what the file holds (UTF-16 and UTF-8 written
// back give the same bytes; a file without UTF-8 is read as ANSI, as it always was), and what is
// refused is refused at a byte that really breaks the encoding the file declares.
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
            // ANSI only where no byte sequence of the file is a multi-byte UTF-8 character.
            Check(text == AnsiToWide(bytes) && !utf8Bom);
            for (size_t i = 0; i < size; ++i)
                for (size_t length = 2; length <= 4 && i + length <= size; ++length)
                    Check(!(static_cast<unsigned char>(bytes[i]) >= 0xC0 && WideOfUtf8(bytes.substr(i, length))));
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
            Check(refused.fault == TextFileRefused::NotUtf8 && WideOfUtf8(bytes.substr(0, refused.offset)));
            bool starts = false;
            for (size_t length = 1; length <= 4; ++length)
                starts = starts || WideOfUtf8(bytes.substr(refused.offset, length)).has_value();
            Check(!starts);
        }
    }
    return 0;
}
