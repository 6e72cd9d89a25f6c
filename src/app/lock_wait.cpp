#include "app/lock_wait.h"

#include "app/commands.h"

int TakeLock(MachineLock& lock, const CommandLine& line, CommandReply& reply)
{
    if (lock.Acquire(line.Number(L"wait", kDefaultLockWaitSeconds)))
        return ExitDone;
    reply.NoteNothingWritten();
    const std::wstring unavailable = lock.Unavailable();
    if (!unavailable.empty()) {
        reply.Fail("lock-unavailable", unavailable);
        return ExitFailed;
    }
    reply.Fail(lock.Kind().busyCode, lock.NotHeldText());
    return ExitBusy;
}
