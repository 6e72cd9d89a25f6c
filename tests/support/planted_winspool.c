/* A winspool.drv planted beside a copy of the program, as an attacker would plant one: when
   anything loads it, it leaves the file "planted-dll-loaded" beside itself. It lists no printer. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 32];
        DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
        while (length > 0 && path[length - 1] != L'\\')
            --length;
        lstrcpyW(path + length, L"planted-dll-loaded");
        HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (marker != INVALID_HANDLE_VALUE)
            CloseHandle(marker);
    }
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, LPBYTE buffer, DWORD size,
                                                LPDWORD needed, LPDWORD returned)
{
    (void)flags, (void)name, (void)level, (void)buffer, (void)size;
    *needed = 0;
    *returned = 0;
    return TRUE;
}
