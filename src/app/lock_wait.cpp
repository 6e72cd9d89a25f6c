#include "app/lock_wait.h"

#include "app/commands.h"
#include "common/text.h"

int TakeLock(MachineLock& lock, const CommandLine& line, CommandReply& reply)
{
    int seconds = static_cast<int>(kDefaultLockWaitSeconds);
    if (line.Has(L"wait"))
        ParseInt32(line.Value(L"wait"), seconds);
    if (lock.Acquire(static_cast<unsigned>(seconds)))
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
