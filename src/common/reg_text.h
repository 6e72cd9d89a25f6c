// Registry contents as .reg text, the way regedit exports them (REGEDIT5), so that
// "reg import" puts back exactly the bytes that were read. Pure: no Windows headers.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The value types as the registry stores them (the codes of REG_SZ and the others).
enum RegType : uint32_t { kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7, kRegQword = 11 };

// "REG_SZ", "REG_EXPAND_SZ", "REG_BINARY", "REG_DWORD", "REG_MULTI_SZ", "REG_QWORD", else "type <code>".
std::wstring RegTypeName(uint32_t type);

// A value as the registry stores it: its type code (1 REG_SZ, 2 REG_EXPAND_SZ, 3 REG_BINARY,
// 4 REG_DWORD, 7 REG_MULTI_SZ, 11 REG_QWORD, any other) and its raw bytes.
struct RegValueData {
    std::wstring name;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

// One key section: full path starting "HKEY_LOCAL_MACHINE\\", values to remove ("name"=-),
// then values to set, in order.
struct RegKeyData {
    std::wstring path;
    std::vector<std::wstring> removedValues;
    std::vector<RegValueData> values;
};

bool operator==(const RegValueData& a, const RegValueData& b);
bool operator==(const RegKeyData& a, const RegKeyData& b);

// The text of a REG_SZ or REG_EXPAND_SZ value, without its final NULs; nothing for other types.
std::optional<std::wstring> RegTextOf(const RegValueData& value);
// The number of a REG_DWORD value of four bytes; nothing otherwise.
std::optional<uint32_t> RegDwordOf(const RegValueData& value);

// In a key tree as read (paths as .reg text names them), the key of that path and a key's value
// of that name, compared without regard to ASCII letter case; null when absent.
const RegKeyData* FindRegKey(const std::vector<RegKeyData>& tree, const std::wstring& path);
const RegValueData* FindRegValue(const RegKeyData& key, const std::wstring& name);
// Whether the key path is a key below top (any depth), or top itself where orTop, compared as
// FindRegKey compares.
bool IsRegKeyBelow(const std::wstring& path, const std::wstring& top, bool orTop = false);
// The direct subkeys of path, in the tree's order.
std::vector<const RegKeyData*> RegChildren(const std::vector<RegKeyData>& tree, const std::wstring& path);

RegValueData RegTextValue(const std::wstring& name, const std::wstring& text);  // REG_SZ with its NUL
RegValueData RegDwordValue(const std::wstring& name, uint32_t value);           // REG_DWORD little-endian

// "Windows Registry Editor Version 5.00", a blank line, a "[-path]" section per deleted key, then
// each key's "[path]" section with its values; every section ends with a blank line. CRLF line ends.
// Text values that would not survive as quoted text (a line break, no final NUL, an inner NUL,
// an odd length) are written as hex(1) bytes; hex lists wrap at 80 columns as regedit wraps them.
// A key or value name with a line break cannot be written: AppError (common/refusals.h).
std::wstring RegFileText(const std::vector<std::wstring>& deletedKeys, const std::vector<RegKeyData>& keys);
