#include "app/run_facts.h"

#include <windows.h>

#include <cstdio>

#include "common/run_id.h"

namespace {

unsigned long long Ticks(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// "2026-12-08T05:04:59.123Z".
std::string IsoUtc(const FILETIME& time)
{
    SYSTEMTIME utc{};
    if (!FileTimeToSystemTime(&time, &utc))
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour,
                  utc.wMinute, utc.wSecond, utc.wMilliseconds);
    return text;
}

std::wstring ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 256] = {};
    DWORD size = ARRAYSIZE(name);
    if (GetComputerNameExW(ComputerNameDnsHostname, name, &size) && size > 0)
        return std::wstring(name, size);
    size = ARRAYSIZE(name);
    return GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
}

}  // namespace

RunFacts ThisRunFacts()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user) || Ticks(created) > Ticks(now))
        created = now;  // never seen: then the run started now, as far as anybody can tell
    RunFacts facts;
    facts.runId = ThisRunId();
    facts.host = ComputerName();
    facts.startedAt = IsoUtc(created);
    facts.durationMs = static_cast<long long>((Ticks(now) - Ticks(created)) / 10000);
    return facts;
}
