// A run planned before it writes: the one difference between what the branch should hold (the
// declared state) and the machine as it stands, in the order the run makes it, each step probed
// where the run would write. Every preview, check and run reads such a plan. Pure: the registry
// comes as read, the disk through a probe.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "common/product_keys.h"
#include "common/reg_text.h"
#include "config/desired.h"
#include "config/disk_after.h"
#include "config/machine_probe.h"

// What the plan needs besides the probe: the product key tree as it stands (as ReadKeyTree
// gives it, parents first), the header image as its BMP file bytes (nothing when the lines
// draw none), and the probes of whether the run could write where it would write. A probe that
// is not given answers yes.
struct PlanInputs {
    std::vector<RegKeyData> tree;
    std::function<std::optional<std::string>(const std::vector<std::wstring>&)> drawImage;
    DiskProbes disk;  // whether files and folders could be written
    // The key (full path) could take values: it opens for writing, or, where it is not there,
    // the nearest key above it lets a subkey be made.
    std::function<bool(const std::wstring&)> canWriteKey;
    // The key (full path), which is there, could be deleted with every key below it.
    std::function<bool(const std::wstring&)> canDeleteKey;
    // The backup could be made; throws AppError with the run's message when it could not.
    std::function<void(const std::vector<std::wstring>&)> checkBackup;
};

// One change of a plan, with what the run needs to make it and what it says when it cannot.
struct PlannedChange {
    Change change;
    RegValueData value;              // a value written: as stored
    std::wstring source;             // a copy's source, a link's existing file
    std::vector<std::wstring> lines; // the header image's lines
    std::string failCode;            // the run's code when this change fails
    std::wstring failText;           // and its message, as the run would say it
    size_t shownBefore = 0;          // how many of the run's messages come before this change
};

// What a run would do: its changes in the order the run makes them, a backup before the first,
// and where the run would stop.
struct Plan {
    std::vector<PlannedChange> steps;
    std::vector<std::wstring> backupValues;  // what the backup names (when a backup is taken)
    bool backup = false;                     // a backup comes before the first change
    // The step the run would fail at (steps.size() when none), with the step's code and message;
    // a failing backup fails before the first step.
    size_t failsAt = 0;
    bool backupFails = false;
    std::string failCode;
    std::wstring failText;
    size_t failShownBefore = 0;
    std::vector<RegKeyData> treeAfter;  // the tree as the run would leave it

    bool Fails() const { return backupFails || failsAt < steps.size(); }
    // The changes the run would make (the failing one excluded).
    std::vector<Change> Changes() const;
};

// A key of the tree as one side of a change: its values and, by name, the keys below it.
ChangeSide KeySideOf(const std::vector<RegKeyData>& tree, const RegKeyData& key);

// The plan of a declared state on the tree as it stands (as ReadKeyTree gives it, parents first):
// part by part, its note added to the messages, then the keys and values below a replaced key
// that the state does not declare removed (a removed key stands for the keys below it, and
// carries what it held), the folder and files (with a disk; none: the registry alone), then each
// key made where missing (carrying what it will hold) and each value written where it is not so
// (new, or of other type or data). Names and paths compare without regard to letter case, values
// by type and bytes. Each step knows how many messages come before it, how the run makes it and
// what it says when the machine refuses it. No backup, no probing: see ProbeWrites.
Plan Diff(const std::vector<RegKeyData>& current, const DesiredState& desired, DiskAfter* disk,
          std::vector<OutcomeMessage>& messages, const ProductRoot& root = {});

// Where the run would write, it is asked whether it could: the backup first (when the plan takes
// one), then each key in the run's order. The first refusal is where the run would stop.
void ProbeWrites(Plan& plan, const PlanInputs& inputs);

// The plan as a .reg file (the keys deleted, the values written and removed), then, with files,
// the folders and files as comment lines, so that the whole is still a .reg file.
std::wstring PlanText(const Plan& plan, bool withFiles);
