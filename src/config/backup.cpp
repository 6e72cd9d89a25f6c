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
const size_t kLargestJudged = 64 << 20;  // far beyond any product key's backup

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

bool IsNameTaken(DWORD error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

// Creates the temporary file and writes the bytes to the disk (FlushFileBuffers); false when
// the name is taken. A failure throws naming the backup, and leaves no file.
bool WriteTemporary(const std::wstring& temporary, const std::wstring& backup, const std::string& content)
{
    UniqueFile file = OpenFile(temporary, GENERIC_WRITE, 0, CREATE_NEW);
    if (!file) {
        const DWORD error = GetLastError();
        if (IsNameTaken(error))
            return false;
        ThrowWriteError(backup, error);
    }
    const DWORD size = static_cast<DWORD>(content.size());
    DWORD written = 0;
    if (WriteFile(file.get(), content.data(), size, &written, nullptr) && written == size &&
        FlushFileBuffers(file.get()))
        return true;
    const DWORD error = GetLastError();
    file.reset();
    DeleteFileAt(temporary);
    ThrowWriteError(backup, error);
}

// Writes the backup under the first name of this second not yet taken. The bytes go to a
// temporary file beside it, flushed to the disk, which is then renamed (never over an existing
// name): a run killed at any moment leaves the backup whole or absent, and at most a temporary
// file that the next backup deletes.
std::wstring WriteNewBackup(const std::wstring& folder, const std::wstring& text)
{
    const std::string content = Utf16FileBytes(text);
    const BackupTime time = LocalTimeNow();
    for (unsigned suffix = 1;; ++suffix) {
        const bool last = suffix >= kMaxSuffix;
        const std::wstring name = BackupFileName(time, suffix);
        const std::wstring path = folder + L"\\" + name, temporary = folder + L"\\" + BackupTemporaryName(name);
        if (!last && IsExistingFile(path))
            continue;
        if (!WriteTemporary(temporary, path, content)) {
            if (last)
                ThrowWriteError(path, ERROR_FILE_EXISTS);
            continue;
        }
        if (MoveFileToNewName(temporary, path))
            return path;
        const DWORD error = GetLastError();
        DeleteFileAt(temporary);
        if (last || !IsNameTaken(error))
            ThrowWriteError(path, error);
    }
}

std::vector<std::wstring> FileNamesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    ListFolder(folder + L"\\Vorla-*", [&names](const WIN32_FIND_DATAW& entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(entry.cFileName);
        return true;
    });
    return names;
}

// Whether the file holds a whole backup. One that cannot be read now, or is too large to read,
// is not judged: it counts as whole and stays.
bool IsWholeFile(const std::wstring& path)
{
    try {
        bool truncated = false;
        const std::string bytes = ReadFileBytes(path, kLargestJudged, &truncated);
        return truncated || IsWholeBackup(bytes);
    } catch (const AppError&) {
        return true;
    }
}

// Deletes what a killed run left (a backup that is not whole, a temporary file) and the backups
// beyond the newest ones kept, but never the oldest whole one, and never the one just written,
// even when the clock was put back since older ones were made. Returns the leftovers deleted.
std::vector<std::wstring> KeepWholeBackups(const std::wstring& folder, const std::wstring& keptName)
{
    std::vector<BackupFile> files;
    for (const std::wstring& name : FileNamesIn(folder))
        if (name != keptName)
            files.push_back({name, ParseBackupFileName(name) && IsWholeFile(folder + L"\\" + name)});
    const Retention retention = PlanRetention(files, kBackupsKept - 1);
    std::vector<std::wstring> removed;
    for (const std::wstring& name : retention.leftovers) {
        const std::wstring path = folder + L"\\" + name;
        if (DeleteFileAt(path))
            removed.push_back(path);
    }
    for (const std::wstring& name : retention.pruned)
        DeleteFileAt(folder + L"\\" + name);
    return removed;
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
        return {*same, false, {}};
    MakeFolderChain(base);
    const std::wstring path = WriteNewBackup(base, text);
    return {path, true, KeepWholeBackups(base, path.substr(base.size() + 1))};
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
