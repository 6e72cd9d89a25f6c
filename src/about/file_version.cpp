#include "about/file_version.h"

#include <windows.h>

#include "common/system_dll.h"

#include <new>
#include <vector>

std::optional<std::wstring> FixedFileVersion(const std::wstring& path)
{
    // From System32's version.dll, never one beside the program (common/system_dll.h).
    auto* getFileVersionInfoSize = SystemFunctionOf<decltype(GetFileVersionInfoSizeW)>(L"version.dll", "GetFileVersionInfoSizeW");
    auto* getFileVersionInfo = SystemFunctionOf<decltype(GetFileVersionInfoW)>(L"version.dll", "GetFileVersionInfoW");
    auto* verQueryValue = SystemFunctionOf<decltype(VerQueryValueW)>(L"version.dll", "VerQueryValueW");
    if (!getFileVersionInfoSize || !getFileVersionInfo || !verQueryValue)
        return std::nullopt;
    DWORD ignored = 0;
    DWORD size = getFileVersionInfoSize(path.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    try {
        std::vector<BYTE> block(size);
        if (!getFileVersionInfo(path.c_str(), 0, size, block.data()))
            return std::nullopt;
        void* value = nullptr;
        UINT length = 0;
        if (!verQueryValue(block.data(), L"\\", &value, &length) || !value)
            return std::nullopt;
        // A resource whose fixed part is missing or cut short has no version to show.
        if (length < sizeof(VS_FIXEDFILEINFO))
            return std::nullopt;
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        return std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
               std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
               std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
               std::to_wstring(LOWORD(fixed->dwFileVersionLS));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}
