// The DLL search of the program: System32 only. Windows looks for a DLL that is not a KnownDLL
// in the program's own folder first, so a version.dll or winspool.drv planted beside the program
// (in a Downloads folder) would run with the technician's rights: the program imports nothing
// from such DLLs at load time, and takes their functions from System32 when first needed.
#pragma once
#include <windows.h>

// Restricts the process's DLL search to System32 (SetDefaultDllDirectories; where that call is
// missing, SetDllDirectoryW(L"") takes the current folder off the search). Called first thing.
void RestrictDllSearchToSystem32();

// The function `name` of the system DLL `dll`, the DLL loaded from System32 and kept loaded;
// null when either is missing (GetLastError says why).
FARPROC SystemFunction(const wchar_t* dll, const char* name);

template <typename Function>
Function* SystemFunctionOf(const wchar_t* dll, const char* name)
{
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(SystemFunction(dll, name)));
}
