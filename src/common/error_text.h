// The one exception-to-text function, for a message box or a line. It reads through the codec,
// which itself throws the errors of common/errors.h: so it lives above both. Pure.
#pragma once
#include <exception>
#include <string>

// What an exception says: an AppError's message unchanged, another exception's what() read as
// UTF-8 (invalid bytes shown as U+FFFD).
std::wstring ErrorText(const std::exception& error);
