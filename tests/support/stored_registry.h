// The registry as the tests compare it: read with the product's own tree reader (ReadKeyTree),
// seen as keys by their path below a key, each with its values by name as stored.
#pragma once
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "common/product_keys.h"
#include "common/reg_text.h"
#include "config/configure.h"

namespace stored {

// A value as the registry holds it: its type and its bytes.
struct Value {
    uint32_t type = 0;
    std::vector<uint8_t> data;
    bool operator==(const Value& other) const { return type == other.type && data == other.data; }
};
void PrintTo(const Value& value, std::ostream* os);

Value Text(const std::wstring& text, uint32_t type = 1 /* REG_SZ */);  // with its terminating NUL
Value Number(uint32_t value);                                          // REG_DWORD
Value Of(const RegValueData& value);

using Values = std::map<std::wstring, Value>;
// Every key below a key by its path relative to it ("" for the key itself, "1", "1\Master").
using Tree = std::map<std::wstring, Values>;

// hive\path and every key below it; empty when it is absent.
Tree Read(RegHive hive, const std::wstring& path);
// Creates each key of the tree below hive\path with its values.
void Write(RegHive hive, const std::wstring& path, const Tree& tree);
// The names of the direct subkeys in the tree, sorted.
std::vector<std::wstring> Children(const Tree& tree, const std::wstring& relative = L"");

}  // namespace stored

// Settings for the map writer in folder: branch 12, its templates in folder\program, its maps in
// folder\Program Files\Kelvane\Kelvane Vorla, a header of five lines.
MapSettings SampleMapSettings(const std::wstring& folder);
