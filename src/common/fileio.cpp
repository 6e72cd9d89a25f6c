#include "common/paths.h"
#include "common/fileio.h"

#include <cstring>

#include "common/errors.h"
#include "common/locale_text.h"

bool IsExistingFolder(const std::wstring& path)
{
    DWORD a = FileAttributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFile(const std::wstring& path)
{
    DWORD a = FileAttributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

UniqueFile OpenForReadDenyWrite(const std::wstring& path)
{
    return OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
}

std::string ReadFileBytes(const std::wstring& path, size_t maxBytes, bool* truncated)
{
    UniqueFile file = OpenForReadDenyWrite(path);
    if (!file)
        throw OpenFileFailure(path);
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

namespace {

UniqueFile OpenToWrite(const std::wstring& path, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    return OpenFile(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, disposition, flags);
}

// An existing file that is no disk file: NUL, a console, a port, a pipe.
UniqueFile OpenDevice(const std::wstring& path)
{
    UniqueFile file = OpenToWrite(path, GENERIC_WRITE, OPEN_EXISTING);
    if (file && GetFileType(file.get()) == FILE_TYPE_DISK)
        file.reset();
    return file;
}

bool WriteAll(HANDLE file, const std::string& bytes)
{
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

bool ReplaceFileContents(const std::wstring& path, const std::string& bytes)
{
    if (UniqueFile device = OpenDevice(path))
        return WriteAll(device.get(), bytes);
    std::wstring temp = path + L".new";
    {
        UniqueFile out = OpenFile(temp, GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (!out)
            return false;
        bool ok = WriteAll(out.get(), bytes) && FlushFileBuffers(out.get());
        if (!ok) {
            out.reset();
            DeleteFileAt(temp);
            return false;
        }
    }
    if (!MoveFileOnto(temp, path)) {
        DeleteFileAt(temp);
        return false;
    }
    return true;
}

unsigned long ReplaceFileError(const std::wstring& path)
{
    if (OpenDevice(path))
        return ERROR_SUCCESS;
    // The replace takes the file's place: it must be writable and deletable, and nobody may
    // hold it open without letting others write and delete. Opening truncates nothing.
    if (OpenToWrite(path, GENERIC_WRITE | DELETE, OPEN_EXISTING))
        return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND)
        return error;
    // A file made only to see that it can be made is gone when its handle closes.
    if (OpenToWrite(path, GENERIC_WRITE | DELETE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE))
        return ERROR_SUCCESS;
    return GetLastError();
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

std::wstring FileKey(const std::wstring& path)
{
    return UpperOrdinal(FullPathName(path));
}

namespace {

// What a path names, in the form that the system resolves "." and ".." in.
std::wstring PlainFullPath(const std::wstring& path)
{
    return FullPathName(WithoutLongPrefix(path));
}

// The final path of an open file or folder, upper-cased; empty when the system cannot tell it.
std::wstring FinalPathKey(HANDLE handle)
{
    return UpperOrdinal(WithoutLongPrefix(FinalPathOf(handle)));
}

}  // namespace

namespace {

// FILE_ID_INFO and its class, FileIdInfo (18), which the headers give from Windows 8 on; an older
// system refuses the class, and the 64-bit file index serves.
struct FileIdInfo128 {
    ULONGLONG volumeSerialNumber;
    BYTE fileId[16];
};
const auto kFileIdInfoClass = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);

template <class Unsigned>
std::wstring HexOf(Unsigned value)
{
    std::wstring text;
    for (int shift = 8 * static_cast<int>(sizeof value) - 4; shift >= 0; shift -= 4)
        text += L"0123456789abcdef"[(value >> shift) & 0xF];
    return text;
}

}  // namespace

std::wstring FileIdOf(const std::wstring& path)
{
    UniqueFile file = OpenFile(PlainFullPath(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info))
        return {};
    unsigned long long volume = info.dwVolumeSerialNumber;
    unsigned long long high = 0, low = static_cast<unsigned long long>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    FileIdInfo128 id{};  // 128 bits: what ReFS needs
    if (GetFileInformationByHandleEx(file.get(), kFileIdInfoClass, &id, sizeof id)) {
        volume = id.volumeSerialNumber;
        std::memcpy(&low, id.fileId, 8);
        std::memcpy(&high, id.fileId + 8, 8);
    }
    if (high == 0 && (low == 0 || low == ~0ULL))
        return {};
    const unsigned long long created =
        static_cast<unsigned long long>(info.ftCreationTime.dwHighDateTime) << 32 | info.ftCreationTime.dwLowDateTime;
    return L"ID " + HexOf(volume) + L":" + HexOf(high) + HexOf(low) + L":" + HexOf(created);
}

std::wstring FileIdentity::FolderKey(const std::wstring& folder)
{
    const std::wstring plain = PlainFullPath(folder);
    std::wstring textKey = UpperOrdinal(plain);
    auto known = folders_.find(textKey);
    if (known != folders_.end())
        return known->second;
    UniqueFile handle = OpenFile(plain, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS);
    std::wstring key = handle ? FinalPathKey(handle.get()) : std::wstring();
    if (key.empty())
        key = textKey;
    while (key.size() > 3 && key.back() == L'\\')
        key.pop_back();
    return folders_.emplace(std::move(textKey), key).first->second;
}

std::wstring FileIdentity::FileKeyOf(const std::wstring& path)
{
    const std::wstring plain = PlainFullPath(path);
    const size_t slash = plain.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == plain.size())
        return UpperOrdinal(plain);
    std::wstring name = plain.substr(slash + 1);
    if (name.find(L'~') != std::wstring::npos) {  // perhaps a short name: the long one counts
        ListFolder(plain, [&](const WIN32_FIND_DATAW& entry) {
            name = entry.cFileName;
            return false;
        });
    }
    const std::wstring folder = FolderKey(plain.substr(0, slash == 2 && plain[1] == L':' ? 3 : slash));
    return WithTrailingSeparator(folder) + UpperOrdinal(name);
}

std::wstring ProgramPath()
{
    return ModulePath();
}

std::wstring ProgramFolder()
{
    return ParentPath(ModulePath());
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
        if (PathExists(folder))
            return ERROR_PATH_NOT_FOUND;  // a file where a folder has to go
        folder = ParentPath(folder);
    }
    if (folder.empty() || folder.back() == L':')
        folder += L'\\';
    UniqueFile handle = OpenFile(folder, FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS);
    return handle ? 0 : GetLastError();
}

DWORD FileWriteError(const std::wstring& path)
{
    UniqueFile handle = OpenFile(path, GENERIC_WRITE, 0, OPEN_EXISTING);
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
