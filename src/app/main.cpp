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

// Never a window or a message box: whatever goes wrong ends as a line and an exit code.
static int RunCommand(const CommandLineParse& parse, bool& wroteNothing)
{
    StdStream out(STD_OUTPUT_HANDLE);
    StdStream err(STD_ERROR_HANDLE);
    SetSystemErrorText(SystemErrorText);  // no window here: a number alone helps nobody
    try {
        return RunCommandLine(parse, out, err, &wroteNothing);
    } catch (const std::exception& e) {
        err.WriteLine(ErrorText(e));
    }
    return ExitFailed;
}

// Whether anybody can see a window: not in a service's or SYSTEM's window station.
static bool InteractiveWindowStation()
{
    USEROBJECTFLAGS flags{};
    HWINSTA station = GetProcessWindowStation();
    if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
        return true;  // nothing says otherwise
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

// Whether this is vorlasched.exe, the window-subsystem link.
static bool IsWindowProgram()
{
    auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

// The usage, or a problem and the usage, where the technician sees it: a message box from
// vorlasched.exe that has nowhere to write (started from a shortcut, or by a double click),
// standard error otherwise.
static int ShowUsage(const std::wstring& problem, int exitCode)
{
    StdStream err(STD_ERROR_HANDLE);
    if (!IsWindowProgram() || err.Usable() || !InteractiveWindowStation()) {
        if (problem.empty()) {
            StdStream out(STD_OUTPUT_HANDLE);
            for (const std::wstring& usage : UsageLines(Commands()))
                (out.Usable() ? out : err).WriteLine(usage);
            return exitCode;
        }
        return RefuseCommandLine(problem, err);
    }
    std::wstring text = problem.empty() ? std::wstring() : L"vorlasched: " + problem + L"\r\n\r\n";
    for (const std::wstring& usage : UsageLines(Commands()))
        text += usage + L"\r\n";
    MessageBoxW(nullptr, text.c_str(), L"vorlasched", MB_OK | (problem.empty() ? MB_ICONINFORMATION : MB_ICONERROR));
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
        StdStream err(STD_ERROR_HANDLE);
        return RefuseInJson(parse.problem, out, err);
    }
    if (parse.mistypedSwitch) {  // meant as a command: whoever started it waits for no window
        StdStream err(STD_ERROR_HANDLE);
        return RefuseCommandLine(parse.problem, err);
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
    } else if (parse.line.command == CliCommand::Help && parse.line.Has(L"json")) {
        StdStream out(STD_OUTPUT_HANDLE);
        StdStream err(STD_ERROR_HANDLE);
        exitCode = UsageInJson(out, err);
    } else if (parse.line.command == CliCommand::Help) {
        exitCode = ShowUsage(L"", ExitDone);
    } else {
        exitCode = RunCommand(parse, wroteNothing);
    }
    if (!parse.line.readsOnly && !wroteNothing)
        TidyUntranslatedTexts(kUntranslatedTextsFile);
    return exitCode;
}
