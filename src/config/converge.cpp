#include "config/converge.h"

#include <map>
#include <memory>

#include "common/errors.h"
#include "common/fileio.h"
#include "common/registry.h"
#include "config/address_bitmap.h"
#include "config/check.h"
#include "config/machine.h"
#include "config/upgrade.h"

const wchar_t kNothingChanged[] = L"Nothing had to change: the configuration already stands as requested.";

namespace {

void Replay(const std::vector<OutcomeMessage>& messages, const ShowMessageFn& show)
{
    for (const OutcomeMessage& message : messages)
        show(message.text);
}

}  // namespace

PlanInputs MachinePlanInputs(const ProductRoot& root)
{
    PlanInputs inputs;
    try {
        inputs.tree = ReadKeyTree(root.key, root.hive);
    } catch (const AppError&) {
        // unreadable counts as not there, as the run's own reading would find it
    }
    // Drawn once per header: the plan compares each type's image, and the checks compare it again.
    auto drawn = std::make_shared<std::map<std::vector<std::wstring>, std::optional<std::string>>>();
    inputs.drawImage = [drawn](const std::vector<std::wstring>& lines) -> std::optional<std::string> {
        auto known = drawn->find(lines);
        if (known == drawn->end()) {
            std::optional<AddressImage> image = DrawAddressImage(lines);
            known = drawn->emplace(lines, image ? std::optional<std::string>(image->fileBytes) : std::nullopt).first;
        }
        return known->second;
    };
    inputs.canWriteFile = [](const std::wstring& path) { return FileWriteError(path) == 0; };
    return inputs;
}

ConfigPlan PlanConfiguration(const ConfigRequest& request, MachineProbe& probe, const PlanInputs& inputs,
                             ConfigResult& result, const ProductRoot& root)
{
    ConfigPlan plan;
    PlanWriter writer(inputs, probe, root);
    Outcome shown;
    plan.outcome = RunConfiguration(request, probe, writer, MessageLog(shown, nullptr), result, root);
    plan.messages = std::move(shown.messages);
    plan.done = plan.outcome == ConfigOutcome::Done;
    plan.changes = writer.Changes();
    if (plan.done) {
        const std::vector<RegKeyData> maps = ExpectedMaps(request, result.BranchNo, result.paths.InstallDir, root);
        const std::optional<std::string> image = inputs.drawImage ? inputs.drawImage(request.headerLines) : std::nullopt;
        plan.problems = FindConfigurationProblems(writer.TreeAfter(), writer.ProbeAfter(),
                                                  {&maps, image ? &*image : nullptr}, root);
    }
    return plan;
}

RunPlan PlanUpgrade(MachineProbe& probe, const PlanInputs& inputs, const ProductRoot& root)
{
    RunPlan plan;
    PlanWriter writer(inputs, probe, root);
    Outcome shown;
    plan.done = RunUpgrade(inputs.tree, writer, MessageLog(shown, nullptr), root);
    plan.messages = std::move(shown.messages);
    plan.changes = writer.Changes();
    if (plan.done)
        plan.problems = FindConfigurationProblems(writer.TreeAfter(), writer.ProbeAfter(), {}, root);
    return plan;
}

ConfigOutcome ConvergeConfiguration(const ConfigRequest& request, MachineProbe& probe, ConfigWriter& writer,
                                    const ShowMessageFn& show, ConfigResult& result, std::vector<Change>* changes)
{
    ConfigResult planned;
    const ConfigPlan plan = PlanConfiguration(request, probe, MachinePlanInputs(), planned);
    if (!plan.Changed()) {  // nothing to write, or stopped before the first write
        Replay(plan.messages, show);
        result = planned;
        return plan.outcome;
    }
    if (changes)
        *changes = plan.changes;
    return RunConfiguration(request, probe, writer, show, result);
}

bool ConvergeUpgrade(ConfigWriter& writer, const ShowMessageFn& show, std::vector<Change>* changes)
{
    LiveMachineProbe probe({}, nullptr);
    const RunPlan plan = PlanUpgrade(probe, MachinePlanInputs());
    if (!plan.Changed()) {
        Replay(plan.messages, show);
        return plan.done;
    }
    if (changes)
        *changes = plan.changes;
    return UpgradeMachine(writer, show);
}
