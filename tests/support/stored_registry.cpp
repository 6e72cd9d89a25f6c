#include "support/stored_registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/registry.h"
#include "support/win_test_support.h"

namespace stored {

void PrintTo(const Value& value, std::ostream* os)
{
    *os << "type " << value.type << ": ";
    if (const std::optional<std::wstring> text = RegTextOf({L"", value.type, value.data}))
        *os << testing::PrintToString(*text);
    else if (const std::optional<uint32_t> number = RegDwordOf({L"", value.type, value.data}))
        *os << *number;
    else
        *os << value.data.size() << " bytes";
}

Value Of(const RegValueData& value)
{
    return {value.type, value.data};
}

Value Text(const std::wstring& text, uint32_t type)
{
    RegValueData value = RegTextValue(L"", text);
    value.type = type;
    return Of(value);
}

Value Number(uint32_t value)
{
    return Of(RegDwordValue(L"", value));
}

Tree Read(RegHive hive, const std::wstring& path)
{
    const std::wstring top = HiveName(hive) + std::wstring(L"\\") + path;
    Tree tree;
    for (const RegKeyData& key : ReadKeyTree(path, hive)) {
        Values& values = tree[key.path == top ? std::wstring() : key.path.substr(top.size() + 1)];
        for (const RegValueData& value : key.values)
            values[value.name] = Of(value);
    }
    return tree;
}

void Write(RegHive hive, const std::wstring& path, const Tree& tree)
{
    for (const auto& [relative, values] : tree) {
        RegistryKey key = RegistryKey::Create(HiveKey(hive), relative.empty() ? path : path + L"\\" + relative);
        ASSERT_TRUE(key.Valid()) << Utf8(relative);
        for (const auto& [name, value] : values)
            key.WriteData({name, value.type, value.data});
    }
}

std::vector<std::wstring> Children(const Tree& tree, const std::wstring& relative)
{
    std::vector<std::wstring> names;
    const std::wstring prefix = relative.empty() ? L"" : relative + L"\\";
    for (const auto& entry : tree) {
        const std::wstring& path = entry.first;
        if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
            path.find(L'\\', prefix.size()) == std::wstring::npos)
            names.push_back(path.substr(prefix.size()));
    }
    return names;  // the map keeps them sorted
}

}  // namespace stored

MapSettings SampleMapSettings(const std::wstring& folder)
{
    MapSettings settings;
    settings.BranchNo = 12;
    settings.ProgramDir = folder + L"\\program";
    settings.InstallDir = folder + L"\\Program Files\\Kelvane\\Kelvane Vorla";
    settings.EscSourcePath = settings.ProgramDir + L"\\generic_ab.esc";
    settings.PosPrinter = L"Epson TM-T88 (POS)";
    settings.BackPrinter = L"Εκτυπωτής γραφείου";
    settings.UncPos = L"\\\\fs01\\STORE_FILES$\\POS";
    settings.UncBack = L"";
    settings.AddressLines = {
        L"Κατάστημα: Λεωφ. Αθηνών 12", L"Αθήνα, Τηλ. 2101234567", L"Κεντρικό: Σταδίου 5",
        L"Τηλ. 2107654321",            L"ΑΦΜ 099999999, ΔΟΥ ΦΑΕ",
    };
    WriteBytes(settings.EscSourcePath, "escape file");
    WriteBytes(settings.ProgramDir + L"\\ab1.bmp", "logo");
    WriteBytes(settings.ProgramDir + L"\\abPOS.xml", "<pos/>");
    WriteBytes(settings.ProgramDir + L"\\abBACK.xml", "<back/>");
    return settings;
}
