// Errors that end a command. The handler's one guard shows Message() unchanged.
#pragma once
#include <stdexcept>
#include <string>

class AppError : public std::runtime_error {
public:
    explicit AppError(std::wstring message);
    const std::wstring& Message() const { return message_; }

private:
    std::wstring message_;
};

// An operating-system call failed: the fixed phrase (ending in a blank) and the error code
// read right after the call, in signed decimal ("CreateProcess() error 2"), and after it the
// system's text for the code when SetSystemErrorText has given a source of such texts
// ("error 32: The process cannot access the file ...").
class Win32Error : public AppError {
public:
    Win32Error(const std::wstring& phrase, unsigned long code);
    unsigned long Code() const { return code_; }

private:
    unsigned long code_;
};

// Where Win32Error finds the system's text for a code; none (the window's texts, as they are)
// until the command line sets one, for its console messages.
using SystemErrorTextFn = std::wstring (*)(unsigned long code);
void SetSystemErrorText(SystemErrorTextFn fn);

// What an exception says, for a message box or a line: an AppError's message unchanged,
// another exception's what() read as UTF-8 (invalid bytes shown as U+FFFD).
std::wstring ErrorText(const std::exception& error);
