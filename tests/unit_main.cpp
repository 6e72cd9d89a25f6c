// Entry of the pure tests under Wine: no window libraries to load, the tests on a thread of their
// own (support/run_tests.cpp says why).
#include <gtest/gtest.h>

#include "support/run_tests.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RunAllTestsThenEndWatchers();
}
