// The one text codec: UTF-8, UTF-16, the ANSI code page and any code page the system knows, each
// way, and the decoding of a text file whose encoding is told by its BOM or by its bytes (UTF-8
// when it is UTF-8, else the ANSI code page); UTF-8 with damaged bytes is refused, never guessed
// at. No other file converts text. Pure, but for the code pages, which the system knows
// (utf_ansi_win.cpp; Latin-1 as the ANSI one in the native build, utf_ansi_native.cpp).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/errors.h"

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8Of(std::wstring_view text);

// The code point that starts at text[i] and in length the units it takes: a surrogate pair is
// joined; a lone surrogate, or a value above U+10FFFF (a 32-bit wchar_t only), comes back as it is.
char32_t CodePointAt(std::wstring_view text, size_t i, size_t& length);
bool IsSurrogate(char32_t c);

// Appends a code point (no surrogate, at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// UTF-16 LE bytes of the text, without BOM or NUL (a code point above U+FFFF, where wchar_t holds
// 32 bits, as its surrogate pair).
std::string Utf16LeBytes(std::wstring_view text);

// UTF-8 to UTF-16; nothing when the bytes are not valid UTF-8 (overlong forms, surrogates and
// code points above U+10FFFF are not).
std::optional<std::wstring> WideOfUtf8(std::string_view bytes);

// UTF-8 to UTF-16 where every invalid sequence becomes U+FFFD (for texts that must show anyway).
std::wstring WideOfUtf8Lossy(std::string_view bytes);

// Bytes of UTF-16 in the given byte order; an odd last byte is dropped.
std::wstring WideOfUtf16(std::string_view bytes, bool bigEndian);

// Bytes of the ANSI code page (1253 on the branch machines) to UTF-16 and back.
std::wstring AnsiToWide(std::string_view bytes);
std::string WideToAnsi(std::wstring_view text);
// AnsiToWide into a buffer kept between calls, which then costs no allocation.
void AnsiToWideInto(std::string_view bytes, std::wstring& out);

// Whether the machine can read text in this code page (1253, 65001 for UTF-8, ...).
bool IsKnownCodePage(unsigned codePage);
// The ANSI code page's number (1253 on the branch machines; Latin-1, 28591, in the native build).
unsigned AnsiCodePage();
// Bytes of a code page that the machine knows to UTF-16, no byte dropped or guessed at: refused
// with a TextFileRefused (NotInCodePage) naming the first byte that is no character in it, or
// that starts none, and its offset. In a single-byte code page that is a byte the code page
// leaves undefined, whatever the system makes of it (a C1 control or a private-use character, or
// one that does not convert back to the byte: US-ASCII's bytes above 0x7F).
std::wstring DecodeInCodePage(std::string_view bytes, unsigned codePage);
// The platform's part of DecodeInCodePage, for any code page but UTF-8: appends the text to out
// and gives the offset of the first byte that is no character, or none.
std::optional<size_t> DecodeSystemCodePage(std::string_view bytes, unsigned codePage, std::wstring& out);

// A text file's content: UTF-16 LE or BE by its BOM; UTF-8 when it has UTF-8's BOM or is valid
// UTF-8 throughout; else the ANSI code page, unless nearly all of its bytes above 0x7F belong to
// valid UTF-8 sequences. Refused with a TextFileRefused, naming the first bad byte or unit:
// UTF-16 with a lone surrogate or an odd last byte, UTF-8 (by its BOM, or by nearly all of its
// bytes) with a byte that is not UTF-8, and a byte that the ANSI code page does not define.
std::wstring DecodeTextFile(std::string_view bytes);

// Why a text file was not read, and where; its message names the offset (common/refusals.*
// holds its texts).
class TextFileRefused : public AppError {
public:
    enum Fault { NotUtf8, LoneSurrogate, OddUtf16, NotInCodePage };
    TextFileRefused(Fault what, size_t at, unsigned byte, unsigned codePage = 0);
    Fault fault;
    size_t offset;  // of the byte or the UTF-16 unit, from the file's start
};
