// The product's registry layout as data: one table per key, each row a value's name, type and
// the data it takes in a POS map and in a BACK map, in writing order. The map writer and the
// tests read these tables; the upgrade may read them too. Pure: no Windows headers.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/reg_text.h"

// How a value is stored: text as REG_SZ with its NUL, number as REG_DWORD, flag as REG_DWORD 0/1.
enum class RegKind { Text, Number, Flag };

// Where a value's data comes from: the cell itself, or a fact of the map being written.
enum class MapDatum {
    Constant,         // text or number of the cell
    GhostscriptPath,  // full path of the Ghostscript console executable
    Alias,            // "AB_" + type + item
    EscFile,          // map folder + "\generic_ab.esc"
    XmlFile,          // map folder + "\ab_" + type + ".xml"
    Printer,          // the physical printer chosen for the map's type
    PrnOutDir,        // the UNC output folder given for the map's type (may be empty)
    BranchSeries,     // the cell's text with its "%04d%02d" filled with branch and series
};

struct LayoutCell {
    MapDatum datum;
    const wchar_t* text;  // Constant text, or the BranchSeries format
    uint32_t number;      // Constant number or flag
};

struct LayoutValue {
    const wchar_t* name;
    RegKind kind;
    LayoutCell pos;
    LayoutCell back;
};

// SOFTWARE\Kelvane\Vorla (both columns alike).
extern const std::array<LayoutValue, 2> kProductValues;
// SOFTWARE\Kelvane\Vorla\maps\<n>
extern const std::array<LayoutValue, 13> kMapValues;
// ...\maps\<n>\Master
extern const std::array<LayoutValue, 13> kMasterValues;
// ...\maps\<n>\Copy
extern const std::array<LayoutValue, 15> kCopyValues;

// The values that "Upgrade Vorla" adds to a map key where they are missing, and those it writes
// to both output sections; their data are the tables' (Barcode239's is derived from Barcode39).
extern const std::array<const wchar_t*, 2> kUpgradeMapFlags;       // ForwardEafdss, SaveImage
extern const std::array<const wchar_t*, 4> kUpgradeSectionValues;  // Barcode239, QrCodePosX, QrCodePosY, QrCodeWidth
// Whether only "Upgrade Vorla" brings this value to an older configuration.
bool AddedByUpgrade(std::wstring_view name);

// The row of the table with that name; null when there is none.
template <size_t N>
const LayoutValue* FindLayoutValue(const std::array<LayoutValue, N>& table, std::wstring_view name)
{
    for (const LayoutValue& row : table)
        if (name == row.name)
            return &row;
    return nullptr;
}

// Subkey names of a map key.
extern const wchar_t kMasterSubkey[];  // Master
extern const wchar_t kCopySubkey[];    // Copy

// A value ready to be written.
struct RegValue {
    std::wstring name;
    RegKind kind;
    std::wstring text;    // Text
    uint32_t number = 0;  // Number, Flag
    bool operator==(const RegValue& other) const;
};

// What the map tables are filled with for one map.
struct MapFacts {
    std::wstring type;       // as the caller passes it ("POS", "BACK", "pos", ...)
    std::wstring item;       // the series entry exactly as typed
    int branch = 0;          // B
    std::wstring mapFolder;  // see MapFolderPath
    std::wstring printer;    // physical printer of the type
    std::wstring prnOutDir;  // UNC output folder of the type
    std::wstring ghostscriptPath;  // product key only
};

// The type takes the POS column when it is "POS" in any letter case; any other text takes BACK.
bool IsPosType(std::wstring_view type);

// S: the entry as a signed decimal integer (leading blanks allowed); anything else counts as 0.
int SeriesNumber(std::wstring_view item);

// BBBBSS: "%04d%02d" of branch and series (minimum widths, so 100 keeps its three digits and a
// negative number keeps its sign).
std::wstring BranchSeriesText(int branch, int series);

// The map folder: "%s\%04d%02d" of the installation folder, branch and series.
std::wstring MapFolderPath(const std::wstring& installDir, int branch, int series);

// The file names a map folder holds, and the form template of a type in the program folder.
std::wstring MapXmlName(const std::wstring& type);        // ab_<type>.xml
std::wstring TemplateXmlName(const std::wstring& type);   // ab<type>.xml
extern const wchar_t kEscFileName[];                      // generic_ab.esc
extern const wchar_t kLogoFileName[];                     // ab1.bmp
extern const wchar_t kAddressFileName[];                  // address.bmp

// One row filled for one map (its POS or BACK cell as the type says).
RegValue ResolveValue(const LayoutValue& row, const MapFacts& facts);

// The table's values filled for one map, in writing order.
template <size_t N>
std::vector<RegValue> ResolveValues(const std::array<LayoutValue, N>& table, const MapFacts& facts)
{
    std::vector<RegValue> values;
    values.reserve(N);
    for (const LayoutValue& row : table)
        values.push_back(ResolveValue(row, facts));
    return values;
}

// A value as the registry stores it.
RegValueData RegDataOf(const RegValue& value);

// The product key's values for the given Ghostscript path, in writing order.
std::vector<RegValue> ResolveProductValues(const std::wstring& ghostscriptPath);
