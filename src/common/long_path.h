// The forms of a path that the file layer (common/fileio.h) hands to the system and takes back:
// the "\\?\" and "\\?\UNC\" prefixes are added and taken away here and nowhere else. Pure.
#pragma once
#include <string>

// The name to hand to the file API: absolute paths of MAX_PATH or more get the "\\?\" form,
// so paths of any length work; shorter paths stay as they are.
std::wstring LongPathName(const std::wstring& path);

// A path with a "\\?\" or "\\?\UNC\" prefix in its ordinary form ("C:\x", "\\server\x").
std::wstring WithoutLongPrefix(const std::wstring& path);
