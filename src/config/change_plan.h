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
// draw none), and whether an existing file could be written in place now.
struct PlanInputs {
    std::vector<RegKeyData> tree;
    std::function<std::optional<std::string>(const std::vector<std::wstring>&)> drawImage;
    std::function<bool(const std::wstring&)> canWriteFile;
};

// Each key and value that differs between two trees, as a change from the first to the second:
// keys made or removed, values written (new or other type or data) or removed. Names and paths
// compare without regard to letter case, values by type and bytes.
std::vector<Change> TreeChanges(const std::vector<RegKeyData>& before, const std::vector<RegKeyData>& after);

class PlanWriter : public ConfigWriter {
public:
    PlanWriter(const PlanInputs& inputs, MachineProbe& probe, ProductRoot root = {});

    // What the run would change: the registry's net difference, then the folders and files
    // in the order the run makes them.
    std::vector<Change> Changes() const;
    // The product key tree as the run would leave it.
    const std::vector<RegKeyData>& TreeAfter() const { return after_; }
    // Answers as the disk would stand after the run (printers and fonts as the machine's).
    MachineProbe& ProbeAfter() { return probeAfter_; }

    void Backup(const std::vector<std::wstring>&) override {}
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

    RegKeyData& KeyAfter(const std::wstring& full);
    void Write(const std::wstring& path, const std::vector<RegValue>& values);
    bool OnDisk(const std::wstring& path, bool folder);
    bool IsFolderAfter(const std::wstring& path);
    bool IsFileAfter(const std::wstring& path);
    std::optional<std::string> BytesAfter(const std::wstring& path, size_t maxBytes);
    // Whether a new file could go there: its folder stands (or would be made) and no name is taken.
    bool CanPlace(const std::wstring& path);
    void Place(const std::wstring& path, FileAfter file, ChangeAction action);

    const PlanInputs& inputs_;
    MachineProbe& probe_;
    ProductRoot root_;
    std::vector<RegKeyData> after_;
    std::set<std::wstring> folders_;   // folders the run would make, upper case
    std::set<std::wstring> blocked_;   // folders it could not make, upper case
    std::map<std::wstring, FileAfter> files_;  // files it would write, upper case
    std::map<std::wstring, std::pair<size_t, std::optional<std::string>>> read_;  // files read from the disk
    std::map<std::pair<std::wstring, bool>, bool> onDisk_;  // (path, as a folder) asked of the disk
    std::vector<Change> fileChanges_;
    AfterProbe probeAfter_{*this};
};
