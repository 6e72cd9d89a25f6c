#include <gtest/gtest.h>

#include "jobs/client_limit.h"
#include "jobs/submit.h"

TEST(ClientLimit, ClientLimitsBeyond32BitsOfMillisecondsStayRight)
{
    EXPECT_EQ(ClientLimitMs(0), kNoClientLimitMs);
    EXPECT_EQ(ClientLimitMs(4294968), 4294968000u);  // wrapped to 704 ms in 32 bits
    EXPECT_EQ(ClientLimitMs(kMaxTimeoutSeconds), 604800000u);
    // A wait longer than a 32-bit count sleeps in slices, none of them "for ever".
    EXPECT_EQ(WaitSliceMs(5000000000u, 0), 0xFFFFFFFEu);
    EXPECT_EQ(WaitSliceMs(5000000000u, 4999999000u), 1000u);
    EXPECT_EQ(WaitSliceMs(1000, 1500), 0u);
}
