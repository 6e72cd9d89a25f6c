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

// The writers' failures, worded once for the writers and for the preview that foretells them.
AppError SetDataFailure(const std::wstring& valueName);   // Failed to set data for '<name>'
AppError OpenKeyFailure(const std::wstring& keyPath);     // Failed to open <path>
AppError DeleteKeyFailure(const std::wstring& keyPath);   // Failed to delete key '<last name>'
AppError CreateFileFailure(const std::wstring& path);     // Cannot create file <path>
AppError OpenFileFailure(const std::wstring& path);       // Cannot open file <path>

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

// The file layer's failures with the system's error: "Cannot create file <path>, error <n>: ..."
// and "Cannot open file <path>, error <n>: ...".
Win32Error CreateFileError(const std::wstring& path, unsigned long code);
Win32Error OpenFileError(const std::wstring& path, unsigned long code);

// Where Win32Error finds the system's text for a code; none (the window's texts, as they are)
// until the command line sets one, for its console messages.
using SystemErrorTextFn = std::wstring (*)(unsigned long code);
void SetSystemErrorText(SystemErrorTextFn fn);
