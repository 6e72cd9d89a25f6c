// Everything that "Configure Vorla" and "Upgrade Vorla" change on the machine goes through this
// one interface. The plan writer (change_plan.h) is the one simulation: every run goes through it
// first, and the run then makes the plan's changes and only those. The machine writer writes
// directly (the engines' own tests); what /check expects is declared (desired.h), not recorded.
// Keys are paths below the writer's hive, 32-bit view. Pure.
#pragma once
#include <string>
#include <vector>

#include "common/show_message.h"
#include "common/product_keys.h"
#include "common/reg_text.h"
#include "config/map_layout.h"

class ConfigWriter {
public:
    virtual ~ConfigWriter() = default;
    // Called once, before the first change: backs up the product key as it stands. A restore
    // also takes away the product values named here where they are absent now. Throws AppError
    // (naming the file and the error) when it cannot, and nothing is changed.
    virtual void Backup(const std::vector<std::wstring>& productValuesWritten) = 0;
    // Creates the key and writes the values in order; the first refused write (a key that cannot
    // be created refuses the first) throws "Failed to set data for '<name>'".
    virtual void WriteKey(const std::wstring& path, const std::vector<RegValue>& values) = 0;
    // Opens the key with full access, creating it when createMissing, and writes the values in
    // order. A key that cannot be opened throws "Failed to open <path>".
    virtual void UpdateKey(const std::wstring& path, bool createMissing, const std::vector<RegValue>& values) = 0;
    // Removes the key with every key below it; throws "Failed to delete key '<name>'" when it is
    // still there afterwards.
    virtual void RemoveKeyTree(const std::wstring& path) = 0;
    // Makes the folder and its missing parents; a failure shows later, in what goes into it.
    virtual void MakeFolder(const std::wstring& path) = 0;
    // Copies a file or links a name to it, never over an existing file; failures are skipped.
    virtual void CopyNew(const std::wstring& source, const std::wstring& target) = 0;
    virtual void LinkNew(const std::wstring& existing, const std::wstring& link) = 0;
    // Draws the branch header image to path (in place); a file that cannot be written is
    // reported through show and the run goes on.
    virtual void DrawAddress(const std::wstring& path, const std::vector<std::wstring>& lines,
                             const ShowMessageFn& show) = 0;
};


