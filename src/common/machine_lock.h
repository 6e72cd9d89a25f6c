// Machine-wide locks: one around reading or writing the configuration ("Configure Vorla",
// "Upgrade Vorla", /configure, /upgrade and /check hold it, so that two runs never interleave and
// a check never sees a half-written configuration), and one around submitting jobs (the window's
// "Resubmit files (submit)" and /submit hold it, so that two passes never hand the same spool to
// the client at once). Each is a named mutex in the global namespace ("Global\..."), which a
// service's session and a user's session share; one left by a process that died is abandoned,
// and the next run takes it over.
#pragma once
#include <windows.h>

#include <string>

#include "common/codes.h"
#include "common/handles.h"

// What tells one machine-wide lock from another.
struct MachineLockKind {
    const wchar_t* name;      // the mutex's name, "Global\..."
    const wchar_t* what;      // what it guards, for "Cannot make the <what>'s lock"
    const wchar_t* busyText;  // what a run that could not get it says
    const char* busyCode;     // the code of that message (exit 5)
};

extern const MachineLockKind kConfigurationLockKind;  // Global\vorlasched-configuration
extern const MachineLockKind kSubmissionLockKind;     // Global\vorlasched-submission
extern const wchar_t kConfigurationLockName[];
// What a run that could not get the configuration's lock says.
extern const wchar_t kConfigurationBusy[];
// What a run that could not get the submission's lock says.
extern const wchar_t kSubmissionBusy[];
// How long a run waits for a lock unless told otherwise.
const unsigned kDefaultLockWaitSeconds = 60;

class MachineLock {
public:
    explicit MachineLock(const MachineLockKind& kind) : kind_(kind) {}
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;
    ~MachineLock();

    const MachineLockKind& Kind() const { return kind_; }
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
    const MachineLockKind& kind_;
    UniqueHandle mutex_;
    bool held_ = false;
    unsigned long makeError_ = 0;
};

class ConfigurationLock : public MachineLock {
public:
    ConfigurationLock() : MachineLock(kConfigurationLockKind) {}
};

class SubmissionLock : public MachineLock {
public:
    SubmissionLock() : MachineLock(kSubmissionLockKind) {}
};
