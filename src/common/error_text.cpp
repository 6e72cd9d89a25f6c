#include "common/error_text.h"

#include "common/errors.h"
#include "common/utf.h"

std::wstring ErrorText(const std::exception& error)
{
    if (const auto* app = dynamic_cast<const AppError*>(&error))
        return app->Message();
    return WideOfUtf8Lossy(error.what());
}
