// The configuration's probe, the plan's probes and the plan's applier on the real branch machine.
#pragma once
#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "common/reg_text.h"
#include "config/backup.h"
#include "config/machine_probe.h"

// Asks this machine. The printers are given by the caller (the dialog's lists, or the
// enumeration on the command line); the fonts are enumerated on window's device context
// (the screen's when null).
class LiveMachineProbe : public MachineProbe {
public:
    LiveMachineProbe(std::vector<std::wstring> printers, HWND window);
    std::wstring ProgramFolder() override;
    bool ProgramFilesFolder(std::wstring& folder, unsigned long& error) override;
    bool IsFolder(const std::wstring& path) override;
    bool IsFile(const std::wstring& path) override;
    std::vector<std::wstring> Printers() override { return printers_; }
    bool HasFontFamily(const std::wstring& face) override;
    std::optional<std::string> FileBytes(const std::wstring& path, size_t maxBytes) override;

private:
    bool EnumeratesFontFamily(const std::wstring& face);

    std::vector<std::wstring> printers_;
    HWND window_;
    std::map<std::wstring, bool> fonts_;  // the faces asked for, and whether they are installed
};

struct PlanInputs;      // config/change_plan.h
struct PlannedChange;

// Fills the plan's probes with this machine's answers: whether each key could be written or
// deleted, whether the backup could be made, a folder made, an existing file written in place.
void ProbeThisMachine(PlanInputs& inputs, const ProductRoot& root = {});

// Makes a plan's changes on this machine, one at a time, each as the run makes it.
class PlanApplier {
public:
    explicit PlanApplier(ProductRoot root = {}) : root_(std::move(root)) {}
    // Backs up the root's key before the first change; throws AppError when it cannot.
    BackupMade Backup(const std::vector<std::wstring>& productValuesWritten);
    // Makes the change: true when made. A folder or file that cannot be made is skipped (false),
    // an image that cannot be drawn is said through drawFailure; a registry refusal throws
    // AppError with the run's message.
    bool Make(const PlannedChange& step, const ShowMessageFn& drawFailure);

private:
    ProductRoot root_;
};
