// Helpers for the Win32 tests: scratch folders, files, message boxes, pumping.
#pragma once
#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>


// A fresh folder under %TEMP% for one test, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    // path_ + "\" + relative
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    std::wstring path_;
};

// Creates the file (and its missing folders) with exactly these bytes.
void WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
void MakeFolders(const std::wstring& path);
// What the system says of the file (its links, its volume and index); zeros when it cannot be opened.
BY_HANDLE_FILE_INFORMATION FileInfo(const std::wstring& path);
void RemoveTree(const std::wstring& path);

// The Linux path of a Windows path (Wine's Z: drive and C: of the prefix), for tests that
// check what only the Linux side shows (hard link counts, symbolic links).
std::string UnixPathOf(const std::wstring& windowsPath);
std::wstring WindowsPathOfUnix(const std::string& unixPath);

std::string Utf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// Closes every message box of this process as it appears (pressing its first button) and
// records its caption and text, in order.
class MessageBoxWatcher {
public:
    // whileShown, when given, runs on the watcher's thread while each box is up, before it is closed.
    explicit MessageBoxWatcher(std::function<void()> whileShown = {});
    ~MessageBoxWatcher();
    std::vector<std::wstring> Texts();
    std::vector<std::wstring> Captions();

private:
    void Run();
    std::function<void()> whileShown_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::wstring> texts_;
    std::vector<std::wstring> captions_;
    std::thread thread_;
};

// A visible top-level window of that process and class (or any, visibleOnly false), or null.
HWND VisibleWindowOf(DWORD processId, const wchar_t* className, bool visibleOnly = true);
// The same, waiting up to ten seconds for it to appear; null when it does not.
HWND WaitForWindowOf(DWORD processId, const wchar_t* className, bool visibleOnly = true);

// Dispatches the messages queued for this thread now (drops, posted commands).
void PumpQueued();

// Reads a list view's rows through its own messages: each row is caption, sub-item 1, 2.
std::vector<std::vector<std::wstring>> ListViewRows(HWND listView, int columns = 3);
// The same, for a list view of another process (opened with VM operation, read and write access).
std::vector<std::vector<std::wstring>> RemoteListViewRows(HWND listView, HANDLE process, int columns = 3);
std::wstring StatusBarText(HWND statusBar);

// A real HDROP of these (wide) paths, as the shell makes one.
HDROP MakeDrop(const std::vector<std::wstring>& paths);
// Posts WM_DROPFILES with a real HDROP to the window.
void PostDrop(HWND target, const std::vector<std::wstring>& paths);

// "reg import FILE /reg:32" in a child process, as a technician restores a .reg file; its exit
// code (~0 when it could not be started).
unsigned long RegImport(const std::wstring& file);
