// The codec's ANSI part on Windows: the system converts with the user's ANSI code page.
#include "common/utf.h"

#include <windows.h>

void AnsiToWideInto(std::string_view bytes, std::wstring& out)
{
    out.resize(bytes.size());  // a byte gives at most one UTF-16 unit
    const int n = bytes.empty() ? 0
                                : MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                      out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<size_t>(n));
}

std::wstring AnsiToWide(std::string_view bytes)
{
    if (bytes.empty())
        return {};
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

std::string WideToAnsi(std::wstring_view text)
{
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool IsKnownCodePage(unsigned codePage)
{
    return IsValidCodePage(codePage) != FALSE;
}

std::optional<std::wstring> CodePageToWide(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty())
        return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n == 0)
        return std::nullopt;
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data(), n);
    return out;
}
