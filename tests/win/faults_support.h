// Helpers of the faults and submit suites (faults_test.cpp, submit_test.cpp): other processes that
// hold files the way other programs do, the stand-in client's log, the process environment, large
// files made quickly, and folder snapshots that show what a command left on disk.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

std::wstring GetEnv(const wchar_t* name);
// An empty value removes the variable.
void SetEnv(const wchar_t* name, const std::wstring& value);

// Sets an environment variable while it lives (the stand-in client and the result file follow the
// environment, and child processes inherit it); the old value comes back after.
class EnvScope {
public:
    EnvScope(const wchar_t* name, const std::wstring& value);
    ~EnvScope();
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

private:
    std::wstring name_;
    std::wstring saved_;
};

// Another process holds the file open for reading and writing and lets others only read, as a
// program that is still writing it would. It lets go when this object ends.
class FileHolder {
public:
    explicit FileHolder(const std::wstring& path);
    ~FileHolder();
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;
    bool Holding() const { return holding_; }

private:
    HANDLE process_ = nullptr;
    bool holding_ = false;
};

// Ends the process of that id if it is still running, and waits until it is gone.
void EndProcess(DWORD pid);

// One run of the stand-in client (tests/support/vorlatcpw) as it logged it.
struct ClientRun {
    std::wstring commandLine;
    DWORD pid = 0;
    std::vector<std::wstring> args;
    DWORD holder = 0;  // the process it left holding the result file ("lock" mode)
};
std::vector<ClientRun> ReadClientLog(const std::wstring& path);

// Every entry below a folder by its relative path: folders as "<folder>", files as their size and
// a digest of their bytes (files over 16 MB: size, last write time and the digest of their first
// and last megabyte, so that a 200 MB file is not read whole for the comparison).
using TreeSnapshot = std::map<std::wstring, std::string>;
TreeSnapshot SnapshotTree(const std::wstring& root);

// A file of head, then exactly size bytes of the pattern repeated (cut where the size ends), then
// tail; written in large pieces, so that hundreds of megabytes take a moment.
void WriteRepeatedFile(const std::wstring& path, const std::string& head, const std::string& pattern,
                       unsigned long long size, const std::string& tail);
// A file of size zero bytes that takes no room on disk, then tail.
void WriteZeroFile(const std::wstring& path, unsigned long long size, const std::string& tail);

// The VOR*.tmp files in a folder (result files), full paths.
std::vector<std::wstring> ResultFilesIn(const std::wstring& folder);

// Runs this test program again, copied alone into folder (so that no submit client lies beside
// it), with only the tests of filter and this process's environment plus VORLA_FAULTS_REPORT, the
// file into which the copy writes "passed"; gives that file's text, or the copy's output when the
// copy did not pass.
std::string RunAloneCopy(const std::wstring& folder, const std::wstring& filter);
