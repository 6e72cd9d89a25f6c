// "Configure Vorla"'s checks for the dialog and the command line: the machine, then the entries,
// with the same messages whichever front end shows them; what is written then is declared
// (config/desired.h). Pure: the machine is reached through a probe.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "common/show_message.h"
#include "common/reg_text.h"
#include "common/product_keys.h"
#include "config/map_layout.h"
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

// The entries checked as the request they make, each refusal said through the log; the two UNC
// warnings come first (an empty output folder only warns). None when an entry is refused.
std::optional<Request> CheckEntries(const ConfigRequest& request, const MessageLog& log);

// The key of map n below HKEY_LOCAL_MACHINE, and one of its sections (kMasterSubkey, kCopySubkey).
std::wstring MapKeyPath(int mapNumber);
std::wstring MapSectionKeyPath(int mapNumber, const wchar_t* section);

// Vorla's installation folder, and Ghostscript's console program, below the Program Files folder.
std::wstring VorlaInstallDir(const std::wstring& programFiles);
std::wstring GhostscriptPathOf(const std::wstring& programFiles);

// The names of the values the configuration writes to the product key.
std::vector<std::wstring> ProductValueNames();
