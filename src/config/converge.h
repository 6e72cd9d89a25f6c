// Configuration that converges: every run is first planned on the machine as it stands (the
// plan writer), and the run then makes the plan's changes and only those. A run that would change
// nothing writes nothing at all, showing the same messages it would show otherwise. The plan also
// gives what the run would leave, for /check's checks, so that a preview predicts the run.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "common/show_message.h"
#include "config/backup.h"
#include "config/change_plan.h"
#include "config/configure.h"

// The line that tells a fleet tool that a run found everything as it would leave it.
extern const wchar_t kNothingChanged[];

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

// The product key tree of this machine as it stands, the header image as /configure draws it,
// and this machine's answers to where the run could write.
PlanInputs MachinePlanInputs(const ProductRoot& root = {});

// "Configure Vorla" planned; result is filled as the run would fill it.
struct ConfigPlan : RunPlan {
    ConfigOutcome outcome = ConfigOutcome::Failed;
};
ConfigPlan PlanConfiguration(const ConfigRequest& request, MachineProbe& probe, const PlanInputs& inputs,
                             ConfigResult& result, const ProductRoot& root = {});
// "Upgrade Vorla" planned.
RunPlan PlanUpgrade(MachineProbe& probe, const PlanInputs& inputs, const ProductRoot& root = {});

// What a planned run did.
struct Converged {
    bool refused = false;  // nothing written: the plan would not pass
    bool failed = false;   // a write failed, what was written before stays
    std::vector<Change> changes;
    std::optional<BackupMade> backup;
};

// The one way a planned run goes: with nothing to write, the plan's messages are shown and
// nothing is written; when refuseUnlessClean and the run would fail or leave problems, nothing
// is written and refused says so (the messages are the caller's to show); otherwise the plan's
// changes are made in order after the backup, each message shown where the run reaches it, and
// the first refused write ends the run with its message.
Converged Converge(const RunPlan& plan, bool refuseUnlessClean, const MessageLog& log, const ProductRoot& root = {});

// The dialog's OK, through Converge: it never refuses.
ConfigOutcome ConvergeConfiguration(const ConfigRequest& request, MachineProbe& probe, const ShowMessageFn& show,
                                    ConfigResult& result);
// The menu's "Upgrade Vorla" in the same way; true when done.
bool ConvergeUpgrade(const ShowMessageFn& show);
