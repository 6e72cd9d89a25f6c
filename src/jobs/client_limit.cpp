#include "jobs/client_limit.h"

namespace {

// The longest sleep of one wait: the largest 32-bit count that is not "for ever".
constexpr uint64_t kLongestSliceMs = 0xFFFFFFFEu;

}  // namespace

uint64_t ClientLimitMs(unsigned timeoutSeconds)
{
    return timeoutSeconds == 0 ? kNoClientLimitMs : uint64_t{timeoutSeconds} * 1000u;
}

uint32_t WaitSliceMs(uint64_t limitMs, uint64_t elapsedMs)
{
    if (elapsedMs >= limitMs)
        return 0;
    const uint64_t left = limitMs - elapsedMs;
    return static_cast<uint32_t>(left < kLongestSliceMs ? left : kLongestSliceMs);
}
