// The characters that decide whether an argument is a switch typed wrongly: Unicode's format
// characters (invisible, dropped before a name is compared), the compatibility forms folded
// before a name is compared, and how a character is named in a refusal. Pure.
#pragma once
#include <string>

// Whether c is a format character (general category Cf): a soft hyphen, a zero-width space or
// joiner, a direction mark, U+FEFF, a tag character, ...
bool IsFormatCharacter(char32_t c);

// c folded for comparing with a switch's name: full-width ASCII as NFKC folds it, then lower case.
char32_t FoldedForName(char32_t c);

// "U+2044 (fraction slash)"; "U+200B (zero width space, an invisible format character)"; the
// code point alone for a character without a name here.
std::wstring CharacterDescription(char32_t c);

// The code point that starts at text[i] and how many UTF-16 units it takes (a lone surrogate
// is itself).
char32_t CodePointAt(const std::wstring& text, size_t i, size_t& units);
