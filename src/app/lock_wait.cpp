#include "app/lock_wait.h"

#include "app/commands.h"
#include "common/codes.h"

int TakeLock(MachineLock& lock, const CommandLine& line, CommandReply& reply)
{
    if (lock.Acquire(line.Number(L"wait", kDefaultLockWaitSeconds)))
        return ExitDone;
    reply.NoteNothingWritten();
    const std::wstring unavailable = lock.Unavailable();
    if (!unavailable.empty()) {
        reply.Fail(codes::kLockUnavailable, unavailable);
        return ExitFailed;
    }
    reply.Fail(lock.Kind().busyCode, lock.NotHeldText());
    return ExitBusy;
}
