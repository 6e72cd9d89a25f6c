#include "config/machine.h"

#include <shlobj.h>

#include <cwctype>

#include "common/errors.h"
#include "common/fileio.h"
#include "common/paths.h"
#include "common/registry.h"
#include "common/text.h"
#include "config/address_bitmap.h"
#include "config/backup.h"
#include "config/configure.h"

namespace {

struct FontSearch {
    const wchar_t* face;
    bool found;
};

int CALLBACK MatchFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param)
{
    auto* search = reinterpret_cast<FontSearch*>(param);
    if (wcsncmp(font->lfFaceName, search->face, LF_FACESIZE) != 0)
        return 1;
    search->found = true;
    return 0;
}

bool EnumeratesFamily(HDC dc, const wchar_t* face)
{
    LOGFONTW all{};
    all.lfCharSet = DEFAULT_CHARSET;
    FontSearch search{face, false};
    EnumFontFamiliesExW(dc, &all, MatchFamily, reinterpret_cast<LPARAM>(&search), 0);
    return search.found;
}

}  // namespace

// ---- LiveMachineProbe

LiveMachineProbe::LiveMachineProbe(std::vector<std::wstring> printers, HWND window)
    : printers_(std::move(printers)), window_(window)
{
}

std::wstring LiveMachineProbe::ProgramFolder()
{
    return ::ProgramFolder();
}

bool LiveMachineProbe::ProgramFilesFolder(std::wstring& folder, unsigned long& error)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, path))) {
        error = GetLastError();
        return false;
    }
    folder = path;
    return true;
}

bool LiveMachineProbe::IsFolder(const std::wstring& path)
{
    return IsExistingFolder(path);
}

bool LiveMachineProbe::IsFile(const std::wstring& path)
{
    return IsExistingFile(path);
}

bool LiveMachineProbe::HasFontFamily(const std::wstring& face)
{
    // Asked again by the checks after a planned run: the fonts are enumerated once per face.
    const auto known = fonts_.find(face);
    if (known != fonts_.end())
        return known->second;
    return fonts_[face] = EnumeratesFontFamily(face);
}

bool LiveMachineProbe::EnumeratesFontFamily(const std::wstring& face)
{
    if (window_) {
        WindowDc dc(window_);
        return EnumeratesFamily(dc.get(), face.c_str());
    }
    // Without a window (the command line, perhaps with no display at all) a memory device
    // context lists the same installed families.
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    return dc && EnumeratesFamily(dc.get(), face.c_str());
}

std::optional<std::string> LiveMachineProbe::FileBytes(const std::wstring& path, size_t maxBytes)
{
    try {
        return ReadFileBytes(path, maxBytes);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

// ---- MachineWriter

namespace {

// Writes the values in order; the first refused write throws "Failed to set data for '<name>'".
void WriteValues(RegistryKey& key, const std::vector<RegValue>& values)
{
    for (const RegValue& value : values)
        key.WriteData(RegDataOf(value));
}

}  // namespace

void MachineWriter::Backup(const std::vector<std::wstring>& productValuesWritten)
{
    if (backup_ == BackupPolicy::BeforeChange && !backupTaken_)
        backupTaken_ = BackupVorlaKey(productValuesWritten, DefaultBackupFolder(), root_);
}

void MachineWriter::WriteKey(const std::wstring& path, const std::vector<RegValue>& values)
{
    RegistryKey key = RegistryKey::Create(HiveKey(root_.hive), path, KEY_ALL_ACCESS);
    WriteValues(key, values);
    changes_.push_back({ChangeTarget::Key, ChangeAction::Written, path, {}});
}

void MachineWriter::UpdateKey(const std::wstring& path, bool createMissing, const std::vector<RegValue>& values)
{
    RegistryKey key = createMissing ? RegistryKey::Create(HiveKey(root_.hive), path, KEY_ALL_ACCESS)
                                    : RegistryKey::Open(HiveKey(root_.hive), path, KEY_ALL_ACCESS);
    if (!key.Valid())
        throw OpenKeyFailure(path);
    WriteValues(key, values);
    for (const RegValue& value : values)
        changes_.push_back({ChangeTarget::Value, ChangeAction::Written, path, value.name});
}

// Keys that survive the removal would stand beside the new ones as if they belonged to this
// configuration, so they stop the run.
void MachineWriter::RemoveKeyTree(const std::wstring& path)
{
    const bool removed = DeleteKeyTree(HiveKey(root_.hive), path);
    if (RegistryKey::Open(HiveKey(root_.hive), path, KEY_READ).Valid())
        throw DeleteKeyFailure(path);
    if (removed)
        changes_.push_back({ChangeTarget::Key, ChangeAction::Removed, path, {}});
}

void MachineWriter::MakeFolder(const std::wstring& path)
{
    for (const std::wstring& folder : FolderChain(path))
        if (!folder.empty() && !IsExistingFolder(folder) && ::MakeFolder(folder))
            changes_.push_back({ChangeTarget::Folder, ChangeAction::Made, folder, {}});
}

void MachineWriter::CopyNew(const std::wstring& source, const std::wstring& target)
{
    if (CopyToNewFile(source, target))
        changes_.push_back({ChangeTarget::File, ChangeAction::Copied, target, {}});
}

void MachineWriter::LinkNew(const std::wstring& existing, const std::wstring& link)
{
    if (LinkNewFile(link, existing))
        changes_.push_back({ChangeTarget::File, ChangeAction::Linked, link, {}});
}

void MachineWriter::DrawAddress(const std::wstring& path, const std::vector<std::wstring>& lines,
                                const ShowMessageFn& show)
{
    bool failed = false;
    const bool drawn = RenderAddressBitmap(path, lines, [&](const std::wstring& text) {
                           failed = true;
                           show(text);
                       }).has_value();
    if (drawn && !failed)
        changes_.push_back({ChangeTarget::File, ChangeAction::Drawn, path, {}});
}

// ---- PreviewWriter

namespace {

// Opens the key as the real writer would, or, where it is not there yet, the nearest key above
// it with the access that creating a subkey needs; false when either is refused.
bool KeyWritable(HKEY hive, const std::wstring& path, bool mayCreate)
{
    if (RegistryKey::Open(hive, path, KEY_READ).Valid())
        return RegistryKey::Open(hive, path, KEY_ALL_ACCESS).Valid();
    if (!mayCreate)
        return false;
    for (std::wstring parent = ParentPath(path); !parent.empty(); parent = ParentPath(parent))
        if (RegistryKey::Open(hive, parent, KEY_READ).Valid())
            return RegistryKey::Open(hive, parent, KEY_CREATE_SUB_KEY).Valid();
    return true;  // a top-level key: the hive itself takes it
}

// Whether the key holds the value already, with its type, as the writer would store it.
bool Holds(const RegistryKey& key, const RegValue& value)
{
    const RegValueData stored = RegDataOf(value);
    if (const std::optional<uint32_t> number = RegDwordOf(stored))
        return key.TryReadInteger(value.name) == *number;
    try {
        return key.ValueType(value.name) == stored.type && key.ReadString(value.name) == RegTextOf(stored);
    } catch (const AppError&) {
        return false;
    }
}

}  // namespace

void PreviewWriter::Backup(const std::vector<std::wstring>& productValuesWritten)
{
    CheckBackupPossible(productValuesWritten, DefaultBackupFolder(), root_);
}

void PreviewWriter::WriteKey(const std::wstring& path, const std::vector<RegValue>& values)
{
    if (!KeyWritable(HiveKey(root_.hive), path, true))
        throw SetDataFailure(values.empty() ? std::wstring() : values.front().name);
    Record(path, values);
    changes_.push_back({ChangeTarget::Key, ChangeAction::Written, path, {}});
}

void PreviewWriter::UpdateKey(const std::wstring& path, bool createMissing, const std::vector<RegValue>& values)
{
    if (!KeyWritable(HiveKey(root_.hive), path, createMissing))
        throw OpenKeyFailure(path);
    const RegistryKey current = RegistryKey::Open(HiveKey(root_.hive), path, KEY_READ);
    std::vector<RegValue> changes;
    for (const RegValue& value : values)
        if (!Holds(current, value))
            changes.push_back(value);
    if (!changes.empty())
        Record(path, changes);
    for (const RegValue& value : changes)
        changes_.push_back({ChangeTarget::Value, ChangeAction::Written, path, value.name});
}

void PreviewWriter::RemoveKeyTree(const std::wstring& path)
{
    const HKEY hive = HiveKey(root_.hive);
    if (RegistryKey::Open(hive, path, KEY_READ).Valid() && !RegistryKey::Open(hive, path, KEY_ALL_ACCESS).Valid())
        throw DeleteKeyFailure(path);
    if (RegistryKey::Open(hive, path, KEY_READ).Valid())
        changes_.push_back({ChangeTarget::Key, ChangeAction::Removed, path, {}});
    RecordWriter::RemoveKeyTree(path);
}

bool PreviewWriter::Exists(const std::wstring& path) const
{
    return planned_.count(PathCompareKey(path)) != 0 || PathExists(path);
}

void PreviewWriter::PlanFile(const std::wstring& path, const std::wstring& how, ChangeAction action)
{
    changes_.push_back({ChangeTarget::File, action, path, {}});
    planned_.insert(PathCompareKey(path));
    fileLines_.push_back(L"; file   " + path + how);
}

void PreviewWriter::MakeFolder(const std::wstring& path)
{
    if (path.empty() || Exists(path))
        return;
    MakeFolder(ParentPath(path));
    if (planned_.count(PathCompareKey(ParentPath(path))) == 0)  // its parent is on disk: could it take a folder?
        if (DWORD error = FolderCreationError(path))
            fileLines_.push_back(L"; cannot make folder " + path + L": error " + std::to_wstring(error));
    planned_.insert(PathCompareKey(path));
    changes_.push_back({ChangeTarget::Folder, ChangeAction::Made, path, {}});
    fileLines_.push_back(L"; folder " + path);
}

void PreviewWriter::CopyNew(const std::wstring& source, const std::wstring& target)
{
    if (!Exists(target) && IsExistingFile(source))
        PlanFile(target, L" (copy of " + source + L")", ChangeAction::Copied);
}

void PreviewWriter::LinkNew(const std::wstring& existing, const std::wstring& link)
{
    if (!Exists(link) && Exists(existing))
        PlanFile(link, L" (hard link to " + existing + L")", ChangeAction::Linked);
}

void PreviewWriter::DrawAddress(const std::wstring& path, const std::vector<std::wstring>&,
                                const ShowMessageFn& show)
{
    const bool onDisk = PathExists(path);
    if (onDisk && FileWriteError(path) != 0) {
        show(CreateFileFailure(path).Message());  // what the run would show, and go on
        return;
    }
    PlanFile(path, Exists(path) ? L" (branch header image, drawn anew in place)" : L" (branch header image)",
             ChangeAction::Drawn);
}

std::wstring PreviewWriter::RegText() const
{
    return RegFileText(RemovedKeys(), Keys());
}

std::wstring PreviewWriter::Text() const
{
    std::wstring text = RegText();
    text += L"; Folders and files this run would make:\r\n";
    for (const std::wstring& line : fileLines_)
        text += line + L"\r\n";
    if (fileLines_.empty())
        text += L"; (none)\r\n";
    return text;
}
