#include "config/machine.h"

#include <shlobj.h>

#include <cwctype>

#include "common/errors.h"
#include "common/fileio.h"
#include "common/registry.h"
#include "config/address_bitmap.h"
#include "config/backup.h"
#include "config/configure.h"
#include "config/map_writer.h"

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

// The values the configuration writes to the product key: a restore takes them away again
// when they were not there before.
std::vector<std::wstring> ProductValueNames()
{
    std::vector<std::wstring> names;
    for (const LayoutValue& row : kProductValues)
        names.push_back(row.name);
    return names;
}

std::wstring PathKey(const std::wstring& path)
{
    std::wstring key = path;
    for (wchar_t& c : key)
        c = static_cast<wchar_t>(std::towupper(c));
    return key;
}

std::wstring ParentOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos || slash == 0 ? std::wstring() : path.substr(0, slash);
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
    if (window_) {
        WindowDc dc(window_);
        return EnumeratesFamily(dc.get(), face.c_str());
    }
    // Without a window (the command line, perhaps with no display at all) a memory device
    // context lists the same installed families.
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    return dc && EnumeratesFamily(dc.get(), face.c_str());
}

// ---- MachineWriter

void MachineWriter::KeepWayBack()
{
    if (backup_ == Backup::BeforeChange && backupPath_.empty())
        backupPath_ = BackupVorlaKey(ProductValueNames());
}

void MachineWriter::WriteKey(const std::wstring& path, const std::vector<RegValue>& values)
{
    RegistryKey key = RegistryKey::Create(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS);
    WriteValues(key, values);
}

// Keys that survive the removal would stand beside the new ones as if they belonged to this
// configuration, so they stop the run.
void MachineWriter::RemoveKeyTree(const std::wstring& path)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, path);
    if (RegistryKey::Open(HKEY_LOCAL_MACHINE, path, KEY_READ).Valid())
        throw AppError(L"Failed to delete key '" + path.substr(path.find_last_of(L'\\') + 1) + L"'");
}

void MachineWriter::MakeFolder(const std::wstring& path)
{
    if (path.empty() || IsExistingFolder(path))
        return;
    MakeFolder(ParentOf(path));
    CreateDirectoryW(LongPathName(path).c_str(), nullptr);
}

void MachineWriter::CopyNew(const std::wstring& source, const std::wstring& target)
{
    CopyFileW(LongPathName(source).c_str(), LongPathName(target).c_str(), TRUE);
}

void MachineWriter::LinkNew(const std::wstring& existing, const std::wstring& link)
{
    CreateHardLinkW(LongPathName(link).c_str(), LongPathName(existing).c_str(), nullptr);
}

void MachineWriter::DrawAddress(const std::wstring& path, const std::vector<std::wstring>& lines,
                                const ShowMessageFn& show)
{
    RenderAddressBitmap(path, lines, show);
}

// ---- PreviewWriter

void PreviewWriter::WriteKey(const std::wstring& path, const std::vector<RegValue>& values)
{
    const std::wstring full = LocalMachinePath(path);
    RegKeyData* key = nullptr;
    for (RegKeyData& known : keys_)
        if (PathKey(known.path) == PathKey(full))
            key = &known;
    if (!key) {
        keys_.push_back(RegKeyData{full, {}, {}});
        key = &keys_.back();
    }
    for (const RegValue& value : values)
        key->values.push_back(RegDataOf(value));
}

void PreviewWriter::RemoveKeyTree(const std::wstring& path)
{
    removedKeys_.push_back(LocalMachinePath(path));
}

bool PreviewWriter::Exists(const std::wstring& path) const
{
    return planned_.count(PathKey(path)) != 0 || GetFileAttributesW(LongPathName(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void PreviewWriter::PlanFile(const std::wstring& path, const std::wstring& how)
{
    planned_.insert(PathKey(path));
    fileLines_.push_back(L"; file   " + path + how);
}

void PreviewWriter::MakeFolder(const std::wstring& path)
{
    if (path.empty() || Exists(path))
        return;
    MakeFolder(ParentOf(path));
    planned_.insert(PathKey(path));
    fileLines_.push_back(L"; folder " + path);
}

void PreviewWriter::CopyNew(const std::wstring& source, const std::wstring& target)
{
    if (!Exists(target) && IsExistingFile(source))
        PlanFile(target, L" (copy of " + source + L")");
}

void PreviewWriter::LinkNew(const std::wstring& existing, const std::wstring& link)
{
    if (!Exists(link) && Exists(existing))
        PlanFile(link, L" (hard link to " + existing + L")");
}

void PreviewWriter::DrawAddress(const std::wstring& path, const std::vector<std::wstring>&, const ShowMessageFn&)
{
    const bool existed = Exists(path);
    PlanFile(path, existed ? L" (branch header image, drawn anew in place)" : L" (branch header image)");
}

std::wstring PreviewWriter::Text() const
{
    std::wstring text = RegFileText(removedKeys_, keys_);
    text += L"; Folders and files this run would make:\r\n";
    for (const std::wstring& line : fileLines_)
        text += line + L"\r\n";
    if (fileLines_.empty())
        text += L"; (none)\r\n";
    return text;
}
