// Where the product keeps its configuration (32-bit view). Pure.
#pragma once
#include <string>

extern const wchar_t kProductKeyPath[];  // SOFTWARE\Kelvane\Vorla
extern const wchar_t kMapsKeyPath[];     // SOFTWARE\Kelvane\Vorla\maps

enum class RegHive { LocalMachine, CurrentUser };

// "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER", as .reg text names the hive.
const wchar_t* HiveName(RegHive hive);

// The key the configuration engine reads and writes: the product's key below HKEY_LOCAL_MACHINE
// for the program; a scratch key of their own for tests that run side by side.
struct ProductRoot {
    RegHive hive = RegHive::LocalMachine;
    std::wstring key = kProductKeyPath;

    std::wstring MapsKey() const;                                        // key\maps
    std::wstring MapKey(int mapNumber) const;                            // key\maps\<n>
    std::wstring MapSectionKey(int mapNumber, const wchar_t* section) const;
    // A key below the hive as .reg text and the tree reader name it: "HKEY_LOCAL_MACHINE\" + path.
    std::wstring FullPath(const std::wstring& path) const;
};
