#include "config/backup.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <optional>

#include "common/errors.h"
#include "common/fileio.h"
#include "common/handles.h"
#include "common/paths.h"
#include "common/product_keys.h"
#include "common/registry.h"
#include "config/backup_names.h"

namespace {

const size_t kBackupsKept = 20;
const unsigned kMaxSuffix = 10000;

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
    MakeFolderChain(folder);
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
    const std::string content = Utf16FileBytes(text);
    DWORD size = static_cast<DWORD>(content.size()), written = 0;
    if (WriteFile(file.get(), content.data(), size, &written, nullptr) && written == size &&
        FlushFileBuffers(file.get()))
        return;
    DWORD error = GetLastError();
    file.reset();
    DeleteFileAt(path);
    ThrowWriteError(path, error);
}

// Creates the backup under the first name of this second not yet taken and writes it.
std::wstring WriteNewBackup(const std::wstring& folder, const std::wstring& text)
{
    BackupTime time = LocalTimeNow();
    for (unsigned suffix = 1;; ++suffix) {
        std::wstring path = folder + L"\\" + BackupFileName(time, suffix);
        UniqueFile file = OpenFile(path, GENERIC_WRITE, 0, CREATE_NEW);
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
    ListFolder(folder + L"\\Vorla-*", [&](const WIN32_FIND_DATAW& entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(entry.cFileName);
        return true;
    });
    return names;
}

// Deletes the backups beyond the newest ones kept, but never the oldest one, and never the one
// just written or named, even when the clock was put back since older ones were made.
void RemoveOldBackups(const std::wstring& folder, const std::wstring& keptName)
{
    std::vector<std::wstring> names = FileNamesIn(folder);
    names.erase(std::remove(names.begin(), names.end(), keptName), names.end());
    for (const std::wstring& name : BackupsToPrune(names, kBackupsKept - 1))
        DeleteFileAt(folder + L"\\" + name);
}

// The newest backup in the folder, when its content is exactly this text.
std::optional<std::wstring> NewestWithText(const std::wstring& folder, const std::wstring& text)
{
    const std::vector<std::wstring> newestFirst = BackupsBeyondNewest(FileNamesIn(folder), 0);
    if (newestFirst.empty())
        return std::nullopt;
    const std::wstring path = folder + L"\\" + newestFirst.front();
    const std::string content = Utf16FileBytes(text);
    const size_t size = content.size();
    try {
        bool truncated = false;
        const std::string bytes = ReadFileBytes(path, size, &truncated);
        if (!truncated && bytes.size() == size && std::equal(bytes.begin(), bytes.end(), content.begin()))
            return path;
    } catch (const AppError&) {
    }
    return std::nullopt;
}

}  // namespace

std::wstring VorlaRestoreText(const std::vector<std::wstring>& writtenProductValues, const ProductRoot& root)
{
    std::vector<RegKeyData> keys = ReadKeyTree(root.key, root.hive);
    if (keys.empty())
        return RegFileText({root.FullPath(root.key)}, {});
    RegKeyData& product = keys.front();
    for (const std::wstring& name : writtenProductValues)
        if (!Lists(product, name))
            product.removedValues.push_back(name);
    return RegFileText({root.FullPath(root.MapsKey())}, keys);
}

std::wstring DefaultBackupFolder()
{
    wchar_t programData[MAX_PATH] = {};
    HRESULT result = SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, programData);
    if (FAILED(result))
        throw Win32Error(L"SHGetFolderPath error ", static_cast<unsigned long>(result));
    return std::wstring(programData) + L"\\Kelvane\\vorlasched\\backups";
}

BackupMade BackupVorlaKey(const std::vector<std::wstring>& writtenProductValues, const std::wstring& folder,
                          const ProductRoot& root)
{
    const std::wstring text = VorlaRestoreText(writtenProductValues, root);
    const std::wstring base = WithoutTrailingSeparator(folder);
    if (std::optional<std::wstring> same = NewestWithText(base, text))
        return {*same, false};
    CreateFolderChain(base);
    std::wstring path = WriteNewBackup(base, text);
    RemoveOldBackups(base, path.substr(base.size() + 1));
    return {path, true};
}

void CheckBackupPossible(const std::vector<std::wstring>& writtenProductValues, const std::wstring& folder,
                         const ProductRoot& root)
{
    const std::wstring text = VorlaRestoreText(writtenProductValues, root);
    const std::wstring base = WithoutTrailingSeparator(folder);
    if (NewestWithText(base, text))
        return;
    if (DWORD error = FolderCreationError(base))
        ThrowWriteError(base + L"\\" + BackupFileName(LocalTimeNow(), 1), error);
}
