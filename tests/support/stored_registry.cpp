#include "support/stored_registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/registry.h"
#include "config/converge.h"
#include "config/desired.h"
#include "config/machine.h"
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

SampleBranch SampleBranchIn(const std::wstring& folder)
{
    SampleBranch branch;
    branch.paths.ProgramDir = folder + L"\\program";
    branch.paths.InstallDir = folder + L"\\Program Files\\Kelvane\\Kelvane Vorla";
    branch.paths.EscSourcePath = branch.paths.ProgramDir + L"\\generic_ab.esc";
    branch.request.branch = 12;
    branch.request.posPrinter = L"Epson TM-T88 (POS)";
    branch.request.backPrinter = L"Εκτυπωτής γραφείου";
    branch.request.uncPos = L"\\\\fs01\\STORE_FILES$\\POS";
    branch.request.uncBack = L"";
    branch.request.headerLines = {
        L"Κατάστημα: Λεωφ. Αθηνών 12", L"Αθήνα, Τηλ. 2101234567", L"Κεντρικό: Σταδίου 5",
        L"Τηλ. 2107654321",            L"ΑΦΜ 099999999, ΔΟΥ ΦΑΕ",
    };
    WriteBytes(branch.paths.EscSourcePath, "escape file");
    WriteBytes(branch.paths.ProgramDir + L"\\ab1.bmp", "logo");
    WriteBytes(branch.paths.ProgramDir + L"\\abPOS.xml", "<pos/>");
    WriteBytes(branch.paths.ProgramDir + L"\\abBACK.xml", "<back/>");
    return branch;
}

namespace {

// The plan made without its backup; what it said, its success too where withEnd.
std::vector<std::wstring> Make(RunPlan plan, const ProductRoot& root, bool withEnd)
{
    plan.plan.backup = false;
    std::vector<std::wstring> said;
    Outcome outcome;
    Converge(plan, false, MessageLog(outcome, nullptr), root);
    for (const OutcomeMessage& message : outcome.messages)
        if (withEnd || message.kind != MessageKind::Success)
            said.push_back(message.text);
    return said;
}

}  // namespace

std::vector<std::wstring> ConfigureSample(const SampleBranch& branch, const ProductRoot& root)
{
    LiveMachineProbe probe({}, nullptr);
    PlanInputs inputs = MachinePlanInputs(root);
    inputs.checkBackup = nullptr;  // no backup is taken
    const DesiredState desired = Desired(branch.request, branch.paths, root, TemplatesIn(probe, branch.paths.ProgramDir),
                                         inputs.drawImage(branch.request.headerLines));
    DiskAfter disk(probe, inputs.disk);
    RunPlan plan;
    PlanDesired(plan, {}, desired, &disk, inputs, {}, {MessageKind::Success, "", L""}, root);
    return Make(std::move(plan), root, false);
}

std::vector<std::wstring> UpgradeSample(const ProductRoot& root)
{
    LiveMachineProbe probe({}, nullptr);
    PlanInputs inputs = MachinePlanInputs(root);
    inputs.checkBackup = nullptr;  // no backup is taken
    return Make(PlanUpgrade(probe, inputs, root), root, true);
}
