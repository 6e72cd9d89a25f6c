// Drives a running vorlasched.exe for scripts/screenshots.sh: posts one menu command to its main
// window, waits for the window that should then be on screen, and prints that window's place on
// the screen as ImageMagick's crop geometry (WxH+X+Y). Built by the script itself.
//   screenshot_driver.exe show CLASS [COMMAND_ID]  post the command (if any), wait for CLASS, print it
//   screenshot_driver.exe close CLASS               ask the window of CLASS to close
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cstdlib>

static HWND WaitForVisible(const wchar_t* className)
{
    for (int i = 0; i < 200; ++i) {
        HWND hwnd = FindWindowW(className, nullptr);
        if (hwnd && IsWindowVisible(hwnd))
            return hwnd;
        Sleep(50);
    }
    return nullptr;
}

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    HWND target = WaitForVisible(argv[2]);
    if (wcscmp(argv[1], L"close") == 0) {
        if (target)
            PostMessageW(target, WM_CLOSE, 0, 0);
        return target ? 0 : 1;
    }
    if (argc > 3) {
        HWND main = WaitForVisible(L"TMainForm");
        if (!main)
            return 1;
        PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(_wtoi(argv[3])), 0);
        Sleep(500);
        target = WaitForVisible(argv[2]);
    }
    if (!target)
        return 1;
    Sleep(700);  // let it paint
    RECT r;
    GetWindowRect(target, &r);
    std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    return 0;
}
