// What the configuration asks of the branch machine before it writes anything. The dialog and
// the command line ask the real machine; tests answer from a table. Pure.
#pragma once
#include <optional>
#include <string>
#include <vector>

class MachineProbe {
public:
    virtual ~MachineProbe() = default;
    // The running program's folder, without a trailing separator.
    virtual std::wstring ProgramFolder() = 0;
    // The Program Files folder; false with the system's error code when it cannot be asked.
    virtual bool ProgramFilesFolder(std::wstring& folder, unsigned long& error) = 0;
    virtual bool IsFolder(const std::wstring& path) = 0;
    virtual bool IsFile(const std::wstring& path) = 0;
    // The printers the technician can choose from.
    virtual std::vector<std::wstring> Printers() = 0;
    // Whether a font family of exactly this face name (letter case included) is installed.
    virtual bool HasFontFamily(const std::wstring& face) = 0;
    // The file's bytes, up to maxBytes; nothing when it cannot be read.
    virtual std::optional<std::string> FileBytes(const std::wstring&, size_t) { return std::nullopt; }
};
