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
#include "config/change_plan.h"
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

// ---- The plan's probes and its applier

namespace {

std::wstring BelowHive(const std::wstring& full)
{
    const size_t slash = full.find(L'\\');
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

// Opens the key as the run would, or, where it is not there yet, the nearest key above it with
// the access that creating a subkey needs; false when either is refused.
bool KeyWritable(HKEY hive, const std::wstring& path)
{
    if (RegistryKey::Open(hive, path, KEY_READ).Valid())
        return RegistryKey::Open(hive, path, KEY_ALL_ACCESS).Valid();
    for (std::wstring parent = ParentPath(path); !parent.empty(); parent = ParentPath(parent))
        if (RegistryKey::Open(hive, parent, KEY_READ).Valid())
            return RegistryKey::Open(hive, parent, KEY_CREATE_SUB_KEY).Valid();
    return true;  // a top-level key: the hive itself takes it
}

}  // namespace

void ProbeThisMachine(PlanInputs& inputs, const ProductRoot& root)
{
    const HKEY hive = HiveKey(root.hive);
    inputs.disk.canWriteFile = [](const std::wstring& path) { return FileWriteError(path) == 0; };
    inputs.canWriteKey = [hive](const std::wstring& full) { return KeyWritable(hive, BelowHive(full)); };
    inputs.canDeleteKey = [hive](const std::wstring& full) {
        return RegistryKey::Open(hive, BelowHive(full), KEY_ALL_ACCESS).Valid();
    };
    inputs.disk.folderError = [](const std::wstring& path) { return static_cast<unsigned long>(FolderCreationError(path)); };
    inputs.checkBackup = [root](const std::vector<std::wstring>& values) {
        CheckBackupPossible(values, DefaultBackupFolder(), root);
    };
}

BackupMade PlanApplier::Backup(const std::vector<std::wstring>& productValuesWritten)
{
    return BackupVorlaKey(productValuesWritten, DefaultBackupFolder(), root_);
}

bool PlanApplier::Make(const PlannedChange& step, const ShowMessageFn& drawFailure)
{
    const Change& change = step.change;
    const HKEY hive = HiveKey(root_.hive);
    const std::wstring below = BelowHive(change.path);
    switch (change.action) {
    case ChangeAction::Created: {
        if (!RegistryKey::Create(hive, below, KEY_ALL_ACCESS).Valid())
            throw AppError(step.failText);
        return true;
    }
    case ChangeAction::Written: {
        RegistryKey key = RegistryKey::Create(hive, below, KEY_ALL_ACCESS);
        if (!key.Valid())
            throw AppError(step.failText);
        key.WriteData(step.value);
        return true;
    }
    case ChangeAction::Removed: {
        if (change.target == ChangeTarget::Key) {
            DeleteKeyTree(hive, below);
            if (RegistryKey::Open(hive, below, KEY_READ).Valid())
                throw DeleteKeyFailure(below);
            return true;
        }
        RegistryKey key = RegistryKey::Open(hive, below, KEY_ALL_ACCESS);
        if (!key.Valid() || RegDeleteValueW(key.Get(), change.name.c_str()) != ERROR_SUCCESS)
            throw AppError(step.failText);
        return true;
    }
    case ChangeAction::Made: return ::MakeFolder(change.path);
    case ChangeAction::Copied:
        return CopyToNewFile(step.source, change.path);
    case ChangeAction::Linked:
        return LinkNewFile(change.path, step.source);
    case ChangeAction::Drawn: {
        bool failed = false;
        const bool drawn = RenderAddressBitmap(change.path, step.lines, [&](const std::wstring& text) {
                               failed = true;
                               drawFailure(text);
                           }).has_value();
        return drawn && !failed;
    }
    }
    return false;
}
