#include "config/run_plan.h"

#include "common/codes.h"
#include "config/check.h"
#include "config/desired.h"

const wchar_t kNothingChanged[] = L"Nothing had to change: the configuration already stands as requested.";
const wchar_t kUpgradeDone[] = L"Done!";

void PlanDesired(RunPlan& plan, std::vector<OutcomeMessage> said, const DesiredState& desired, DiskAfter* disk,
                 const PlanInputs& inputs, std::vector<std::wstring> backupValues, const OutcomeMessage& done,
                 const ProductRoot& root)
{
    plan.plan = Diff(inputs.tree, desired, disk, said, root);
    plan.plan.backup = !plan.plan.steps.empty();
    plan.plan.backupValues = std::move(backupValues);
    ProbeWrites(plan.plan, inputs);
    if (plan.plan.Fails()) {
        said.resize(plan.plan.failShownBefore);
        said.push_back({MessageKind::Failure, plan.plan.failCode, plan.plan.failText});
    } else {
        said.push_back(desired.stops.value_or(done));
        plan.done = !desired.stops;
    }
    plan.messages = std::move(said);
    plan.changes = plan.plan.Changes();
}

ConfigPlan PlanConfiguration(const ConfigRequest& request, MachineProbe& probe, const PlanInputs& inputs,
                             ConfigResult& result, const ProductRoot& root)
{
    ConfigPlan plan;
    Outcome shown;
    const MessageLog log(shown, nullptr);
    const auto stop = [&](ConfigOutcome outcome) {
        plan.outcome = outcome;
        plan.messages = std::move(shown.messages);
        return plan;
    };
    switch (CheckMachine(request, probe, result.paths, log)) {
    case MachineCheck::Refused: return stop(ConfigOutcome::MachineRefused);
    case MachineCheck::LacksPrinterOrFont: return stop(ConfigOutcome::MachineLacksPrinterOrFont);
    case MachineCheck::Passed: break;
    }
    result.BranchNo = BranchNoOf(request.branch);
    const std::optional<Request> asked = CheckEntries(request, log);
    if (!asked)
        return stop(ConfigOutcome::EntriesRefused);
    const TemplateFacts templates = TemplatesIn(probe, result.paths.ProgramDir);
    const std::optional<std::string> image = inputs.drawImage ? inputs.drawImage(asked->headerLines) : std::nullopt;
    const DesiredState desired = Desired(*asked, result.paths, root, templates, image);
    const std::vector<std::wstring> folders = desired.Folders();
    if (!folders.empty())
        result.MapDir = folders.back();
    DiskAfter disk(probe, inputs.disk);
    PlanDesired(plan, std::move(shown.messages), desired, &disk, inputs, ProductValueNames(),
                {MessageKind::Success, codes::kConfigurationDone, kConfigurationDone}, root);
    plan.outcome = plan.done ? ConfigOutcome::Done : ConfigOutcome::Failed;
    if (plan.done)
        plan.problems = FindConfigurationProblems(
            plan.plan.treeAfter, disk,
            {&desired, image ? &*image : nullptr, MissingTemplates(*asked, templates, result.paths.ProgramDir)}, root);
    return plan;
}

RunPlan PlanUpgrade(MachineProbe& probe, const PlanInputs& inputs, const ProductRoot& root)
{
    RunPlan plan;
    PlanDesired(plan, {}, DesiredUpgradeState(inputs.tree, root), nullptr, inputs, {},
                {MessageKind::Success, codes::kUpgradeDone, kUpgradeDone}, root);
    if (plan.done)
        plan.problems = FindConfigurationProblems(plan.plan.treeAfter, probe, {}, root);
    return plan;
}
