// The standard output and error of the command line. A console gets UTF-16 through
// WriteConsoleW; a file or a pipe gets UTF-8 without a BOM, so that Greek arrives intact in
// any fleet tool's log.
#pragma once
#include <windows.h>

#include <string>

#include "common/handles.h"

class StdStream {
public:
    // which: STD_OUTPUT_HANDLE or STD_ERROR_HANDLE. A program of the window subsystem started
    // from a console without redirection writes to its parent's console.
    explicit StdStream(DWORD which);
    // Whether there is a console, file or pipe to write to.
    bool Usable() const;
    void Write(const std::wstring& text);
    void WriteLine(const std::wstring& text) { Write(text + L"\r\n"); }
    // Text already in UTF-8 (a report): as it is to a file or pipe, as Unicode to a console.
    void WriteUtf8(const std::string& bytes);

private:
    HANDLE handle_ = nullptr;
    UniqueFile owned_;  // the parent's console, opened for a program of the window subsystem
    bool console_ = false;
};

// The system's text for an error code (FormatMessage), on one line without its final stop; empty
// when the system has none. The command line gives it to Win32Error (SetSystemErrorText).
std::wstring SystemErrorText(unsigned long code);
