#include "common/system_dll.h"

#include <string>

void RestrictDllSearchToSystem32()
{
    using SetDefaultDllDirectoriesFn = BOOL WINAPI(DWORD);
    auto* restrict = reinterpret_cast<SetDefaultDllDirectoriesFn*>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!restrict || !restrict(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryW(L"");
}

FARPROC SystemFunction(const wchar_t* dll, const char* name)
{
    HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {  // a Windows without the flag: the full path
        wchar_t system[MAX_PATH];
        const UINT length = GetSystemDirectoryW(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return nullptr;
        module = LoadLibraryExW((std::wstring(system) + L"\\" + dll).c_str(), nullptr, 0);
    }
    return module ? GetProcAddress(module, name) : nullptr;
}
