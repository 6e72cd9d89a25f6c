#include "common/errors.h"

#include "common/text.h"

AppError::AppError(std::wstring message)
    : std::runtime_error("vorlasched error"), message_(std::move(message))
{
}

namespace {

SystemErrorTextFn systemErrorText = nullptr;

std::wstring ErrorNumber(unsigned long code)
{
    std::wstring text = DecimalText(static_cast<long>(code));
    if (systemErrorText) {
        const std::wstring said = systemErrorText(code);
        if (!said.empty())
            text += L": " + said;
    }
    return text;
}

}  // namespace

void SetSystemErrorText(SystemErrorTextFn fn)
{
    systemErrorText = fn;
}

Win32Error::Win32Error(const std::wstring& phrase, unsigned long code)
    : AppError(phrase + ErrorNumber(code)), code_(code)
{
}

AppError SetDataFailure(const std::wstring& valueName)
{
    return AppError(L"Failed to set data for '" + valueName + L"'");
}

AppError OpenKeyFailure(const std::wstring& keyPath)
{
    return AppError(L"Failed to open " + keyPath);
}

AppError DeleteKeyFailure(const std::wstring& keyPath)
{
    return AppError(L"Failed to delete key '" + keyPath.substr(keyPath.find_last_of(L'\\') + 1) + L"'");
}

namespace {

std::wstring CreateFileText(const std::wstring& path)
{
    return L"Cannot create file " + path;
}

std::wstring OpenFileText(const std::wstring& path)
{
    return L"Cannot open file " + path;
}

}  // namespace

AppError CreateFileFailure(const std::wstring& path)
{
    return AppError(CreateFileText(path));
}

AppError OpenFileFailure(const std::wstring& path)
{
    return AppError(OpenFileText(path));
}

Win32Error CreateFileError(const std::wstring& path, unsigned long code)
{
    return Win32Error(CreateFileText(path) + L", error ", code);
}

Win32Error OpenFileError(const std::wstring& path, unsigned long code)
{
    return Win32Error(OpenFileText(path) + L", error ", code);
}
