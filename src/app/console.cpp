#include "app/console.h"

namespace {

bool Usable(HANDLE handle)
{
    return handle && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

StdStream::StdStream(DWORD which) : handle_(GetStdHandle(which))
{
    if (!Usable(handle_) && (GetConsoleWindow() || AttachConsole(ATTACH_PARENT_PROCESS))) {
        owned_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
        handle_ = owned_.get();
    }
    DWORD mode = 0;
    console_ = Usable(handle_) && GetConsoleMode(handle_, &mode);
}

void StdStream::Write(const std::wstring& text)
{
    if (!Usable(handle_) || text.empty())
        return;
    DWORD written = 0;
    if (console_) {
        WriteConsoleW(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void StdStream::WriteUtf8(const std::string& bytes)
{
    if (!Usable(handle_) || bytes.empty())
        return;
    DWORD written = 0;
    if (!console_) {
        WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        return;
    }
    const std::string body = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
    int size = MultiByteToWideChar(CP_UTF8, 0, body.data(), static_cast<int>(body.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, body.data(), static_cast<int>(body.size()), text.data(), size);
    Write(text);
}
