// What the benchmark modes share: a clock, percentiles of repeated runs, the client search path.
#pragma once
#include <algorithm>
#include <chrono>
#include <functional>
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

// Runs the program with its standard output and error to the file; the seconds until it ended.
// started, when given, is called once the process runs.
double RunCommand(const std::wstring& program, const std::wstring& arguments, const std::wstring& outFile,
                  const std::function<void()>& started = {});

// The modes that live in their own files.
int SubmitThroughWindow(size_t count, const std::wstring& clientFolder);
int TidyAtExit(size_t megabytes);
int JsonAgainstCsv(const std::wstring& tree, const std::wstring& program);
int SubmitWithHeldLock(size_t count, const std::wstring& clientFolder, const std::wstring& program);
