#include "common/errors.h"

#include "common/text.h"
#include "common/utf.h"

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

std::wstring ErrorText(const std::exception& error)
{
    if (const auto* app = dynamic_cast<const AppError*>(&error))
        return app->Message();
    return WideOfUtf8Lossy(error.what());
}
