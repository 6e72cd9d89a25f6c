// The machine's printers as the configuration dialog offers them.
#pragma once
#include <windows.h>

#include <winspool.h>

#include <functional>
#include <string>
#include <vector>

// One call of the level-1 printer enumeration as EnumPrintersW makes it: fills buffer (size
// bytes; null with size 0 for the size query), sets needed and returned, and returns FALSE
// with the last error set when it fails.
using EnumPrintersLevel1 = std::function<BOOL(BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned)>;

// The printer names that the enumeration returns, in its order. No printers (a size query that
// needs no bytes): empty. The printers may change between the size query and the enumeration:
// a buffer that has become too small is asked for again with the new size, a few times, before
// the failure counts. Any other failure throws Win32Error "EnumPrinters() error <code>".
std::vector<std::wstring> EnumeratePrinterNames(const EnumPrintersLevel1& enumerate);

// The local printers and printer connections (flags 6, level 1).
std::vector<std::wstring> InstalledPrinterNames();

// The printers as the configuration offers them: the machine's, sorted and unique. An
// enumeration that fails is shown ("EnumPrinters() error <code>") and leaves no printer.
std::vector<std::wstring> OfferedPrinters(const std::function<void(const std::wstring&)>& show);

// Names sorted without regard to case in the user's locale; of names equal in that sense the
// first one stays.
std::vector<std::wstring> SortedUniqueNames(std::vector<std::wstring> names);
