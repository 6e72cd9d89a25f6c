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

// The folder and every folder above it that has a name, top first ("C:\a", "C:\a\b" for
// "C:\a\b"; a drive or share root is not one): the order in which a chain of folders is made.
std::vector<std::wstring> FolderChain(const std::wstring& folder);

// A text file as regedit and the backups write it: UTF-16 LE after its byte-order mark.
std::string Utf16FileBytes(const std::wstring& text);
