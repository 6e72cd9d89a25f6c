// Holds the Wine prefix's desktop open while the tests run. The process that first asks for the
// desktop starts Wine's desktop process with its own standard error, and that process stays as
// long as any program of the prefix runs: started by a test, it would keep CTest's pipe of that
// test open long after the test ended, until the test timed out. Started first, with nothing
// for standard handles, the desktop holds nothing of any test's.
//   desktop_keeper.exe READY-FILE   makes READY-FILE once the desktop stands
#include <windows.h>

#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    GetDesktopWindow();  // returns once the desktop process has made the desktop
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args && count > 1)
        CloseHandle(CreateFileW(args[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
