#include "config/upgrade.h"

#include "common/errors.h"
#include "common/registry.h"
#include "config/backup.h"
#include "config/barcode239.h"
#include "config/configure.h"
#include "config/map_layout.h"
#include "config/map_writer.h"

namespace {

const wchar_t* const kOutputSections[] = {kMasterSubkey, kCopySubkey};

AppError OpenFailure(const std::wstring& path)
{
    return AppError(L"Failed to open " + path);
}

// Where the upgrade's writes go: into the registry, or, in a preview, into the list of values
// that a write would add or change.
class UpgradeTarget {
public:
    explicit UpgradeTarget(UpgradeMode mode) : mode_(mode) {}
    bool Previewing() const { return mode_ == UpgradeMode::Preview; }

    void Put(RegistryKey& key, const std::wstring& path, const RegValue& value)
    {
        if (!Previewing()) {
            WriteValues(key, {value});
            return;
        }
        if (Holds(key, value))
            return;
        const std::wstring full = LocalMachinePath(path);
        if (changes.empty() || changes.back().path != full)
            changes.push_back(RegKeyData{full, {}, {}});
        changes.back().values.push_back(RegDataOf(value));
    }

    std::vector<RegKeyData> changes;

private:
    static bool Holds(const RegistryKey& key, const RegValue& value)
    {
        const std::optional<DWORD> type = key.ValueType(value.name);
        if (value.kind == RegKind::Text)
            return type == static_cast<DWORD>(REG_SZ) && key.ReadString(value.name) == value.text;
        return key.TryReadInteger(value.name) == value.number;
    }

    UpgradeMode mode_;
};

// The names of the form maps, in the order the registry lists them.
std::vector<std::wstring> ReadMapNames()
{
    RegistryKey maps = RegistryKey::Open(HKEY_LOCAL_MACHINE, kMapsKeyPath, KEY_READ);
    if (!maps.Valid())
        throw OpenFailure(kMapsKeyPath);
    return maps.SubkeyNames();
}

// Adds the map flags that older configurations lack; a flag that is there keeps whatever it holds.
void AddMissingMapFlags(const std::wstring& mapPath, UpgradeTarget& target)
{
    RegistryKey map = RegistryKey::Open(HKEY_LOCAL_MACHINE, mapPath, KEY_ALL_ACCESS);
    if (!map.Valid())
        throw OpenFailure(mapPath);
    if (!map.ValueExists(L"ForwardEafdss"))
        target.Put(map, mapPath, RegValue{L"ForwardEafdss", RegKind::Flag, {}, 1});
    if (!map.ValueExists(L"SaveImage"))
        target.Put(map, mapPath, RegValue{L"SaveImage", RegKind::Flag, {}, 0});
}

// The output section, created when the map lacks it. A preview only opens it (with the access
// a write needs); one that is missing reads as empty, as the new section would.
RegistryKey OpenOutputSection(const std::wstring& sectionPath, const UpgradeTarget& target)
{
    if (!target.Previewing()) {
        RegistryKey section = RegistryKey::Create(HKEY_LOCAL_MACHINE, sectionPath);
        if (!section.Valid())
            throw OpenFailure(sectionPath);
        return section;
    }
    RegistryKey section = RegistryKey::Open(HKEY_LOCAL_MACHINE, sectionPath, KEY_ALL_ACCESS);
    if (!section.Valid() && RegistryKey::Open(HKEY_LOCAL_MACHINE, sectionPath, KEY_READ).Valid())
        throw OpenFailure(sectionPath);
    return section;
}

// Rewrites the second barcode and the QR-code placement of one output section. Barcode39 is
// only read, never created.
void UpgradeOutputSection(const std::wstring& sectionPath, UpgradeTarget& target)
{
    RegistryKey section = OpenOutputSection(sectionPath, target);
    target.Put(section, sectionPath,
               RegValue{L"Barcode239", RegKind::Text, Barcode239From(section.ReadString(L"Barcode39")), 0});
    target.Put(section, sectionPath, RegValue{L"QrCodePosX", RegKind::Number, {}, 210});
    target.Put(section, sectionPath, RegValue{L"QrCodePosY", RegKind::Number, {}, 12});
    target.Put(section, sectionPath, RegValue{L"QrCodeWidth", RegKind::Number, {}, 30});
}

// Every key is opened from the root and closed before the next one; the first failure ends the
// run and leaves what was already written in place.
void UpgradeMaps(UpgradeTarget& target, UpgradeRun& run)
{
    const std::vector<std::wstring> names = ReadMapNames();
    if (!names.empty() && !target.Previewing())
        run.backupPath = BackupVorlaKey({});
    for (const std::wstring& name : names) {
        const std::wstring mapPath = std::wstring(kMapsKeyPath) + L"\\" + name;
        AddMissingMapFlags(mapPath, target);
        for (const wchar_t* section : kOutputSections)
            UpgradeOutputSection(mapPath + L"\\" + section, target);
    }
}

}  // namespace

UpgradeRun RunUpgrade(UpgradeMode mode, const ShowMessageFn& show)
{
    UpgradeTarget target(mode);
    UpgradeRun run;
    try {
        UpgradeMaps(target, run);
    } catch (const AppError& e) {
        show(e.Message());
        return run;
    }
    run.changes = std::move(target.changes);
    run.done = true;
    show(L"Done!");
    return run;
}

void UpgradeVorla(CommandPort& port)
{
    RunUpgrade(UpgradeMode::Write, [&port](const std::wstring& text) { port.ShowMessage(text); });
}
