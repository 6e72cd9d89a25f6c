// The configuration's probe and writers on the real branch machine.
#pragma once
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "common/reg_text.h"
#include "config/config_writer.h"
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

private:
    std::vector<std::wstring> printers_;
    HWND window_;
};

// Writes for real. With Backup::BeforeChange, the first change is preceded by a backup of the
// product key (BackupVorlaKey); its path is kept.
class MachineWriter : public ConfigWriter {
public:
    enum class Backup { None, BeforeChange };
    explicit MachineWriter(Backup backup) : backup_(backup) {}
    const std::wstring& BackupPath() const { return backupPath_; }

    void KeepWayBack() override;
    void WriteKey(const std::wstring& path, const std::vector<RegValue>& values) override;
    void RemoveKeyTree(const std::wstring& path) override;
    void MakeFolder(const std::wstring& path) override;
    void CopyNew(const std::wstring& source, const std::wstring& target) override;
    void LinkNew(const std::wstring& existing, const std::wstring& link) override;
    void DrawAddress(const std::wstring& path, const std::vector<std::wstring>& lines,
                     const ShowMessageFn& show) override;

private:
    Backup backup_;
    std::wstring backupPath_;
};

// Writes nothing: records what the real writer would change, as .reg text for the registry and
// comment lines for the folders and files (so the whole is still a .reg file).
class PreviewWriter : public ConfigWriter {
public:
    void KeepWayBack() override {}
    void WriteKey(const std::wstring& path, const std::vector<RegValue>& values) override;
    void RemoveKeyTree(const std::wstring& path) override;
    void MakeFolder(const std::wstring& path) override;
    void CopyNew(const std::wstring& source, const std::wstring& target) override;
    void LinkNew(const std::wstring& existing, const std::wstring& link) override;
    void DrawAddress(const std::wstring& path, const std::vector<std::wstring>& lines,
                     const ShowMessageFn& show) override;

    std::wstring Text() const;

private:
    bool Exists(const std::wstring& path) const;
    void PlanFile(const std::wstring& path, const std::wstring& how);

    std::vector<std::wstring> removedKeys_;
    std::vector<RegKeyData> keys_;
    std::vector<std::wstring> fileLines_;
    std::set<std::wstring> planned_;  // folders and files the run would make, upper case
};
