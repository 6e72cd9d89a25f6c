// What the benchmark modes share: a clock, percentiles of repeated runs, the client search path.
#pragma once
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

using BenchClock = std::chrono::steady_clock;

inline double SecondsSince(BenchClock::time_point since)
{
    return std::chrono::duration<double>(BenchClock::now() - since).count();
}

inline double Percentile(std::vector<double> values, int percent)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() * percent / 100];
}

inline double Median(std::vector<double> values)
{
    return Percentile(std::move(values), 50);
}

// Puts the folder of the stand-in client first on the program search path, as the real
// client's folder is on a branch machine.
void FindClientIn(const std::wstring& clientFolder);

// The modes that live in their own files.
int SubmitThroughWindow(size_t count, const std::wstring& clientFolder);
int TidyAtExit(size_t megabytes);
int JsonAgainstCsv(const std::wstring& tree, const std::wstring& program);
