// The one text codec: UTF-8 and UTF-16 both ways, and the decoding of a text file whose
// encoding is told by its BOM or by its bytes (UTF-8 when it is UTF-8, else the ANSI code page);
// UTF-8 with damaged bytes is refused, never guessed at. Pure.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/errors.h"

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8Of(std::wstring_view text);

// UTF-8 to UTF-16; nothing when the bytes are not valid UTF-8 (overlong forms, surrogates and
// code points above U+10FFFF are not).
std::optional<std::wstring> WideOfUtf8(std::string_view bytes);

// UTF-8 to UTF-16 where every invalid sequence becomes U+FFFD (for texts that must show anyway).
std::wstring WideOfUtf8Lossy(std::string_view bytes);

// Bytes of UTF-16 in the given byte order; an odd last byte is dropped.
std::wstring WideOfUtf16(std::string_view bytes, bool bigEndian);

// A text file's content: UTF-16 LE or BE by its BOM; UTF-8 when it has UTF-8's BOM or is valid
// UTF-8 throughout; else the ANSI code page, unless nearly all of its bytes above 0x7F belong to
// valid UTF-8 sequences. Refused with a TextFileRefused, naming the first bad byte or unit:
// UTF-16 with a lone surrogate or an odd last byte, and UTF-8 (by its BOM, or by nearly all of
// its bytes) with a byte that is not UTF-8.
std::wstring DecodeTextFile(std::string_view bytes);

// Why a text file was not read, and where; its message names the offset (common/refusals.*
// holds its texts).
class TextFileRefused : public AppError {
public:
    enum Fault { NotUtf8, LoneSurrogate, OddUtf16 };
    TextFileRefused(Fault what, size_t at, unsigned byte);
    Fault fault;
    size_t offset;  // of the byte or the UTF-16 unit, from the file's start
};
