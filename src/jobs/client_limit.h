// How long the submit client may run for one job, in milliseconds of 64 bits, so that no
// timeout in seconds wraps around. Pure.
#pragma once
#include <cstdint>

// No limit: the wait lasts as long as the client runs.
constexpr uint64_t kNoClientLimitMs = UINT64_MAX;

// The limit of a timeout in seconds; 0 seconds is no limit.
uint64_t ClientLimitMs(unsigned timeoutSeconds);

// How long one wait may sleep, elapsedMs into a wait of limitMs: what is left of the limit, but
// never more than a 32-bit wait can ask for without meaning "for ever" (0xFFFFFFFF); a longer
// wait takes several sleeps.
uint32_t WaitSliceMs(uint64_t limitMs, uint64_t elapsedMs);
