// The exit-time tidy of the untranslated-texts file that every process of the program runs.
#pragma once
#include <string>

extern const wchar_t kUntranslatedTextsFile[];  // "c:\kelvane\undef.txt"

// Rewrites the file sorted and without duplicate lines. A file that cannot be read, or that is
// larger than any list of texts (16 MB), is left alone (nothing is created); a failed write
// leaves the old contents whole; nothing is reported.
void TidyUntranslatedTexts(const std::wstring& path);
