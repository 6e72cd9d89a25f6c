// The file layer's system calls: the only place where the program hands a path to the system's
// file API, each call in the long-path form (see common/fileio.h).
#include "common/fileio.h"

#include "common/errors.h"
#include "common/paths.h"

UniqueFile OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    return UniqueFile(CreateFileW(LongPathName(path).c_str(), access, share, nullptr, disposition, flags, nullptr));
}

bool DeleteFileAt(const std::wstring& path)
{
    return DeleteFileW(LongPathName(path).c_str()) != FALSE;
}

bool MoveFileOnto(const std::wstring& from, const std::wstring& to)
{
    return MoveFileExW(LongPathName(from).c_str(), LongPathName(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool MoveFileToNewName(const std::wstring& from, const std::wstring& to)
{
    return MoveFileExW(LongPathName(from).c_str(), LongPathName(to).c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool CopyToNewFile(const std::wstring& source, const std::wstring& target)
{
    return CopyFileW(LongPathName(source).c_str(), LongPathName(target).c_str(), TRUE) != FALSE;
}

bool LinkNewFile(const std::wstring& link, const std::wstring& existing)
{
    return CreateHardLinkW(LongPathName(link).c_str(), LongPathName(existing).c_str(), nullptr) != FALSE;
}

bool MakeFolder(const std::wstring& folder)
{
    return CreateDirectoryW(LongPathName(folder).c_str(), nullptr) != FALSE;
}

void MakeFolderChain(const std::wstring& folder)
{
    for (const std::wstring& each : FolderChain(folder))
        MakeFolder(each);
}

DWORD FileAttributes(const std::wstring& path)
{
    return GetFileAttributesW(LongPathName(path).c_str());
}

bool PathExists(const std::wstring& path)
{
    return FileAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool FileSizeOf(const std::wstring& path, unsigned long long& size)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(LongPathName(path).c_str(), GetFileExInfoStandard, &data))
        return false;
    size = static_cast<unsigned long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return true;
}

bool ListFolder(const std::wstring& pattern, const std::function<bool(const WIN32_FIND_DATAW&)>& each)
{
    WIN32_FIND_DATAW entry;
    UniqueFind find(FindFirstFileExW(LongPathName(pattern).c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return false;
    while (each(entry) && FindNextFileW(find.get(), &entry)) {
    }
    return true;
}

std::wstring FinalPathOf(HANDLE handle)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(n);
    }
}

std::wstring UserTempFolder()
{
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0)
        throw Win32Error(L"GetTempPath() error ", GetLastError());
    // A longer name does not fit: the system leaves the last error alone then, so the
    // number shown is the one that says so.
    if (length > MAX_PATH)
        throw Win32Error(L"GetTempPath() error ", ERROR_FILENAME_EXCED_RANGE);
    return std::wstring(folder, length);
}

std::wstring NewTempFile(const std::wstring& folder, const wchar_t* prefix)
{
    wchar_t name[MAX_PATH];  // the system takes no long form here: the folder fits MAX_PATH
    if (GetTempFileNameW(folder.c_str(), prefix, 0, name) == 0)
        throw Win32Error(L"GetTempFileName() error ", GetLastError());
    return name;
}
