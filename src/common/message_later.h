// Message boxes that must not open inside the message being handled.
#pragma once
#include <windows.h>

#include <string>

// Shows the message box of ShowMessage once the messages queued before it have been handled:
// from the queue, by whichever loop takes it next (the main loop, a dialog's, a message box's),
// never inside a loop that only paints. The owner is used if it still exists then.
void ShowMessageLater(HWND owner, const std::wstring& text);
