#include "jobs/client_wait.h"

#include <algorithm>

#include "common/errors.h"

namespace {

// How long a client may run before the status bar says how to stop waiting for it.
const DWORD kSlowClientMs = 2000;

// Only the user's own input (PM_QS_INPUT): a peek also clears the "new message" flags of
// the kinds it looks at, and a posted message whose flag was cleared would not end the wait.
void DropUserInput(UINT first, UINT last)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, first, last, PM_REMOVE | PM_QS_INPUT)) {
    }
}

// The kinds of message queued for this thread now. Asked before any peek: a peek that finds
// nothing is not free (under Wine it gives up the processor), and the wait asks once a job.
UINT QueuedKinds()
{
    return HIWORD(GetQueueStatus(QS_ALLINPUT));
}

// Answers messages sent by other threads and paints every window of this thread that needs
// it. A window that never validates would post WM_PAINT again at once, so one round paints
// each window a bounded number of times. A paint that fails ends there; the window layer
// shows its error from the queue, after the command.
void DispatchPaints()
{
    if (!(QueuedKinds() & (QS_PAINT | QS_SENDMESSAGE)))
        return;
    MSG msg;
    for (int i = 0; i < 256 && PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT,
                                            PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE); ++i)
        DispatchMessageW(&msg);
}

bool HasEnded(HANDLE process)
{
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

}  // namespace

bool TakeStopRequest()
{
    // Keys come typed (QS_KEY) or posted (QS_POSTMESSAGE).
    if (!(QueuedKinds() & (QS_INPUT | QS_POSTMESSAGE)))
        return false;
    DropUserInput(WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK);
    DropUserInput(WM_MOUSEFIRST, WM_MOUSELAST);
    // Keys last, typed or posted: no key that arrives from here on can go unnoticed.
    bool stop = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
            stop = true;
    }
    return stop;
}

WaitEnd WaitForClient(HANDLE process, const std::function<void()>& onSlow, uint64_t limitMs)
{
    const ULONGLONG start = GetTickCount64();
    bool slowTold = false;
    for (;;) {
        if (TakeStopRequest() && !HasEnded(process))
            return WaitEnd::Stopped;
        DispatchPaints();
        const ULONGLONG elapsed = GetTickCount64() - start;
        DWORD timeout = INFINITE;
        if (limitMs != kNoClientLimitMs) {
            if (elapsed >= limitMs && !HasEnded(process))
                return WaitEnd::TimedOut;
            timeout = WaitSliceMs(limitMs, elapsed);
        }
        if (!slowTold) {
            if (elapsed >= kSlowClientMs) {
                onSlow();
                slowTold = true;
            } else {
                timeout = std::min(timeout, static_cast<DWORD>(kSlowClientMs - elapsed));
            }
        }
        // Wakes for the process's end, for new messages of any kind, for the hint's moment and
        // at the end of each slice of a long limit; messages that are left queued (posted
        // commands) do not wake it again.
        DWORD r = MsgWaitForMultipleObjectsEx(1, &process, timeout, QS_ALLINPUT, 0);
        if (r == WAIT_OBJECT_0)
            return WaitEnd::Ended;
        if (r == WAIT_FAILED)
            throw Win32Error(L"MsgWaitForMultipleObjects() error ", GetLastError());
    }
}
