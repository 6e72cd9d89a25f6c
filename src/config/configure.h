// "Configure Vorla" as one engine for the dialog and the command line: the machine checks, the
// entries' validation, the product values and the form maps, in that order, with the same
// messages whichever front end shows them. Pure: the machine is reached through a probe and a
// writer.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "common/show_message.h"
#include "common/reg_text.h"
#include "config/config_writer.h"
#include "config/machine_probe.h"
#include "config/request.h"

// What a whole run shows at its end.
extern const wchar_t kConfigurationDone[];  // Η εντολή ολοκληρώθηκε

// A refusal that /check also names: its stable code and the dialog's text, kept once here.
struct Refusal {
    const char* code;
    const wchar_t* text;
};
extern const Refusal kPosPrinterNotChosen;   // pos-printer-not-chosen
extern const Refusal kBackPrinterNotChosen;  // back-printer-not-chosen
extern const Refusal kHeaderLinesWrong;      // header-lines-wrong

// The UNC output folders offered until the technician types others.
extern const wchar_t kDefaultUncPos[];   // \\vorla-fs\STORE_FILES$\POS
extern const wchar_t kDefaultUncBack[];  // \\vorla-fs\STORE_FILES$\BACK

// Where the machine checks found the program, Vorla and Ghostscript (the dialog keeps them).
struct MachinePaths {
    std::wstring ProgramDir;       // the program's folder, no trailing separator
    std::wstring InstallDir;       // <Program Files>\Kelvane\Kelvane Vorla
    std::wstring GhostscriptPath;  // <Program Files>\gs\gs9.14\bin\gswin32c.exe
    std::wstring EscSourcePath;    // ProgramDir\generic_ab.esc
};

// What a run leaves behind for its front end.
struct ConfigResult {
    MachinePaths paths;  // as far as the checks got
    int BranchNo = 0;    // the entry read as a number (0 when it is none), once the checks passed
    std::wstring MapDir; // the last map folder written, empty when none was
};

// Shows an engine's messages and keeps each with its kind and code (common/outcome.h).
class MessageLog;

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
    Refused,             // a folder, Ghostscript, the escape file or the header lines are missing
    LacksPrinterOrFont,  // the PDF printer or the barcode font is not installed
};

enum class ConfigOutcome {
    MachineRefused,             // a machine check failed; nothing written
    MachineLacksPrinterOrFont,  // the PDF printer or the barcode font is missing; nothing written
    EntriesRefused,             // an entry was refused; nothing written
    Failed,                     // a write stopped the run; what was written stays
    Done,                       // everything written
};

// The printer of the list that the name means, compared as the dialog compares printer names
// (letter case folded in the user's locale); nothing when the list has no such printer.
std::optional<std::wstring> MatchPrinter(const std::vector<std::wstring>& printers, const std::wstring& name);

// Locates the program, Vorla, Ghostscript and the escape file, and checks the PDF printer, the
// barcode font and the five header lines; fills paths as it goes. The first failure is shown.
MachineCheck CheckMachine(const ConfigRequest& request, MachineProbe& probe, MachinePaths& paths,
                          const ShowMessageFn& show);
MachineCheck CheckMachine(const ConfigRequest& request, MachineProbe& probe, MachinePaths& paths,
                          const MessageLog& log);

// The whole run: checks, validation, a backup, product values, the old maps removed, the POS
// maps numbered from 1 and the back-office maps after them, then "Η εντολή ολοκληρώθηκε".
ConfigOutcome RunConfiguration(const ConfigRequest& request, MachineProbe& probe, ConfigWriter& writer,
                               const ShowMessageFn& show, ConfigResult& result, const ProductRoot& root = {});
// The same, each message kept in the log with its kind and a stable code: configuration-done;
// the machine's refusals (install-folder-missing, ghostscript-missing, esc-file-missing,
// pdf-printer-missing, barcode-font-missing, header-lines-wrong, program-files-unknown); the
// entries' (pos-unc-empty and back-unc-empty warn; branch-refused, pos-printer-not-chosen,
// back-printer-not-chosen, series-refused); the writes' (backup-failed, product-write-failed, maps-remove-failed,
// map-write-failed; template-missing and address-image-not-written warn).
ConfigOutcome RunConfiguration(const ConfigRequest& request, MachineProbe& probe, ConfigWriter& writer,
                               const MessageLog& log, ConfigResult& result, const ProductRoot& root = {});

// The key of map n below HKEY_LOCAL_MACHINE, and one of its sections (kMasterSubkey, kCopySubkey).
std::wstring MapKeyPath(int mapNumber);
std::wstring MapSectionKeyPath(int mapNumber, const wchar_t* section);

// Vorla's installation folder, and Ghostscript's console program, below the Program Files folder.
std::wstring VorlaInstallDir(const std::wstring& programFiles);
std::wstring GhostscriptPathOf(const std::wstring& programFiles);

// What the map writer takes from the request and the machine.
MapSettings SettingsOf(const Request& request, const MachinePaths& paths);

// The names of the values the configuration writes to the product key.
std::vector<std::wstring> ProductValueNames();

// How the map writer runs: on what, through which writer, showing what where.
struct MapWriteOptions {
    MapSettings settings;
    MachineProbe* probe = nullptr;  // asked whether a form template is there; none: taken as there
    ConfigWriter* writer = nullptr;
    ShowMessageFn show;
    ProductRoot root;
    ShowMessageFn showDrawing;  // where the header image's failure is shown; none: show
};

// One map per series of the type, in order, numbered on from mapCounter
// (raised by one per map). A missing form template is shown and nothing is written for the
// type. The first folder of a type gets copies and the header image, the later ones links to
// them. A refused registry write throws, keeping what was written. Returns the last folder
// written, empty when none was.
std::wstring WriteMapsWith(const MapWriteOptions& options, const std::vector<int>& series,
                           const std::wstring& mapType, int& mapCounter);
