#include "app/console.h"

#include "common/fileio.h"
#include "common/utf.h"

namespace {

bool IsUsableHandle(HANDLE handle)
{
    return handle && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

StdStream::StdStream(DWORD which, Unseen unseen) : handle_(GetStdHandle(which))
{
    if (!IsUsableHandle(handle_) && (GetConsoleWindow() || AttachConsole(ATTACH_PARENT_PROCESS))) {
        owned_ =
            OpenFile(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
        handle_ = owned_.get();
    }
    DWORD mode = 0;
    console_ = IsUsableHandle(handle_) && GetConsoleMode(handle_, &mode);
    boxed_ = unseen != Unseen::Dropped && !IsUsableHandle(handle_) && IsWindowProgram() && InteractiveWindowStation();
    note_ = unseen == Unseen::BoxedNote;
}

StdStream::~StdStream()
{
    while (!unseen_.empty() && (unseen_.back() == L'\r' || unseen_.back() == L'\n'))
        unseen_.pop_back();
    if (!unseen_.empty())
        MessageBoxW(nullptr, unseen_.c_str(), L"vorlasched", MB_OK | (note_ ? MB_ICONINFORMATION : MB_ICONERROR));
}

bool StdStream::Usable() const
{
    return IsUsableHandle(handle_);
}

void StdStream::Write(const std::wstring& text)
{
    if (boxed_)
        unseen_ += text;
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
    if (boxed_)
        unseen_ += WideOfUtf8Lossy(bytes);
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

bool IsWindowProgram()
{
    auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

bool InteractiveWindowStation()
{
    USEROBJECTFLAGS flags{};
    HWINSTA station = GetProcessWindowStation();
    if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
        return true;  // nothing says otherwise
    return (flags.dwFlags & WSF_VISIBLE) != 0;
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
