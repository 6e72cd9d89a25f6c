// Text lists and small text routines shared by every feature. Pure: no Windows headers.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// Cuts text at every character of delims: k delimiters give k + 1 items (empty items kept),
// an empty text gives no item; then empty items are appended up to minCount. No trimming.
std::vector<std::wstring> SplitList(std::wstring_view text, std::wstring_view delims, size_t minCount = 0);

// Items in order with sep between neighbours; each wrapped in quote when quote != 0 (no escaping).
std::wstring JoinList(const std::vector<std::wstring>& items, wchar_t sep, wchar_t quote = 0);

// Removes every leading and trailing character of code 32 or less.
std::wstring TrimControls(std::wstring_view text);

// The text from the path's last '.' to its end, or empty when a '\' or ':' follows that '.'.
std::wstring_view PathExtension(std::wstring_view path);

// Ordinal comparison that folds ASCII letters only; enough for ASCII keywords and extensions.
bool EqualsAsciiNoCase(std::wstring_view a, std::wstring_view b);

// printf-style "%d" of a signed 32-bit value, as the error messages print numbers.
std::wstring DecimalText(long long value);

// Reads text as a signed decimal integer the way the forms read numbers: leading blanks allowed,
// optional sign, digits to the end; anything else (or overflow of 32 bits) is not a number.
bool ParseInt32(std::wstring_view text, int& value);
