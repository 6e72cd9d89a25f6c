// Where the product keeps its configuration, below HKEY_LOCAL_MACHINE (32-bit view). Pure.
#pragma once

extern const wchar_t kProductKeyPath[];  // SOFTWARE\Kelvane\Vorla
extern const wchar_t kMapsKeyPath[];     // SOFTWARE\Kelvane\Vorla\maps
