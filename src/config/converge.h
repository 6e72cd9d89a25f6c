// Configuration that converges: every run is first planned on the machine as it stands (the
// plan writer), and a run that would change nothing writes nothing at all, showing the same
// messages it would show otherwise. The plan also gives what the run would leave, for /check's
// checks, so that a preview predicts the run.
#pragma once
#include <string>
#include <vector>

#include "common/outcome.h"
#include "common/show_message.h"
#include "config/change_plan.h"
#include "config/configure.h"

// The line that tells a fleet tool that a run found everything as it would leave it.
extern const wchar_t kNothingChanged[];

// A run planned and not written.
struct RunPlan {
    bool done = false;                   // the run would get to its end
    std::vector<OutcomeMessage> messages;  // what it would show, in order
    std::vector<Change> changes;           // what it would change; none: it would write nothing
    std::vector<Problem> problems;         // /check's checks on what it would leave (when done)

    bool Changed() const { return !changes.empty(); }
};

// The product key tree of this machine as it stands, the header image as /configure draws it,
// and a test of whether a file could be written in place now.
PlanInputs MachinePlanInputs(const ProductRoot& root = {});

// "Configure Vorla" planned; result is filled as the run would fill it.
struct ConfigPlan : RunPlan {
    ConfigOutcome outcome = ConfigOutcome::Failed;
};
ConfigPlan PlanConfiguration(const ConfigRequest& request, MachineProbe& probe, const PlanInputs& inputs,
                          ConfigResult& result, const ProductRoot& root = {});
// "Upgrade Vorla" planned.
RunPlan PlanUpgrade(MachineProbe& probe, const PlanInputs& inputs, const ProductRoot& root = {});

// The dialog's OK: when the plan changes nothing (or stops before its first write), its messages
// are shown and nothing is written; otherwise the run writes, as far as it gets. changes gets
// what the plan found to change.
ConfigOutcome ConvergeConfiguration(const ConfigRequest& request, MachineProbe& probe, ConfigWriter& writer,
                                    const ShowMessageFn& show, ConfigResult& result,
                                    std::vector<Change>* changes = nullptr);
// The menu's "Upgrade Vorla" in the same way; true when done.
bool ConvergeUpgrade(ConfigWriter& writer, const ShowMessageFn& show, std::vector<Change>* changes = nullptr);
