// File routines shared by the commands: long-path-safe names, attribute tests, whole-file reads.
#pragma once
#include <windows.h>

#include <string>
#include <unordered_map>
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
// file beside it, which then takes its place. A device (NUL, a port) cannot be replaced: the
// bytes are written to it. Returns false (old file untouched) on failure.
bool ReplaceFileContents(const std::wstring& path, const std::string& bytes);

// Why ReplaceFileContents could not write the file now, as a system error code: 0 when the
// file (or device) can be opened for writing, with the access and sharing that replacing it
// needs, or, when it does not exist, created. Changes nothing on the disk.
unsigned long ReplaceFileError(const std::wstring& path);

// The path made absolute against the current folder (as a drop names it); unchanged when the
// system cannot make it so.
std::wstring FullPathName(const std::wstring& path);

// Each path made absolute as FullPathName does, in order: the rows that a drop of them gives.
std::vector<std::wstring> FullPathNames(const std::vector<std::wstring>& paths);

// The key under which two paths name the same file as Windows compares names: the full path,
// upper-cased ordinal (see UpperOrdinal).
std::wstring FileKey(const std::wstring& path);

// The identity of the file or folder that a path names, as a key equal for two paths exactly
// when they reach the same file by its folder: "\\?\" and "\\?\UNC\" prefixes, "." and ".."
// steps, 8.3 short names, and links and junctions anywhere on the way do not change it (hard
// links to one file under two names do). Each folder is opened once, however many files below
// it are asked for; a file costs a look-up only when its own name may be a short one (a "~").
// A path whose folder cannot be opened keys by its text, as FileKey does.
class FileIdentity {
public:
    // The key of a folder: its final path as the system gives it for an open handle, upper-cased.
    std::wstring FolderKey(const std::wstring& folder);
    // The key of a file: its folder's key and its long name, upper-cased.
    std::wstring FileKeyOf(const std::wstring& path);

private:
    std::unordered_map<std::wstring, std::wstring> folders_;  // FileKey of a folder -> its key
};

// A path with a "\\?\" or "\\?\UNC\" prefix in its ordinary form ("C:\x", "\\server\x").
std::wstring WithoutLongPrefix(const std::wstring& path);

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
