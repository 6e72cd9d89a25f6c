// Everything the configuration changes on the machine goes through this. The real writer
// changes the registry and the map folders; the preview writer only records what it would do.
// Pure.
#pragma once
#include <string>
#include <vector>

#include "common/port.h"
#include "config/map_layout.h"

class ConfigWriter {
public:
    virtual ~ConfigWriter() = default;
    // Called once, before the first change: keeps a way back to the configuration as it stands.
    // Throws AppError (naming the file and the error) when it cannot, and nothing is changed.
    virtual void KeepWayBack() = 0;
    // Opens HKLM\path (32-bit view), creating it, and writes the values in order; the first
    // refused write throws "Failed to set data for '<name>'".
    virtual void WriteKey(const std::wstring& path, const std::vector<RegValue>& values) = 0;
    // Removes HKLM\path with every key below it; throws when it is still there afterwards.
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
