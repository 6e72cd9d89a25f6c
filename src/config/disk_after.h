// The disk as a plan would leave it: answers as the machine's probe would after the plan's
// folders and files are made, and works out, for each folder or file the plan declares, whether
// it would be made and what it would hold. Each path is asked of the disk once. Pure: the disk
// comes through the probe.
#pragma once
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "config/machine_probe.h"

// Whether the machine lets the run write where it would; a probe not given answers yes.
struct DiskProbes {
    // An existing file could be written in place now.
    std::function<bool(const std::wstring&)> canWriteFile;
    // The folder could be made: 0, or the system's error.
    std::function<unsigned long(const std::wstring&)> folderError;
};

class DiskAfter : public MachineProbe {
public:
    DiskAfter(MachineProbe& disk, DiskProbes probes) : disk_(disk), probes_(std::move(probes)) {}

    // The folder and its missing parents, each a change (parents first). A folder that cannot be
    // made (a file in its place, a parent that cannot be made, or one the system refuses) is not,
    // and nothing can be placed in it.
    std::vector<Change> MakeFolder(const std::wstring& path);
    // A copy or link of an existing file, where no file is there yet and its folder stands.
    std::optional<Change> Copy(const std::wstring& source, const std::wstring& target);
    std::optional<Change> Link(const std::wstring& existing, const std::wstring& link);
    // The header image drawn in place: none where the file already holds it. Where it cannot be
    // written, failure holds what the run says, and the file keeps its bytes.
    std::optional<Change> Draw(const std::wstring& path, const std::string& image, const std::vector<std::wstring>& lines,
                               std::optional<std::wstring>& failure);

    std::wstring ProgramFolder() override { return disk_.ProgramFolder(); }
    bool ProgramFilesFolder(std::wstring& folder, unsigned long& error) override
    {
        return disk_.ProgramFilesFolder(folder, error);
    }
    bool IsFolder(const std::wstring& path) override;
    bool IsFile(const std::wstring& path) override;
    std::vector<std::wstring> Printers() override { return disk_.Printers(); }
    bool HasFontFamily(const std::wstring& face) override { return disk_.HasFontFamily(face); }
    std::optional<std::string> FileBytes(const std::wstring& path, size_t maxBytes) override;

private:
    // A file the plan would leave: a copy or link of another file, or bytes of its own.
    struct FileAfter {
        std::wstring sameAs;
        std::optional<std::string> bytes;
    };
    bool OnDisk(const std::wstring& path, bool folder);
    bool CanPlace(const std::wstring& path);
    std::optional<ChangeSide> SideOf(const std::wstring& path);
    Change Place(const std::wstring& path, FileAfter file, ChangeAction action);

    MachineProbe& disk_;
    DiskProbes probes_;
    std::set<std::wstring> folders_;           // folders the plan makes, compare keys
    std::map<std::wstring, FileAfter> files_;  // files it writes
    std::map<std::wstring, std::pair<size_t, std::optional<std::string>>> read_;  // files read from the disk
    std::map<std::pair<std::wstring, bool>, bool> onDisk_;  // (path, as a folder) asked of the disk
};
