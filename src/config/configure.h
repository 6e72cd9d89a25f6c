// "Configure Vorla" as one engine for the dialog and the command line: the machine checks, the
// entries' validation, the product values and the form maps, in that order, with the same
// messages whichever front end shows them. Pure: the machine is reached through a probe and a
// writer.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "common/port.h"
#include "common/reg_text.h"
#include "config/config_writer.h"
#include "config/machine_probe.h"

// What the technician entered, exactly as typed. A printer without a value was not chosen.
struct ConfigRequest {
    std::wstring branch;
    std::wstring posSeries;
    std::wstring backSeries;
    std::optional<std::wstring> posPrinter;
    std::optional<std::wstring> backPrinter;
    std::wstring uncPos;
    std::wstring uncBack;
    std::vector<std::wstring> headerLines;
};

// The UNC output folders offered until the technician types others.
extern const wchar_t kDefaultUncPos[];   // \\vorla-fs\STORE_FILES$\POS
extern const wchar_t kDefaultUncBack[];  // \\vorla-fs\STORE_FILES$\BACK

// What a run found out about the machine and the entries (the dialog keeps it as its state).
struct ConfigPaths {
    std::wstring ProgramDir;       // the program's folder, no trailing separator
    std::wstring InstallDir;       // <Program Files>\Kelvane\Kelvane Vorla
    std::wstring GhostscriptPath;  // <Program Files>\gs\gs9.14\bin\gswin32c.exe
    std::wstring EscSourcePath;    // ProgramDir\generic_ab.esc
    std::wstring MapDir;           // the last map folder written
    int BranchNo = 0;              // valid from 1 to 9999
};

// What the map writer is given besides the series.
struct MapSettings {
    int BranchNo = 0;                        // 1..9999, checked before
    std::wstring InstallDir;                 // the product's installation folder, no trailing separator
    std::wstring ProgramDir;                 // the program's folder, no trailing separator
    std::wstring EscSourcePath;              // ProgramDir + "\generic_ab.esc"
    std::wstring PosPrinter;                 // the POS maps' printer
    std::wstring BackPrinter;                // the back-office maps' printer
    std::wstring UncPos;                     // the POS maps' output folder (may be empty)
    std::wstring UncBack;                    // the back-office maps' output folder (may be empty)
    std::vector<std::wstring> AddressLines;  // the branch header
};

enum class MachineCheck {
    Passed,
    Failed,             // the dialog closes (Cancel)
    FailedAskingClose,  // the dialog closes, and also asks for its own close
};

enum class ConfigOutcome {
    Cancelled,            // a machine check failed: the dialog closes (Cancel)
    CancelledAskingClose, // the printer or font check failed: the dialog also asks for its own close
    Invalid,              // an entry was refused; nothing written; the dialog stays
    Failed,               // a write stopped the run; what was written stays; the dialog stays
    Done,                 // everything written; the dialog stays
};

// Locates the program, Vorla, Ghostscript and the escape file, and checks the PDF printer, the
// barcode font and the five header lines; fills paths as it goes. The first failure is shown.
MachineCheck CheckMachine(const ConfigRequest& request, MachineProbe& probe, ConfigPaths& paths,
                          const ShowMessageFn& show);

// The whole run: checks, validation, a way back, product values, the old maps removed, the POS
// maps numbered from 1 and the back-office maps after them, then "Η εντολή ολοκληρώθηκε".
ConfigOutcome RunConfiguration(const ConfigRequest& request, MachineProbe& probe, ConfigWriter& writer,
                               const ShowMessageFn& show, ConfigPaths& paths);

// The key of map n below HKEY_LOCAL_MACHINE, and one of its sections (kMasterSubkey, kCopySubkey).
std::wstring MapKeyPath(int mapNumber);
std::wstring MapSectionKeyPath(int mapNumber, const wchar_t* section);

// Vorla's installation folder below the Program Files folder.
std::wstring VorlaInstallDir(const std::wstring& programFiles);

// What the map writer takes from the entries and the machine.
MapSettings SettingsOf(const ConfigRequest& request, const ConfigPaths& paths);

// A value to write as the registry stores it, and a key's path as .reg text names it
// ("HKEY_LOCAL_MACHINE\" + path).
RegValueData RegDataOf(const RegValue& value);
std::wstring LocalMachinePath(const std::wstring& path);

// One map per comma-separated entry of seriesText for the type, numbered on from mapCounter
// (raised by one per map). A missing form template is shown and nothing is written for the
// type. The first folder of a type gets copies and the header image, the later ones links to
// them. A refused registry write throws, keeping what was written. MapDir ends as the last folder.
void WriteMapsWith(const MapSettings& settings, const std::wstring& seriesText, const std::wstring& mapType,
                   int& mapCounter, std::wstring& MapDir, MachineProbe& probe, ConfigWriter& writer,
                   const ShowMessageFn& show);
