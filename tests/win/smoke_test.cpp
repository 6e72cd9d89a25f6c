#include <gtest/gtest.h>
#include "support/win_test_support.h"
TEST(Smoke, TempFolder) { TempFolder t; WriteBytes(t / L"a.txt", "x"); EXPECT_EQ(ReadBytes(t / L"a.txt"), "x"); }
