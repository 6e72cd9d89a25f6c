// One lock per machine around reading or writing the configuration: "Configure Vorla",
// "Upgrade Vorla", /configure, /upgrade and /check hold it, so that two runs never interleave
// and a check never sees a half-written configuration. It is a named mutex in the global namespace
// ("Global\..."), which a service's session and a user's session share; one left by a process that
// died is abandoned, and the next run takes it over.
#pragma once
#include <windows.h>

#include <string>

#include "common/handles.h"

extern const wchar_t kConfigurationLockName[];  // Global\vorlasched-configuration
// What a run that could not get the lock says.
extern const wchar_t kConfigurationBusy[];
// How long a run waits for the lock unless told otherwise.
const unsigned kDefaultLockWaitSeconds = 60;

class ConfigurationLock {
public:
    ConfigurationLock() = default;
    ConfigurationLock(const ConfigurationLock&) = delete;
    ConfigurationLock& operator=(const ConfigurationLock&) = delete;
    ~ConfigurationLock();

    // Waits up to the seconds for the lock; true when this run holds it. With a window, the
    // thread's messages are dispatched meanwhile (as a message box does) and the window takes no
    // input until the wait ends, so that it stays painted and cannot be pressed twice.
    bool Acquire(unsigned waitSeconds = kDefaultLockWaitSeconds, HWND busyWindow = nullptr);
    // After an Acquire that failed: empty when another run holds the lock; otherwise why the lock
    // could not be made at all (its name taken by an object of another kind, say), which waiting
    // and trying again will not mend.
    std::wstring Unavailable() const;
    // What a run that did not get the lock says: that another run holds it, or why the lock could
    // not be made.
    std::wstring NotHeldText() const;

private:
    UniqueHandle mutex_;
    bool held_ = false;
    unsigned long makeError_ = 0;
};
