// The texts of the refusals to read or write a file that would not mean what it says: a text
// file whose encoding is unclear, a .reg file that could not hold a name. All in one place, so
// that they read alike and a fleet tool finds them in one list. Pure.
#pragma once
#include <cstddef>
#include <string>

std::wstring NotUtf8Refusal(unsigned byte, size_t offset);
std::wstring LoneSurrogateRefusal(unsigned unit, size_t offset);
std::wstring OddUtf16Refusal(size_t offset);
std::wstring NotInCodePageRefusal(unsigned byte, size_t offset, unsigned codePage);
std::wstring RegLineBreakRefusal(const std::wstring& name);
