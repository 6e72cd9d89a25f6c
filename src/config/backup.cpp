#include "config/backup.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "common/errors.h"
#include "common/fileio.h"
#include "common/handles.h"
#include "common/product_keys.h"
#include "config/backup_names.h"

namespace {

const std::wstring kRoot = L"HKEY_LOCAL_MACHINE\\";
const size_t kBackupsKept = 20;
const unsigned kMaxSuffix = 10000;

[[noreturn]] void ThrowReadError(const std::wstring& path, LONG code)
{
    throw Win32Error(L"Cannot read " + kRoot + path + L": error ", static_cast<unsigned long>(code));
}

// The key opened for reading; empty when it does not exist.
UniqueHKey OpenForRead(const std::wstring& path)
{
    HKEY key = nullptr;
    LONG r = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key);
    if (r == ERROR_FILE_NOT_FOUND)
        return {};
    if (r != ERROR_SUCCESS)
        ThrowReadError(path, r);
    return UniqueHKey(key);
}

// Grows the buffers to what the key's largest value name and data need now.
void FitValueBuffers(HKEY key, const std::wstring& path, std::vector<wchar_t>& name, std::vector<BYTE>& data)
{
    DWORD maxName = 0, maxData = 0;
    LONG r = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                              &maxData, nullptr, nullptr);
    if (r != ERROR_SUCCESS)
        ThrowReadError(path, r);
    // Never smaller than before, and at least one byte: a null data buffer would read no data.
    name.resize(std::max<size_t>({name.size() * 2, maxName + 1, 256}));
    data.resize(std::max<size_t>({data.size() * 2, maxData, 1}));
}

std::vector<RegValueData> ReadValues(HKEY key, const std::wstring& path)
{
    std::vector<RegValueData> values;
    std::vector<wchar_t> name;
    std::vector<BYTE> data;
    FitValueBuffers(key, path, name, data);
    for (DWORD index = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
        LONG r = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (r == ERROR_NO_MORE_ITEMS)
            return values;
        if (r == ERROR_MORE_DATA) {  // the value grew since the key was measured
            FitValueBuffers(key, path, name, data);
            continue;
        }
        if (r != ERROR_SUCCESS)
            ThrowReadError(path, r);
        values.push_back({std::wstring(name.data(), nameLength), type,
                          std::vector<uint8_t>(data.begin(), data.begin() + size)});
        ++index;
    }
}

std::vector<std::wstring> ReadSubkeyNames(HKEY key, const std::wstring& path)
{
    std::vector<std::wstring> names;
    wchar_t name[256];  // key names have at most 255 characters
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        LONG r = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS)
            return names;
        if (r != ERROR_SUCCESS)
            ThrowReadError(path, r);
        names.emplace_back(name, length);
    }
}

void ReadKeyInto(const std::wstring& path, std::vector<RegKeyData>& keys)
{
    UniqueHKey key = OpenForRead(path);
    if (!key)  // absent, or deleted since its parent listed it
        return;
    keys.push_back({kRoot + path, {}, ReadValues(key.get(), path)});
    for (const std::wstring& name : ReadSubkeyNames(key.get(), path))
        ReadKeyInto(path + L"\\" + name, keys);
}

bool SameValueName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

bool Lists(const RegKeyData& key, const std::wstring& name)
{
    auto same = [&](const std::wstring& other) { return SameValueName(other, name); };
    return std::any_of(key.values.begin(), key.values.end(), [&](const RegValueData& v) { return same(v.name); }) ||
           std::any_of(key.removedValues.begin(), key.removedValues.end(), same);
}

// Makes the folder and its missing parents; what cannot be made shows when the file is written.
void CreateFolderChain(const std::wstring& folder)
{
    for (size_t end = folder.find(L'\\'); end != std::wstring::npos; end = folder.find(L'\\', end + 1))
        CreateDirectoryW(LongPathName(folder.substr(0, end)).c_str(), nullptr);
    CreateDirectoryW(LongPathName(folder).c_str(), nullptr);
}

BackupTime LocalTimeNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

[[noreturn]] void ThrowWriteError(const std::wstring& path, DWORD code)
{
    throw Win32Error(L"Cannot write backup " + path + L": error ", code);
}

void WriteUtf16File(UniqueFile& file, const std::wstring& path, const std::wstring& text)
{
    std::wstring content = L"\xFEFF" + text;
    DWORD size = static_cast<DWORD>(content.size() * sizeof(wchar_t)), written = 0;
    if (WriteFile(file.get(), content.data(), size, &written, nullptr) && written == size &&
        FlushFileBuffers(file.get()))
        return;
    DWORD error = GetLastError();
    file.reset();
    DeleteFileW(LongPathName(path).c_str());
    ThrowWriteError(path, error);
}

// Creates the backup under the first name of this second not yet taken and writes it.
std::wstring WriteNewBackup(const std::wstring& folder, const std::wstring& text)
{
    BackupTime time = LocalTimeNow();
    for (unsigned suffix = 1;; ++suffix) {
        std::wstring path = folder + L"\\" + BackupFileName(time, suffix);
        UniqueFile file(CreateFileW(LongPathName(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            DWORD error = GetLastError();
            if ((error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) && suffix < kMaxSuffix)
                continue;
            ThrowWriteError(path, error);
        }
        WriteUtf16File(file, path, text);
        return path;
    }
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    UniqueFind find(FindFirstFileW(LongPathName(folder + L"\\Vorla-*").c_str(), &entry));
    if (!find)
        return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(entry.cFileName);
    } while (FindNextFileW(find.get(), &entry));
    return names;
}

// Deletes the older backups beyond the newest ones kept; the one just written always stays,
// even when the clock was put back since older ones were made.
void RemoveOldBackups(const std::wstring& folder, const std::wstring& keptName)
{
    std::vector<std::wstring> names = FileNamesIn(folder);
    names.erase(std::remove(names.begin(), names.end(), keptName), names.end());
    for (const std::wstring& name : BackupsBeyondNewest(names, kBackupsKept - 1))
        DeleteFileW(LongPathName(folder + L"\\" + name).c_str());
}

}  // namespace

std::vector<RegKeyData> ReadKeyTree(const std::wstring& path)
{
    std::vector<RegKeyData> keys;
    ReadKeyInto(path, keys);
    return keys;
}

std::wstring VorlaRestoreText(const std::vector<std::wstring>& writtenProductValues)
{
    std::vector<RegKeyData> keys = ReadKeyTree(kProductKeyPath);
    if (keys.empty())
        return RegFileText({kRoot + kProductKeyPath}, {});
    RegKeyData& product = keys.front();
    for (const std::wstring& name : writtenProductValues)
        if (!Lists(product, name))
            product.removedValues.push_back(name);
    return RegFileText({kRoot + kMapsKeyPath}, keys);
}

std::wstring DefaultBackupFolder()
{
    wchar_t programData[MAX_PATH] = {};
    HRESULT result = SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, programData);
    if (FAILED(result))
        throw Win32Error(L"SHGetFolderPath error ", static_cast<unsigned long>(result));
    return std::wstring(programData) + L"\\Kelvane\\vorlasched\\backups";
}

std::wstring BackupVorlaKey(const std::vector<std::wstring>& writtenProductValues, const std::wstring& folder)
{
    std::wstring text = VorlaRestoreText(writtenProductValues);
    std::wstring base = folder;
    if (!base.empty() && base.back() == L'\\')
        base.pop_back();
    CreateFolderChain(base);
    std::wstring path = WriteNewBackup(base, text);
    RemoveOldBackups(base, path.substr(base.size() + 1));
    return path;
}
