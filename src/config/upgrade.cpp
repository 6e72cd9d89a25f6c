#include "config/upgrade.h"

#include <string>
#include <vector>

#include "common/errors.h"
#include "common/registry.h"
#include "config/barcode239.h"
#include "config/map_layout.h"

namespace {

const wchar_t* const kOutputSections[] = {kMasterSubkey, kCopySubkey};

AppError OpenFailure(const std::wstring& path)
{
    return AppError(L"Failed to open " + path);
}

// The names of the form maps, in the order the registry lists them.
std::vector<std::wstring> ReadMapNames()
{
    RegistryKey maps = RegistryKey::Open(HKEY_LOCAL_MACHINE, kMapsKeyPath, KEY_READ);
    if (!maps.Valid())
        throw OpenFailure(kMapsKeyPath);
    return maps.SubkeyNames();
}

// Adds the map flags that older configurations lack; a flag that is there keeps whatever it holds.
void AddMissingMapFlags(const std::wstring& mapPath)
{
    RegistryKey map = RegistryKey::Open(HKEY_LOCAL_MACHINE, mapPath, KEY_ALL_ACCESS);
    if (!map.Valid())
        throw OpenFailure(mapPath);
    if (!map.ValueExists(L"ForwardEafdss"))
        map.WriteBool(L"ForwardEafdss", true);
    if (!map.ValueExists(L"SaveImage"))
        map.WriteBool(L"SaveImage", false);
}

// Rewrites the second barcode and the QR-code placement of one output section, creating the
// section when the map lacks it. Barcode39 is only read, never created.
void UpgradeOutputSection(const std::wstring& sectionPath)
{
    RegistryKey section = RegistryKey::Create(HKEY_LOCAL_MACHINE, sectionPath);
    if (!section.Valid())
        throw OpenFailure(sectionPath);
    section.WriteString(L"Barcode239", Barcode239From(section.ReadString(L"Barcode39")));
    section.WriteInteger(L"QrCodePosX", 210);
    section.WriteInteger(L"QrCodePosY", 12);
    section.WriteInteger(L"QrCodeWidth", 30);
}

// Every key is opened from the root and closed before the next one; the first failure ends the
// run and leaves what was already written in place.
void UpgradeMaps()
{
    for (const std::wstring& name : ReadMapNames()) {
        const std::wstring mapPath = std::wstring(kMapsKeyPath) + L"\\" + name;
        AddMissingMapFlags(mapPath);
        for (const wchar_t* section : kOutputSections)
            UpgradeOutputSection(mapPath + L"\\" + section);
    }
}

}  // namespace

void UpgradeVorla(CommandPort& port)
{
    try {
        UpgradeMaps();
    } catch (const AppError& e) {
        port.ShowMessage(e.Message());
        return;
    }
    port.ShowMessage(L"Done!");
}
