#include "config/printers.h"

#include <algorithm>

#include "common/errors.h"
#include "common/locale_text.h"
#include "common/system_dll.h"

namespace {
// The printers would have to change this often within one enumeration for it to fail.
constexpr int kEnumerationAttempts = 5;
}  // namespace

std::vector<std::wstring> EnumeratePrinterNames(const EnumPrintersLevel1& enumerate)
{
    DWORD needed = 0, returned = 0;
    enumerate(nullptr, 0, &needed, &returned);
    for (int attempt = 1;; ++attempt) {
        if (needed == 0)
            return {};
        std::vector<BYTE> buffer(needed);
        if (enumerate(buffer.data(), needed, &needed, &returned)) {
            const auto* entries = reinterpret_cast<const PRINTER_INFO_1W*>(buffer.data());
            std::vector<std::wstring> names;
            for (DWORD i = 0; i < returned; ++i)
                names.emplace_back(entries[i].pName ? entries[i].pName : L"");
            return names;
        }
        DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || attempt == kEnumerationAttempts)
            throw Win32Error(L"EnumPrinters() error ", error);
    }
}

std::vector<std::wstring> InstalledPrinterNames()
{
    // From System32's winspool.drv, never one beside the program (common/system_dll.h).
    auto* enumPrinters = SystemFunctionOf<decltype(EnumPrintersW)>(L"winspool.drv", "EnumPrintersW");
    if (!enumPrinters)
        throw Win32Error(L"EnumPrinters() error ", GetLastError());
    return EnumeratePrinterNames([enumPrinters](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) {
        return enumPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 1, buffer, size, needed,
                            returned);
    });
}

std::vector<std::wstring> SortedUniqueNames(std::vector<std::wstring> names)
{
    auto less = [](const std::wstring& a, const std::wstring& b) { return CompareTextLocale(a, b, true) < 0; };
    auto same = [](const std::wstring& a, const std::wstring& b) { return CompareTextLocale(a, b, true) == 0; };
    std::stable_sort(names.begin(), names.end(), less);
    names.erase(std::unique(names.begin(), names.end(), same), names.end());
    return names;
}

std::vector<std::wstring> OfferedPrinters(const std::function<void(const std::wstring&)>& show)
{
    try {
        return SortedUniqueNames(InstalledPrinterNames());
    } catch (const AppError& e) {
        show(e.Message());
        return {};
    }
}
