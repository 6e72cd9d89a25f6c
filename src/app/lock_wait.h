// How a command of the command line takes a machine-wide lock (common/machine_lock.h).
#pragma once
#include "app/command_line.h"
#include "app/command_result.h"
#include "common/machine_lock.h"

// Holds the lock for the command, waiting /wait:SECONDS (60 by default): true when held.
// Otherwise the result ends: busy (5, with the lock's busy code), worth a retry, or a lock that
// cannot be made at all (1, lock-unavailable), which no retry mends. Either way the command wrote
// nothing.
bool TakeLock(MachineLock& lock, const CommandLine& line, CommandResult& result);
