// What a job pass may ask of the window that runs it. TMainForm implements it for real;
// tests implement it by recording.
#pragma once
#include <cstddef>
#include <string>

#include "common/show_message.h"

class CommandPort {
public:
    virtual ~CommandPort() = default;
    // Sets the status bar's text and repaints the bar at once.
    virtual void ShowStatus(const std::wstring& text) = 0;
    // The modal message box (text, one OK button, the program's title); returns when closed.
    virtual void ShowMessage(const std::wstring& text) = 0;
    // The rows changed (count or texts): show them now.
    virtual void RowsChanged() = 0;
    // One row changed: bring it fully into view and repaint it at once.
    virtual void RowUpdated(size_t index) = 0;
};
