#include "app/lock_wait.h"

bool TakeLock(MachineLock& lock, const CommandLine& line, CommandResult& result)
{
    if (lock.Acquire(line.switches.wait.value_or(kDefaultLockWaitSeconds)))
        return true;
    result.wroteNothing = true;
    const std::wstring unavailable = lock.Unavailable();
    result = unavailable.empty() ? Failed(std::move(result), lock.Kind().busyCode, lock.NotHeldText(), ExitBusy)
                                 : Failed(std::move(result), codes::kLockUnavailable, unavailable);
    return false;
}
