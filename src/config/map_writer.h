// The form-map writer on the real machine: for one map type and its series, the map folders
// with their files and the numbered map keys with their Master and Copy sections.
#pragma once
#include <string>
#include <vector>

#include "common/registry.h"
#include "config/address_bitmap.h"
#include "config/configure.h"
#include "config/map_layout.h"

// Writes the values in order; the first refused write throws "Failed to set data for '<name>'".
void WriteValues(RegistryKey& key, const std::vector<RegValue>& values);

// WriteMapsWith on this machine, writing for real (no way back is kept here: the caller keeps it).
void WriteMaps(const MapSettings& settings, const std::wstring& seriesText, const std::wstring& mapType,
               int& mapCounter, std::wstring& MapDir, const ShowMessageFn& showMessage);
