// Runs every selected test and returns RUN_ALL_TESTS()'s result, with no helper thread of
// GoogleTest left running when the program ends (see run_tests.cpp).
#pragma once

int RunAllTestsThenEndWatchers();
