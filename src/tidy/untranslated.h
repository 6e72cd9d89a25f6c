// The exit-time tidy of the untranslated-texts file that every process of the program runs.
#pragma once
#include <cstddef>
#include <string>

extern const wchar_t kUntranslatedTextsFile[];  // "c:\kelvane\undef.txt"

// Rewrites the file sorted and without duplicate lines, each line keeping its bytes. A file
// that cannot be read, that is larger than UntranslatedTextsLimit(), or whose lines cannot be
// held in memory beside it, is left alone (nothing is created); a failed write leaves the old
// contents whole; nothing is reported.
void TidyUntranslatedTexts(const std::wstring& path);

// The largest file the tidy takes on: an eighth of the process's address space, and never less
// than 256 MB. In this 32-bit program (2 GB) that is 256 MB.
size_t UntranslatedTextsLimit();
