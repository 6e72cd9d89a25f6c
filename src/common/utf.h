// The one text codec: UTF-8 and UTF-16 both ways, and the decoding of a text file whose
// encoding is told by its BOM or guessed (UTF-8 when it is valid, else the ANSI code page). Pure.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8Of(std::wstring_view text);

// UTF-8 to UTF-16; nothing when the bytes are not valid UTF-8 (overlong forms, surrogates and
// code points above U+10FFFF are not).
std::optional<std::wstring> WideOfUtf8(std::string_view bytes);

// UTF-8 to UTF-16 where every invalid sequence becomes U+FFFD (for texts that must show anyway).
std::wstring WideOfUtf8Lossy(std::string_view bytes);

// Bytes of UTF-16 in the given byte order; an odd last byte is dropped.
std::wstring WideOfUtf16(std::string_view bytes, bool bigEndian);

// A text file's content: UTF-16 LE or BE or UTF-8 by its BOM; without one, UTF-8 when the bytes
// are valid UTF-8, the ANSI code page otherwise.
std::wstring DecodeTextFile(std::string_view bytes);
