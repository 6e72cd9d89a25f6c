// How a command of the command line takes a machine-wide lock (common/machine_lock.h).
#pragma once
#include "app/command_line.h"
#include "app/command_reply.h"
#include "common/machine_lock.h"

// Holds the lock for the command, waiting /wait:SECONDS (60 by default): 0 when held, else the
// exit code. Busy is 5, with the lock's busy code, worth a retry; a lock that cannot be made at
// all is 1 (lock-unavailable), which no retry mends. Either way the command wrote nothing.
int TakeLock(MachineLock& lock, const CommandLine& line, CommandReply& reply);
