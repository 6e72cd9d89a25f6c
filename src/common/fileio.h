// The file layer: every call of the program that names a file or folder by its path goes
// through here (fileio_calls.cpp holds the system calls, this file's other routines are built on
// them), and no other file calls the system's file API (CreateFileW, DeleteFileW, MoveFileExW,
// CopyFileW, CreateHardLinkW, CreateDirectoryW, FindFirstFileW, GetFileAttributesW, GetTempPathW,
// GetFinalPathNameByHandleW, ...). Each call applies the long-path form (common/long_path.h)
// itself; a file that cannot be made or opened is said in the program's one text for it
// (CreateFileError, OpenFileError in common/errors.h).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/handles.h"
#include "common/long_path.h"

// The system's calls, each with the long-path form applied. Those that return a handle or a bool
// fail as the system call does (GetLastError tells why).
UniqueFile OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flags = FILE_ATTRIBUTE_NORMAL);
bool DeleteFileAt(const std::wstring& path);
// Moves the file onto the target, replacing it, and returns when the move is on the disk.
bool MoveFileOnto(const std::wstring& from, const std::wstring& to);
// Moves the file to a name that no file has yet (fails on a taken one), and returns when the
// move is on the disk.
bool MoveFileToNewName(const std::wstring& from, const std::wstring& to);
// A copy or a hard link under a name that no file has yet.
bool CopyToNewFile(const std::wstring& source, const std::wstring& target);
bool LinkNewFile(const std::wstring& link, const std::wstring& existing);
bool MakeFolder(const std::wstring& folder);
// Makes each folder of the chain (common/paths.h, FolderChain) that it can; whether the last one
// is there the caller sees when it uses it.
void MakeFolderChain(const std::wstring& folder);
// INVALID_FILE_ATTRIBUTES when the path names nothing (or cannot be asked about).
DWORD FileAttributes(const std::wstring& path);
bool PathExists(const std::wstring& path);
// The file's size in bytes; false when it cannot be asked for.
bool FileSizeOf(const std::wstring& path, unsigned long long& size);
// Calls each(entry) for every entry that the pattern ("folder\*.*", "folder\VORJ*.tmp") finds,
// "." and ".." included, while each returns true; false when the search finds nothing or fails.
bool ListFolder(const std::wstring& pattern, const std::function<bool(const WIN32_FIND_DATAW&)>& each);
// The final path of an open file or folder as the system gives it; empty when it cannot tell.
std::wstring FinalPathOf(HANDLE handle);

// The user's temporary folder, ending in "\\"; throws Win32Error "GetTempPath() error <n>" when
// the system gives none, or one longer than MAX_PATH.
std::wstring UserTempFolder();
// Makes a new empty file "<prefix><hex>.tmp" in the folder and returns its path; throws
// Win32Error "GetTempFileName() error <n>".
std::wstring NewTempFile(const std::wstring& folder, const wchar_t* prefix);

bool IsExistingFolder(const std::wstring& path);
bool IsExistingFile(const std::wstring& path);

// Opens a file for reading with writing by others denied; empty handle on failure
// (GetLastError tells why).
UniqueFile OpenForReadDenyWrite(const std::wstring& path);

// The whole file as bytes, read with writing by others denied, at most maxBytes of it
// (truncated tells whether more was there). Throws OpenFileFailure when it cannot be opened, or
// the read error.
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

// The identity of a file whatever the name that reaches it (a drive letter, a subst drive, a
// second name of a server, a hard link): "ID " and its volume's serial number, its file ID and
// its creation time, in hexadecimal (the time tells a new file from a deleted one whose ID the
// volume gave again). Empty when the file cannot be opened or the volume gives it no file ID.
std::wstring FileIdOf(const std::wstring& path);

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
