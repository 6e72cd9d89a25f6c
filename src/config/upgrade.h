// "Upgrade Vorla": brings the form maps of an existing configuration up to date in place.
#pragma once
#include <string>
#include <vector>

#include "common/port.h"
#include "common/reg_text.h"

struct UpgradeRun {
    bool done = false;              // "Done!" was shown
    std::wstring backupPath;        // the backup made before the first write, if any
    std::vector<RegKeyData> changes;  // preview: the values that would be added or changed
};

enum class UpgradeMode { Write, Preview };

// Runs the upgrade; shows "Done!" or the first failure. Before its first write it backs up the
// product key (a backup that fails stops it). A preview writes nothing, backs up nothing, and
// fails where the real run would.
UpgradeRun RunUpgrade(UpgradeMode mode, const ShowMessageFn& show);

// The menu command: the upgrade, reporting through the port's message box.
void UpgradeVorla(CommandPort& port);
