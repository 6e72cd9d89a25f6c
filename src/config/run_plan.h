// "Configure Vorla" and "Upgrade Vorla" planned: every run is planned first, as the difference
// between what the branch should hold (config/desired.h) and the machine as it stands, with the
// messages it would show; the run then makes the plan's changes and only those (config/converge.h).
// The plan also gives what the run would leave, for /check's checks, so that a preview predicts
// the run. Pure: the machine comes as read and through a probe.
#pragma once
#include <string>
#include <vector>

#include "common/outcome.h"
#include "config/change_plan.h"
#include "config/configure.h"

// The line that tells a fleet tool that a run found everything as it would leave it.
extern const wchar_t kNothingChanged[];
// What a whole upgrade shows at its end: "Done!".
extern const wchar_t kUpgradeDone[];

// A run planned and not written.
struct RunPlan {
    bool done = false;                     // the run would get to its end
    std::vector<OutcomeMessage> messages;  // what it would show, in order
    Plan plan;                             // what it would do
    std::vector<Change> changes;           // what it would change; none: it would write nothing
    std::vector<Problem> problems;         // /check's checks on what it would leave (when done)

    bool Changed() const { return !changes.empty(); }
    // It would write something (perhaps only to fail at its first write).
    bool Writes() const { return !plan.steps.empty(); }
};

// A declared state planned on the machine as it stands, after the messages said so far: a backup
// (naming backupValues) before its first step, each write probed. Where the run would fail it says
// so there and nothing after; otherwise it ends with the state's stop, or with done.
void PlanDesired(RunPlan& plan, std::vector<OutcomeMessage> said, const DesiredState& desired, DiskAfter* disk,
                 const PlanInputs& inputs, std::vector<std::wstring> backupValues, const OutcomeMessage& done,
                 const ProductRoot& root = {});

// "Configure Vorla" planned: the machine's checks, the entries', then the declared state's plan;
// result is filled as the run would fill it.
struct ConfigPlan : RunPlan {
    ConfigOutcome outcome = ConfigOutcome::Failed;
};
ConfigPlan PlanConfiguration(const ConfigRequest& request, MachineProbe& probe, const PlanInputs& inputs,
                             ConfigResult& result, const ProductRoot& root = {});
// "Upgrade Vorla" planned: its messages "Done!", or the first failure (maps-missing,
// barcode39-mistyped, backup-failed, map-write-failed).
RunPlan PlanUpgrade(MachineProbe& probe, const PlanInputs& inputs, const ProductRoot& root = {});
