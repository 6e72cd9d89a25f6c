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
#include "config/request.h"

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
// A branch of the tests: its program's folder (its files written there) and Vorla's below the
// folder, and a request for branch 12 with a POS printer, a Greek back-office printer, one output
// folder and a Greek header; its series are the test's.
struct SampleBranch {
    MachinePaths paths;
    Request request;
};
SampleBranch SampleBranchIn(const std::wstring& folder);

// The request configured below the root as every run does (planned on the machine as it stands,
// then made), without a backup; what it said, its end aside.
std::vector<std::wstring> ConfigureSample(const SampleBranch& branch, const ProductRoot& root);
// "Upgrade Vorla" below the root in the same way; what it said, "Done!" included.
std::vector<std::wstring> UpgradeSample(const ProductRoot& root);
