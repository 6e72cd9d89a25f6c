// The path rules of the program, written once: Windows paths, with '\' (or '/') between names. Pure.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A job is a print file whose name ends in a six-character suffix ("_x.prn"); its job-information
// file has the same name with "_i.pri" in place of that suffix.
inline constexpr size_t kPrintFileSuffixLength = 6;
inline constexpr std::wstring_view kJobInfoSuffix = L"_i.pri";

// The folder part of a path (before its last '\' or '/'); empty when there is none, or when the
// only separator leads the path.
std::wstring ParentPath(const std::wstring& path);

// The folder with one '\' at its end, or without it.
std::wstring WithTrailingSeparator(const std::wstring& folder);
std::wstring WithoutTrailingSeparator(std::wstring folder);

// The key under which two paths (or registry names) are the same one, as Windows compares them:
// upper case by the ordinal table (UpperOrdinal).
std::wstring PathCompareKey(const std::wstring& path);

// Every part of the path that ends before a '\', then the folder itself, top first: the order in
// which a chain of folders is made. The drive comes first ("C:", "C:\a", "C:\a\b" for "C:\a\b"),
// and a share's parts too ("", "\", "\\s", "\\s\x" for "\\s\x"): making such a part fails and
// changes nothing, so the caller passes them over or lets them fail.
std::vector<std::wstring> FolderChain(const std::wstring& folder);

// A text file as regedit and the backups write it: UTF-16 LE after its byte-order mark.
std::string Utf16FileBytes(const std::wstring& text);
