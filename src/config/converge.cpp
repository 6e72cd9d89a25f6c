#include "config/converge.h"

#include <map>
#include <memory>

#include "common/codes.h"
#include "common/errors.h"
#include "common/registry.h"
#include "config/address_bitmap.h"
#include "config/machine.h"
#include "config/policy.h"

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
    ProbeThisMachine(inputs, root);
    return inputs;
}

Converged Converge(const RunPlan& plan, bool refuseUnlessClean, const MessageLog& log, const ProductRoot& root)
{
    Converged run;
    size_t shown = 0;
    const auto showUpTo = [&](size_t count) {
        for (; shown < count && shown < plan.messages.size(); ++shown)
            log(plan.messages[shown].kind, plan.messages[shown].code.c_str(), plan.messages[shown].text);
    };
    if (!plan.Writes()) {
        showUpTo(plan.messages.size());
        return run;
    }
    if (refuseUnlessClean && (!plan.done || !plan.problems.empty())) {
        run.refused = true;
        return run;
    }
    const Plan& steps = plan.plan;
    PlanApplier applier(root);
    const char* code = codes::kBackupFailed;
    try {
        if (steps.backup) {
            showUpTo(steps.steps.front().shownBefore);
            run.backup = applier.Backup(steps.backupValues);
        }
        const ShowMessageFn drawFailure = log.As(MessageKind::Warning, codes::kAddressImageNotWritten);
        for (size_t i = 0; i < steps.steps.size() && i <= steps.failsAt; ++i) {
            const PlannedChange& step = steps.steps[i];
            showUpTo(step.shownBefore);
            code = step.failCode.c_str();
            if (applier.Make(step, drawFailure) && i < steps.failsAt)
                run.changes.push_back(step.change);
        }
    } catch (const AppError& e) {
        log(MessageKind::Failure, code, e.Message());
        run.failed = true;
        return run;
    }
    showUpTo(plan.messages.size());
    run.failed = !plan.done;
    return run;
}

ConfigOutcome ConvergeConfiguration(const ConfigRequest& request, MachineProbe& probe, const ShowMessageFn& show,
                                    ConfigResult& result)
{
    const ConfigPlan plan = PlanConfiguration(request, probe, MachinePlanInputs(), result);
    Outcome outcome;
    RunRules rules;
    rules.force = true;  // the dialog never refuses: it runs what the plan can make
    const PlannedRun run = RunPlanned(plan, rules, MessageLog(outcome, show));
    return run.end == RunEnd::Failed && plan.outcome == ConfigOutcome::Done ? ConfigOutcome::Failed : plan.outcome;
}

bool ConvergeUpgrade(const ShowMessageFn& show)
{
    LiveMachineProbe probe({}, nullptr);
    const RunPlan plan = PlanUpgrade(probe, MachinePlanInputs());
    Outcome outcome;
    RunRules rules;
    rules.force = true;
    return RunPlanned(plan, rules, MessageLog(outcome, show)).end != RunEnd::Failed;
}
