// File routines shared by the commands: long-path-safe names, attribute tests, whole-file reads.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "common/handles.h"

// The name to hand to the file API: absolute paths of MAX_PATH or more get the "\\?\" form,
// so paths of any length work; shorter paths stay as they are.
std::wstring LongPathName(const std::wstring& path);

bool IsExistingFolder(const std::wstring& path);
bool IsExistingFile(const std::wstring& path);

// Opens a file for reading with writing by others denied; empty handle on failure
// (GetLastError tells why).
UniqueFile OpenForReadDenyWrite(const std::wstring& path);

// The whole file as bytes, read with writing by others denied, at most maxBytes of it
// (truncated tells whether more was there). Throws AppError "Cannot open file %s" when it
// cannot be opened, or the read error.
std::string ReadFileBytes(const std::wstring& path, size_t maxBytes, bool* truncated = nullptr);

// Replaces the file's contents without ever leaving it half written: the new bytes go to a
// file beside it, which then takes its place. Returns false (old file untouched) on failure.
bool ReplaceFileContents(const std::wstring& path, const std::string& bytes);

// The path made absolute against the current folder (as a drop names it); unchanged when the
// system cannot make it so.
std::wstring FullPathName(const std::wstring& path);

// Each path made absolute as FullPathName does, in order: the rows that a drop of them gives.
std::vector<std::wstring> FullPathNames(const std::vector<std::wstring>& paths);

// The full path of the running program's file.
std::wstring ProgramPath();
// The folder of the running program, without a trailing separator.
std::wstring ProgramFolder();
// The name of the program's file without folder and extension ("vorlasched").
std::wstring ProgramTitle();

// Whether a folder could be made at path, or files made in it, without making anything: 0 when
// the nearest existing folder of the path lets files and folders be added, else the error that
// making them would meet (ERROR_PATH_NOT_FOUND where a file stands in for a folder).
DWORD FolderCreationError(const std::wstring& path);

// Whether an existing file could be written in place now, without writing: 0 when it can be
// opened for writing with no sharing, as the writer opens it, else the error.
DWORD FileWriteError(const std::wstring& path);
