// The real vorlasched.com, started as a fleet tool starts it: standard output and error
// redirected to files, the exit code read back.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

struct ConsoleRun {
    DWORD exitCode = 0;
    DWORD processId = 0;
    std::string out, err;  // UTF-8 as written
};

// The console twin beside win_tests.exe, where the templates are, so that it finds them as its
// own. A copy that is already there (another test may be running it) is not copied again.
std::wstring ConsoleProgram();

// Runs the program (the console twin beside win_tests.exe unless another is named) in folder
// (this one's when empty) with these arguments.
ConsoleRun RunConsole(const std::wstring& arguments, std::wstring program = L"", const std::wstring& folder = L"");
// The same, ended by its process id (TerminateProcess, as a fleet tool's timeout ends it) as soon
// as killNow says so; it is asked every few milliseconds while the program runs.
ConsoleRun RunConsoleKilled(const std::wstring& arguments, const std::wstring& folder,
                            const std::function<bool()>& killNow, std::wstring program = L"");
