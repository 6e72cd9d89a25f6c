// A run planned before it writes: the run goes through this writer first, which changes
// nothing and works out what the run would change on the machine as it stands, and what the
// machine would hold afterwards (the registry tree, and a probe that answers as the disk would).
// Pure: the registry comes as read, the disk through the probe.
#pragma once
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "common/product_keys.h"
#include "common/reg_text.h"
#include "config/config_writer.h"
#include "config/machine_probe.h"

// What the plan needs besides the probe: the product key tree as it stands (as ReadKeyTree
// gives it, parents first), the header image as its BMP file bytes (nothing when the lines
// draw none), and the probes of whether the run could write where it would write. A probe that
// is not given answers yes.
struct PlanInputs {
    std::vector<RegKeyData> tree;
    std::function<std::optional<std::string>(const std::vector<std::wstring>&)> drawImage;
    // An existing file could be written in place now.
    std::function<bool(const std::wstring&)> canWriteFile;
    // The key (full path) could take values: it opens for writing, or, where it is not there,
    // the nearest key above it lets a subkey be made.
    std::function<bool(const std::wstring&)> canWriteKey;
    // The key (full path), which is there, could be deleted with every key below it.
    std::function<bool(const std::wstring&)> canDeleteKey;
    // The folder could be made: 0, or the system's error.
    std::function<unsigned long(const std::wstring&)> folderError;
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

    bool Fails() const { return backupFails || failsAt < steps.size(); }
    // The changes the run would make (the failing one excluded).
    std::vector<Change> Changes() const;
};

// A key of the tree as one side of a change: its values and, by name, the keys below it.
ChangeSide KeySideOf(const std::vector<RegKeyData>& tree, const RegKeyData& key);

// Each key and value that differs between two trees, as a change from the first to the second:
// keys made (with what they will hold) or removed (with what they held; a removed key stands
// for the keys below it), values written (new or of other type or data) or removed, each with
// its before and after. Names and paths compare without regard to letter case, values by type
// and bytes.
std::vector<Change> TreeChanges(const std::vector<RegKeyData>& before, const std::vector<RegKeyData>& after);

// The plan as a .reg file (the keys deleted, the values written and removed), then, with files,
// the folders and files as comment lines, so that the whole is still a .reg file.
std::wstring PlanText(const Plan& plan, bool withFiles);

class PlanWriter : public ConfigWriter {
public:
    PlanWriter(const PlanInputs& inputs, MachineProbe& probe, ProductRoot root = {});

    // Counts the run's messages so far, so that each change knows which messages come before it.
    void CountShown(const std::vector<OutcomeMessage>* shown) { shown_ = shown; }
    // What the run would do: the registry's net difference and the folders and files, in the order
    // the run makes them, each probed where the run would write; the first refused is where it fails.
    Plan Result();
    std::vector<Change> Changes() { return Result().Changes(); }
    // The product key tree as the run would leave it.
    const std::vector<RegKeyData>& TreeAfter() const { return after_; }
    // Answers as the disk would stand after the run (printers and fonts as the machine's).
    MachineProbe& ProbeAfter() { return probeAfter_; }

    void Backup(const std::vector<std::wstring>& productValuesWritten) override;
    void WriteKey(const std::wstring& path, const std::vector<RegValue>& values) override;
    void UpdateKey(const std::wstring& path, bool createMissing, const std::vector<RegValue>& values) override;
    void RemoveKeyTree(const std::wstring& path) override;
    void MakeFolder(const std::wstring& path) override;
    void CopyNew(const std::wstring& source, const std::wstring& target) override;
    void LinkNew(const std::wstring& existing, const std::wstring& link) override;
    void DrawAddress(const std::wstring& path, const std::vector<std::wstring>& lines,
                     const ShowMessageFn& show) override;

private:
    // A file the run would leave: a copy or link of another file, or bytes of its own.
    struct FileAfter {
        std::wstring sameAs;
        std::optional<std::string> bytes;
    };
    class AfterProbe : public MachineProbe {
    public:
        explicit AfterProbe(PlanWriter& plan) : plan_(plan) {}
        std::wstring ProgramFolder() override { return plan_.probe_.ProgramFolder(); }
        bool ProgramFilesFolder(std::wstring& folder, unsigned long& error) override
        {
            return plan_.probe_.ProgramFilesFolder(folder, error);
        }
        bool IsFolder(const std::wstring& path) override { return plan_.IsFolderAfter(path); }
        bool IsFile(const std::wstring& path) override { return plan_.IsFileAfter(path); }
        std::vector<std::wstring> Printers() override { return plan_.probe_.Printers(); }
        bool HasFontFamily(const std::wstring& face) override { return plan_.probe_.HasFontFamily(face); }
        std::optional<std::string> FileBytes(const std::wstring& path, size_t maxBytes) override
        {
            return plan_.BytesAfter(path, maxBytes);
        }

    private:
        PlanWriter& plan_;
    };

    // Where each key and value got its last word: the order of the writer's call, the messages
    // shown before it, and how the run would fail there.
    struct Origin {
        unsigned order = 0;
        size_t shown = 0;
        bool update = false;      // opened as an update ("Failed to open"), not written anew
        std::wstring firstValue;  // the first value of the call, named when a new key refuses
    };
    Origin Next(bool update = false, std::wstring firstValue = {});
    void Probe(Plan& plan);
    PlannedChange Step(const Change& change) const;
    RegKeyData& KeyAfter(const std::wstring& full, const Origin& origin);
    void Write(const std::wstring& path, const std::vector<RegValue>& values, bool update);
    bool OnDisk(const std::wstring& path, bool folder);
    bool IsFolderAfter(const std::wstring& path);
    bool IsFileAfter(const std::wstring& path);
    std::optional<std::string> BytesAfter(const std::wstring& path, size_t maxBytes);
    // Whether a new file could go there: its folder stands (or would be made) and no name is taken.
    bool CanPlace(const std::wstring& path);
    void Place(const std::wstring& path, FileAfter file, ChangeAction action, PlannedChange step);
    std::optional<ChangeSide> SideOf(const std::wstring& path);

    const PlanInputs& inputs_;
    MachineProbe& probe_;
    ProductRoot root_;
    std::vector<RegKeyData> after_;
    std::set<std::wstring> folders_;   // folders the run would make, upper case
    std::set<std::wstring> blocked_;   // folders it could not make, upper case
    std::map<std::wstring, FileAfter> files_;  // files it would write, upper case
    std::map<std::wstring, std::pair<size_t, std::optional<std::string>>> read_;  // files read from the disk
    std::map<std::pair<std::wstring, bool>, bool> onDisk_;  // (path, as a folder) asked of the disk
    std::vector<std::pair<unsigned, PlannedChange>> fileSteps_;
    std::map<std::wstring, Origin> keyMade_;     // keys made, by upper-case path
    std::map<std::wstring, Origin> keyRemoved_;  // keys removed (and their values), by upper-case path
    std::map<std::wstring, Origin> valueSet_;    // values written, by upper-case path and name
    const std::vector<OutcomeMessage>* shown_ = nullptr;
    unsigned order_ = 0;
    bool backup_ = false;
    std::vector<std::wstring> backupValues_;
    AfterProbe probeAfter_{*this};
};
