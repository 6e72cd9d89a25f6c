#include "common/machine_lock.h"

#include <sddl.h>

const wchar_t kConfigurationLockName[] = L"Global\\vorlasched-configuration";
const wchar_t kConfigurationBusy[] = L"Another run holds the configuration; try again later.";

namespace {

// Whoever makes the mutex first, every account may wait for it and release it: SYSTEM and the
// administrators fully, everyone else with the rights that waiting and releasing need.
HANDLE OpenLockMutex()
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x00100001;;;WD)",
                                                         SDDL_REVISION_1, &descriptor, nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    HANDLE mutex = CreateMutexW(descriptor ? &attributes : nullptr, FALSE, kConfigurationLockName);
    if (!mutex && GetLastError() == ERROR_ACCESS_DENIED)
        mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kConfigurationLockName);
    if (descriptor)
        LocalFree(descriptor);
    return mutex;
}

}  // namespace

ConfigurationLock::~ConfigurationLock()
{
    if (held_)
        ReleaseMutex(mutex_.get());
}

bool ConfigurationLock::Acquire(unsigned waitSeconds)
{
    if (held_)
        return true;
    if (!mutex_)
        mutex_.reset(OpenLockMutex());
    if (!mutex_)
        return false;
    // WAIT_ABANDONED: its holder ended without releasing it, and this run now holds it.
    const DWORD waited = WaitForSingleObject(mutex_.get(), waitSeconds * 1000);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    return held_;
}
