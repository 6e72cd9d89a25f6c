#include "common/fileio.h"

#include "common/errors.h"

std::wstring LongPathName(const std::wstring& path)
{
    if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0)
        return path;
    if (path.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\')
        return L"\\\\?\\" + path;
    return path;
}

static DWORD AttributesOf(const std::wstring& path)
{
    return GetFileAttributesW(LongPathName(path).c_str());
}

bool IsExistingFolder(const std::wstring& path)
{
    DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFile(const std::wstring& path)
{
    DWORD a = AttributesOf(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

UniqueFile OpenForReadDenyWrite(const std::wstring& path)
{
    return UniqueFile(CreateFileW(LongPathName(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

std::string ReadFileBytes(const std::wstring& path, size_t maxBytes, bool* truncated)
{
    UniqueFile file = OpenForReadDenyWrite(path);
    if (!file)
        throw AppError(L"Cannot open file " + path);
    std::string bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) && static_cast<unsigned long long>(size.QuadPart) < maxBytes)
        bytes.reserve(static_cast<size_t>(size.QuadPart));
    char buffer[65536];
    bool more = false;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
            throw Win32Error(L"Failed to read file " + path + L", error ", GetLastError());
        if (got == 0)
            break;
        size_t room = maxBytes - bytes.size();
        if (got > room) {
            bytes.append(buffer, room);
            more = true;
            break;
        }
        bytes.append(buffer, got);
    }
    if (truncated)
        *truncated = more;
    return bytes;
}

bool ReplaceFileContents(const std::wstring& path, const std::string& bytes)
{
    std::wstring temp = path + L".new";
    {
        UniqueFile out(CreateFileW(LongPathName(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out)
            return false;
        DWORD written = 0;
        bool ok = WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size() && FlushFileBuffers(out.get());
        if (!ok) {
            out.reset();
            DeleteFileW(LongPathName(temp).c_str());
            return false;
        }
    }
    if (!MoveFileExW(LongPathName(temp).c_str(), LongPathName(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(LongPathName(temp).c_str());
        return false;
    }
    return true;
}

static std::wstring ModulePath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring FullPathName(const std::wstring& path)
{
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    DWORD got = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (got == 0 || got >= size)
        return path;
    full.resize(got);
    return full;
}

std::wstring ProgramPath()
{
    return ModulePath();
}

std::wstring ProgramFolder()
{
    std::wstring path = ModulePath();
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring ProgramTitle()
{
    std::wstring path = ModulePath();
    size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

DWORD FolderCreationError(const std::wstring& path)
{
    std::wstring folder = path;
    while (!folder.empty() && !IsExistingFolder(folder)) {
        if (GetFileAttributesW(LongPathName(folder).c_str()) != INVALID_FILE_ATTRIBUTES)
            return ERROR_PATH_NOT_FOUND;  // a file where a folder has to go
        const size_t slash = folder.find_last_of(L"\\/");
        folder = slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
    }
    if (folder.empty() || folder.back() == L':')
        folder += L'\\';
    UniqueFile handle(CreateFileW(LongPathName(folder).c_str(), FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle ? 0 : GetLastError();
}

DWORD FileWriteError(const std::wstring& path)
{
    UniqueFile handle(CreateFileW(LongPathName(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle ? 0 : GetLastError();
}

std::vector<std::wstring> FullPathNames(const std::vector<std::wstring>& paths)
{
    std::vector<std::wstring> full;
    full.reserve(paths.size());
    for (const std::wstring& path : paths)
        full.push_back(FullPathName(path));
    return full;
}
