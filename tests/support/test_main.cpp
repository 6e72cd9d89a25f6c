// Entry of the Win32 test program: the common controls the forms need, then the tests.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "support/run_tests.h"

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    return RunAllTestsThenEndWatchers();
}
