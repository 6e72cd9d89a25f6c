// Configuration that converges on this machine: its plan's inputs read from it, and the one
// applier, which makes a plan's changes and only those. A run that would change nothing writes
// nothing at all, showing the same messages it would show otherwise.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "common/show_message.h"
#include "config/backup.h"
#include "config/run_plan.h"

// The product key tree of this machine as it stands, the header image as /configure draws it,
// and this machine's answers to where the run could write.
PlanInputs MachinePlanInputs(const ProductRoot& root = {});

// What a planned run did.
struct Converged {
    bool refused = false;  // nothing written: the plan would not pass
    bool failed = false;   // a write failed, what was written before stays
    std::vector<Change> changes;
    std::optional<BackupMade> backup;
};

// The one applier: with nothing to write, the plan's messages are shown and nothing is written;
// when refuseUnlessClean and the run would fail or leave problems, nothing is written and refused
// says so (the messages are the caller's to show); otherwise the plan's changes are made in order
// after the backup, each message shown where the run reaches it, and the first refused write ends
// the run with its message.
Converged Converge(const RunPlan& plan, bool refuseUnlessClean, const MessageLog& log, const ProductRoot& root = {});

// The dialog's OK, planned and run as every run is (config/policy.h): it never refuses.
ConfigOutcome ConvergeConfiguration(const ConfigRequest& request, MachineProbe& probe, const ShowMessageFn& show,
                                    ConfigResult& result);
// The menu's "Upgrade Vorla" in the same way; true when done.
bool ConvergeUpgrade(const ShowMessageFn& show);
