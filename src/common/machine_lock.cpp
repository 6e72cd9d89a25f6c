#include "common/machine_lock.h"

#include <sddl.h>

#include "common/errors.h"

const wchar_t kConfigurationLockName[] = L"Global\\vorlasched-configuration";
const wchar_t kConfigurationBusy[] = L"Another run holds the configuration; try again later.";
const wchar_t kSubmissionBusy[] = L"Another run is submitting jobs on this machine; try again later.";
const MachineLockKind kConfigurationLockKind{kConfigurationLockName, L"configuration", kConfigurationBusy,
                                             codes::kConfigurationBusy};
const MachineLockKind kSubmissionLockKind{L"Global\\vorlasched-submission", L"submission", kSubmissionBusy,
                                          codes::kSubmissionBusy};

namespace {

// Whoever makes the mutex first, every account may wait for it and release it: SYSTEM and the
// administrators fully, everyone else with the rights that waiting and releasing need.
HANDLE OpenLockMutex(const wchar_t* name)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;WD)",
                                                         SDDL_REVISION_1, &descriptor, nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    HANDLE mutex = CreateMutexW(descriptor ? &attributes : nullptr, FALSE, name);
    if (!mutex && GetLastError() == ERROR_ACCESS_DENIED)
        mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name);
    const DWORD error = GetLastError();
    if (descriptor)
        LocalFree(descriptor);
    SetLastError(error);
    return mutex;
}

// WAIT_ABANDONED: its holder ended without releasing it, and this run now holds it.
bool Taken(DWORD waited)
{
    return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

// Waits for the mutex while dispatching the thread's messages, until the deadline.
DWORD WaitDispatching(HANDLE mutex, DWORD milliseconds)
{
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const DWORD waited = MsgWaitForMultipleObjects(1, &mutex, FALSE, left, QS_ALLINPUT);
        if (waited != WAIT_OBJECT_0 + 1)
            return waited == WAIT_ABANDONED_0 ? WAIT_ABANDONED : waited;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {  // for the loop that waits for it
                PostQuitMessage(static_cast<int>(msg.wParam));
                return WaitForSingleObject(mutex, 0);
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace

MachineLock::~MachineLock()
{
    if (held_)
        ReleaseMutex(mutex_.get());
}

bool MachineLock::Acquire(unsigned waitSeconds, HWND busyWindow)
{
    if (held_)
        return true;
    if (!mutex_)
        mutex_.reset(OpenLockMutex(kind_.name));
    if (!mutex_) {
        makeError_ = GetLastError();
        return false;
    }
    const DWORD milliseconds = waitSeconds * 1000;
    if (!busyWindow) {
        held_ = Taken(WaitForSingleObject(mutex_.get(), milliseconds));
        return held_;
    }
    if (Taken(WaitForSingleObject(mutex_.get(), 0)))
        return held_ = true;
    const bool wasEnabled = !EnableWindow(busyWindow, FALSE);
    held_ = Taken(WaitDispatching(mutex_.get(), milliseconds));
    if (wasEnabled)
        EnableWindow(busyWindow, TRUE);
    return held_;
}

std::wstring MachineLock::Unavailable() const
{
    if (held_ || mutex_)
        return {};
    return Win32Error(std::wstring(L"Cannot make the ") + kind_.what + L"'s lock " + kind_.name + L": error ",
                      makeError_)
        .Message();
}

std::wstring MachineLock::NotHeldText() const
{
    const std::wstring unavailable = Unavailable();
    return unavailable.empty() ? kind_.busyText : unavailable;
}
