#include "app/console.h"

#include "common/fileio.h"
#include "common/utf.h"

namespace {

bool IsUsableHandle(HANDLE handle)
{
    return handle && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

StdStream::StdStream(DWORD which) : handle_(GetStdHandle(which))
{
    if (!IsUsableHandle(handle_) && (GetConsoleWindow() || AttachConsole(ATTACH_PARENT_PROCESS))) {
        owned_ =
            OpenFile(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
        handle_ = owned_.get();
    }
    DWORD mode = 0;
    console_ = IsUsableHandle(handle_) && GetConsoleMode(handle_, &mode);
}

bool StdStream::Usable() const
{
    return IsUsableHandle(handle_);
}

void StdStream::Write(const std::wstring& text)
{
    if (!IsUsableHandle(handle_) || text.empty())
        return;
    DWORD written = 0;
    if (console_) {
        WriteConsoleW(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = Utf8Of(text);
    WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void StdStream::WriteUtf8(const std::string& bytes)
{
    if (!IsUsableHandle(handle_) || bytes.empty())
        return;
    DWORD written = 0;
    if (!console_) {
        WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        return;
    }
    const std::string_view body = std::string_view(bytes).substr(bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0);
    Write(WideOfUtf8Lossy(body));
}

std::wstring SystemErrorText(unsigned long code)
{
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", n);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'.' || text.back() == L'\r' || text.back() == L'\n'))
        text.pop_back();
    return text;
}
