// The process entry of both programs: vorlasched.exe (window subsystem) and its console twin
// vorlasched.com link this same object. Without a command switch it creates the four forms,
// shows the paths it was given as a drop would, and runs the message loop until the main
// window closes; with one it runs that command without any window. Then it tidies the
// untranslated-texts file, unless the command only reads (a preview, a check, an analysis) or
// wrote nothing (it found nothing to change, refused before its first write, or found another
// run holding the configuration).
#include <windows.h>

#include <commctrl.h>

#include "about/TAboutForm.h"
#include "app/TMainForm.h"
#include "app/command_line.h"
#include "app/command_reply.h"
#include "app/commands.h"
#include "tidy/untranslated.h"
#include "common/error_text.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/system_dll.h"
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
    if (!paths.empty())
        MainForm.OpenPaths(FullPathNames(paths));
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
    } catch (const std::exception& e) {
        ShowMessage(nullptr, ErrorText(e));
    } catch (...) {
        ShowMessage(nullptr, L"");
    }
}

// Never a window: whatever goes wrong ends as a line and an exit code (in one message box where
// vorlasched.exe has nowhere to write its lines: ErrorStream).
static int RunCommand(const CommandLineParse& parse, bool& wroteNothing)
{
    StdStream out(STD_OUTPUT_HANDLE);
    ErrorStream err;
    SetSystemErrorText(SystemErrorText);  // no window here: a number alone helps nobody
    try {
        return RunCommandLine(parse, out, err, &wroteNothing);
    } catch (const std::exception& e) {
        err.WriteLine(ErrorText(e));
    }
    return ExitFailed;
}

// The usage, or a problem and the usage, where the technician sees it: standard output (the
// usage asked for) or standard error, or a message box from vorlasched.exe that has nowhere to
// write (started from a shortcut, or by a double click).
static int ShowUsage(const std::wstring& problem, int exitCode)
{
    ErrorStream err;
    if (!problem.empty())
        return RefuseCommandLine(problem, err);
    StdStream out(STD_OUTPUT_HANDLE, Unseen::BoxedNote);
    AnswerUsage(false, out.Usable() || !err.Usable() ? out : err, err);
    return exitCode;
}

static bool NamesExistingFileOrFolder(const std::wstring& path)
{
    return IsExistingFile(path) || IsExistingFolder(path);
}

int wmain(int argc, wchar_t** argv)
{
    RestrictDllSearchToSystem32();  // before anything can load a DLL
    const std::vector<std::wstring> args(argv + 1, argv + argc);
    const CommandLineParse parse = ParseCommandLine(args, Commands(), NamesExistingFileOrFolder);
    if (!parse.ok && AsksForJson(args)) {
        StdStream out(STD_OUTPUT_HANDLE);
        ErrorStream err;
        return RefuseInJson(parse, out, err);
    }
    if (!parse.ok)
        return ShowUsage(parse.problem, ExitBadCommandLine);
    int exitCode = ExitDone;
    bool wroteNothing = false;
    if (parse.line.command == CliCommand::Window) {
        // Nobody could close a window in a service's session: say so, and end.
        if (!InteractiveWindowStation())
            return ShowUsage(L"no window can be shown here (a service or SYSTEM session); give a command", ExitBadCommandLine);
        RunWindow(parse.line.paths);
    } else if (parse.line.command == CliCommand::Help && parse.line.switches.json) {
        StdStream out(STD_OUTPUT_HANDLE);
        ErrorStream err;
        exitCode = AnswerUsage(true, out, err);
    } else if (parse.line.command == CliCommand::Help) {
        exitCode = ShowUsage(L"", ExitDone);
    } else {
        exitCode = RunCommand(parse, wroteNothing);
    }
    if (!parse.line.readsOnly && !wroteNothing)
        TidyUntranslatedTexts(kUntranslatedTextsFile);
    return exitCode;
}
