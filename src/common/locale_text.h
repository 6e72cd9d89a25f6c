// Text comparison and code-page conversion under the user's locale. Declared here so that
// pure code can use them; the Windows build implements them with the NLS functions, the
// native (test) build with the C library.
#pragma once
#include <optional>
#include <string>
#include <string_view>

// <0, 0, >0 under the user's locale; ignoreCase folds letter case the way the locale does.
int CompareTextLocale(std::wstring_view a, std::wstring_view b, bool ignoreCase);
bool SameTextLocale(std::wstring_view a, std::wstring_view b);
std::wstring UpperLocale(std::wstring_view text);
// Each UTF-16 unit upper-cased as the file system folds names (CompareStringOrdinal ignoring
// case), whatever the user's locale: two names are the same that way exactly when these are equal.
std::wstring UpperOrdinal(std::wstring_view text);

// Bytes of the ANSI code page (1253 on the branch machines) to UTF-16 and back.
std::wstring AnsiToWide(std::string_view bytes);
std::string WideToAnsi(std::wstring_view text);

// Whether the machine can read text in this code page (1253, 65001 for UTF-8, ...).
bool IsKnownCodePage(unsigned codePage);
// Bytes of that code page to UTF-16; nothing when a byte sequence is not valid in it.
std::optional<std::wstring> CodePageToWide(std::string_view bytes, unsigned codePage);
