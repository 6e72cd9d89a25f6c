// Text comparison under the user's locale. Declared here so that pure code can use them; the
// Windows build implements them with the NLS functions, the native (test) build with the C
// library. The ANSI code page's conversions belong to the codec (common/utf.h).
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "common/utf.h"

// <0, 0, >0 under the user's locale; ignoreCase folds letter case the way the locale does.
int CompareTextLocale(std::wstring_view a, std::wstring_view b, bool ignoreCase);
bool SameTextLocale(std::wstring_view a, std::wstring_view b);
std::wstring UpperLocale(std::wstring_view text);
// Each UTF-16 unit upper-cased as the file system folds names (CompareStringOrdinal ignoring
// case), whatever the user's locale: two names are the same that way exactly when these are equal.
std::wstring UpperOrdinal(std::wstring_view text);
