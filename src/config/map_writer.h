// The form-map writer: for one map type and its series, the map folders with their files and
// the numbered map keys with their Master and Copy sections.
#pragma once
#include <string>
#include <vector>

#include "common/registry.h"
#include "config/address_bitmap.h"
#include "config/map_layout.h"

// What the configuration dialog has gathered when it writes the maps.
struct MapSettings {
    int BranchNo = 0;                        // 1..9999, checked by the dialog
    std::wstring InstallDir;                 // the product's installation folder, no trailing separator
    std::wstring ProgramDir;                 // the program's folder, no trailing separator
    std::wstring EscSourcePath;              // ProgramDir + "\generic_ab.esc"
    std::wstring PosPrinter;                 // ComboPrn
    std::wstring BackPrinter;                // ComboBack
    std::wstring UncPos;                     // EditUncPos (may be empty)
    std::wstring UncBack;                    // EditUncBack (may be empty)
    std::vector<std::wstring> AddressLines;  // Memo1, the branch header
};

// The key of map n below HKEY_LOCAL_MACHINE, and one of its sections (kMasterSubkey, kCopySubkey).
std::wstring MapKeyPath(int mapNumber);
std::wstring MapSectionKeyPath(int mapNumber, const wchar_t* section);

// Writes the values in order; the first refused write throws "Failed to set data for '<name>'".
void WriteValues(RegistryKey& key, const std::vector<RegValue>& values);

// Writes one map per comma-separated entry of seriesText, numbered on from mapCounter (which it
// raises by one per map). A missing form template is reported through showMessage and nothing is
// written for the type. Copies and links that cannot be made are skipped silently; a registry
// write that fails throws, keeping what was written before. MapDir ends as the last map folder.
void WriteMaps(const MapSettings& settings, const std::wstring& seriesText, const std::wstring& mapType,
               int& mapCounter, std::wstring& MapDir, const ShowMessageFn& showMessage);
