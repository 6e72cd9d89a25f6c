// The standard output and error of the command line. A console gets UTF-16 through
// WriteConsoleW; a file or a pipe gets UTF-8 without a BOM, so that Greek arrives intact in
// any fleet tool's log.
#pragma once
#include <windows.h>

#include <string>

#include "common/handles.h"

// Where a stream's text goes when there is no console, file or pipe to write it to.
enum class Unseen {
    Dropped,  // nowhere: nobody asked to see it
    Boxed,    // vorlasched.exe where someone can see a window: one message box when the stream ends
    BoxedNote,  // the same, as a note rather than an error (the usage asked for)
};

class StdStream {
public:
    // which: STD_OUTPUT_HANDLE or STD_ERROR_HANDLE. A program of the window subsystem started
    // from a console without redirection writes to its parent's console.
    explicit StdStream(DWORD which, Unseen unseen = Unseen::Dropped);
    // Shows in one message box what was written with nowhere to write it (Unseen::Boxed).
    ~StdStream();
    StdStream(const StdStream&) = delete;
    StdStream& operator=(const StdStream&) = delete;
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
    bool boxed_ = false;
    bool note_ = false;  // the box is a note
    std::wstring unseen_;  // what the box shows
};

// Standard error as the command line's renderer writes to it: where vorlasched.exe has no
// console, file or pipe for it (a shortcut, the Run box, "start"), its lines end in one message
// box with the same text, so that no refusal or failure is silent where someone can see it.
class ErrorStream : public StdStream {
public:
    ErrorStream() : StdStream(STD_ERROR_HANDLE, Unseen::Boxed) {}
};

// Whether this is vorlasched.exe, the window-subsystem link.
bool IsWindowProgram();
// Whether anybody can see a window: not in a service's or SYSTEM's window station.
bool InteractiveWindowStation();

// The system's text for an error code (FormatMessage), on one line without its final stop; empty
// when the system has none. The command line gives it to Win32Error (SetSystemErrorText).
std::wstring SystemErrorText(unsigned long code);
