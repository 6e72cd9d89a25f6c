// The process entry of both programs: vorlasched.exe (window subsystem) and its console twin
// vorlasched.com link this same object. Without a command switch it creates the four forms,
// shows the paths it was given as a drop would, and runs the message loop until the main
// window closes; with one it runs that command without any window. Then it tidies the
// untranslated-texts file, unless the command only reads (a preview, a check, an analysis).
#include <windows.h>

#include <commctrl.h>

#include "about/TAboutForm.h"
#include "app/TMainForm.h"
#include "app/command_line.h"
#include "app/fleet.h"
#include "app/untranslated.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "config/TConfigForm.h"
#include "jobs/TConvertPBForm.h"

static void RunApplication(int showCommand, const std::vector<std::wstring>& paths)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    TMainForm MainForm;
    TAboutForm AboutForm;
    TConfigForm ConfigForm;
    TConvertPBForm ConvertPBForm;
    MainForm.Create(&AboutForm, &ConfigForm, &ConvertPBForm);
    MainForm.SetEndsApplication(true);
    AboutForm.Create(MainForm.Handle());
    ConfigForm.Create(MainForm.Handle());
    ConvertPBForm.Create(MainForm.Handle());

    // Paths on the command line (Send To, a drop onto the program's icon) are a drop.
    if (!paths.empty()) {
        std::vector<std::wstring> full;
        for (const std::wstring& path : paths)
            full.push_back(FullPathName(path));
        MainForm.OpenPaths(full);
    }
    MainForm.Show(showCommand);
    while (PumpMessage(nullptr)) {
    }
}

static void RunWindow(const std::vector<std::wstring>& paths)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const int showCommand = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    try {
        RunApplication(showCommand, paths);
    } catch (const AppError& e) {
        ShowMessage(nullptr, e.Message());
    } catch (const std::exception& e) {
        std::string what = e.what();
        ShowMessage(nullptr, std::wstring(what.begin(), what.end()));
    } catch (...) {
        ShowMessage(nullptr, L"");
    }
}

// Never a window or a message box: whatever goes wrong ends as a line and an exit code.
static int RunCommand(const CommandLine& line)
{
    StdStream out(STD_OUTPUT_HANDLE);
    StdStream err(STD_ERROR_HANDLE);
    try {
        return RunFleetCommand(line, out, err);
    } catch (const AppError& e) {
        err.WriteLine(e.Message());
    } catch (const std::exception& e) {
        std::string what = e.what();
        err.WriteLine(std::wstring(what.begin(), what.end()));
    }
    return ExitFailed;
}

int wmain(int argc, wchar_t** argv)
{
    const CommandLineParse parse = ParseCommandLine(std::vector<std::wstring>(argv + 1, argv + argc));
    if (!parse.ok) {
        StdStream err(STD_ERROR_HANDLE);
        return RefuseCommandLine(parse.problem, err);
    }
    int exitCode = ExitDone;
    if (parse.line.command == CliCommand::Window)
        RunWindow(parse.line.paths);
    else
        exitCode = RunCommand(parse.line);
    if (!parse.line.ChangesNothing())
        TidyUntranslatedTexts(kUntranslatedTextsFile);
    return exitCode;
}
