// A 100-job /submit through the real vorlasched.com, without a rival for the submission's lock
// and with the lock held by another process that lets go as soon as the run has started: waiting
// for a lock that is free, or freed at once, must not slow a submission.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_common.h"
#include "common/handles.h"
#include "support/win_test_support.h"

int SubmitWithHeldLock(size_t count, const std::wstring& clientFolder, const std::wstring& program)
{
    FindClientIn(clientFolder);
    TempFolder work;
    for (size_t i = 0; i < count; ++i) {
        const std::wstring job = work / (L"spool\\job" + std::to_wstring(i));
        WriteBytes(job + L"_x.prn", "%!PS\r\n");
        WriteBytes(job + L"_i.pri", "ToDoStr=FWDVORLA\"AB:1:AB_POS1\r\n");
    }
    const std::wstring submit = L"/submit \"" + work / L"spool" + L"\"", out = work / L"out.txt";
    UniqueHandle lock(CreateMutexW(nullptr, FALSE, L"Global\\vorlasched-submission"));
    RunCommand(program, submit, out);  // warms the file cache and the client's image
    std::vector<double> free, held;
    for (int run = 0; run < 3; ++run) {
        free.push_back(RunCommand(program, submit, out));
        WaitForSingleObject(lock.get(), INFINITE);
        held.push_back(RunCommand(program, submit, out, [&lock] { ReleaseMutex(lock.get()); }));
    }
    const double a = Median(free), b = Median(held);
    printf("submit-lock: /submit of %zu jobs through vorlasched.com, medians of three alternating runs\n", count);
    printf("  (a) no other run holds the lock        : %8.3f s (%.1f ms per job)\n", a, a * 1000 / count);
    printf("  (b) the lock held, released at its start: %8.3f s (%.1f ms per job)\n", b, b * 1000 / count);
    printf("  b/a = %.3f   (target <= 1.05)\n", b / a);
    return 0;
}
