// Waiting for a child process on the GUI thread without freezing the windows and without
// letting the technician start another command meanwhile.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

#include "jobs/client_limit.h"

// Takes the keyboard and mouse input queued for this thread and drops it; returns true when an
// Esc key press was among it: the technician asks to stop. Other queued messages (posted
// commands, drops, close requests) stay queued for after the command.
bool TakeStopRequest();

enum class WaitEnd { Ended, Stopped, TimedOut };

// Waits until the process ends. Meanwhile the windows of this thread repaint and messages
// sent by other threads are answered; keyboard and mouse input is dropped, so no menu,
// button or key can start another command. Esc stops the wait (WaitEnd::Stopped; the
// process is left running). When the process has not ended after a moment, onSlow is
// called once (to tell the technician how to stop). A process still running after limitMs
// gives WaitEnd::TimedOut (it is left running). Throws Win32Error when the wait fails.
WaitEnd WaitForClient(HANDLE process, const std::function<void()>& onSlow, uint64_t limitMs = kNoClientLimitMs);
