// GoogleTest on Windows keeps per-thread state, and for each thread that uses it starts a watcher
// thread that waits for that thread's end. Run on the main thread, the tests would leave that
// watcher waiting inside the Wine server until the process ends, and under Wine a process that
// ends with a thread blocked there crashes now and then (exit code 139 after "[  PASSED  ]"),
// mostly when another Wine process ends at the same moment. So the tests run on a thread of their
// own: when it ends, GoogleTest's watcher wakes and ends too, and the program waits for it.
#include "support/run_tests.h"

#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// Where a thread started, as the system recorded it; null when that cannot be read.
const void* StartAddressOf(HANDLE thread)
{
    using Query = LONG(NTAPI*)(HANDLE, THREADINFOCLASS, PVOID, ULONG, PULONG);
    static const auto query =
        reinterpret_cast<Query>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread"));
    const void* start = nullptr;
    const auto startAddressClass = static_cast<THREADINFOCLASS>(9);  // ThreadQuerySetWin32StartAddress
    if (!query || query(thread, startAddressClass, &start, sizeof start, nullptr) != 0)
        return nullptr;
    return start;
}

// The other threads of this process that started in this program's own code (GoogleTest's
// watchers; the tests' own threads are joined by then, and the system's start elsewhere).
std::vector<HANDLE> OwnThreadsStillThere()
{
    const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const BYTE* imageEnd = image + nt->OptionalHeader.SizeOfImage;
    std::vector<HANDLE> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return threads;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != GetCurrentProcessId() || entry.th32ThreadID == GetCurrentThreadId())
            continue;
        HANDLE thread = OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread)
            continue;
        const auto* start = static_cast<const BYTE*>(StartAddressOf(thread));
        if (start >= image && start < imageEnd)
            threads.push_back(thread);
        else
            CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return threads;
}

}  // namespace

int RunAllTestsThenEndWatchers()
{
    int result = 1;
    std::thread tests([&result] { result = RUN_ALL_TESTS(); });
    tests.join();
    for (HANDLE watcher : OwnThreadsStillThere()) {
        WaitForSingleObject(watcher, 10000);
        CloseHandle(watcher);
    }
    return result;
}
