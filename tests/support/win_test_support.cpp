#include "support/win_test_support.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>

#include "common/handles.h"
#include "common/utf.h"
#include "common/window.h"

static std::wstring TempRoot()
{
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring root(buffer, n);
    if (!root.empty() && root.back() == L'\\')
        root.pop_back();
    return root;
}

TempFolder::TempFolder()
{
    static unsigned counter = 0;
    for (;;) {
        path_ = TempRoot() + L"\\vt" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr))
            break;
    }
}

TempFolder::~TempFolder()
{
    RemoveTree(path_);
}

static std::wstring Extended(const std::wstring& path)
{
    if (path.rfind(L"\\\\?\\", 0) == 0 || path.size() < 3 || path[1] != L':')
        return path;
    return L"\\\\?\\" + path;
}

void MakeFolders(const std::wstring& path)
{
    size_t pos = 3;
    while (pos <= path.size()) {
        size_t next = path.find(L'\\', pos);
        if (next == std::wstring::npos)
            next = path.size();
        CreateDirectoryW(Extended(path.substr(0, next)).c_str(), nullptr);
        pos = next + 1;
    }
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos)
        MakeFolders(path.substr(0, slash));
    HANDLE h = CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        abort();
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

std::string ReadBytes(const std::wstring& path)
{
    HANDLE h = CreateFileW(Extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        out.append(buffer, got);
    CloseHandle(h);
    return out;
}

void RemoveTree(const std::wstring& path)
{
    std::wstring ext = Extended(path);
    DWORD attributes = GetFileAttributesW(ext.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((ext + L"\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (wcscmp(entry.cFileName, L".") && wcscmp(entry.cFileName, L".."))
                    RemoveTree(path + L"\\" + entry.cFileName);
            } while (FindNextFileW(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryW(ext.c_str());
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(ext.c_str());
    } else {
        SetFileAttributesW(ext.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(ext.c_str());
    }
}

std::string Utf8(const std::wstring& text)
{
    return Utf8Of(text);
}

std::wstring FromUtf8(const std::string& text)
{
    return WideOfUtf8Lossy(text);
}

using WineGetUnixFileNameFn = char*(CDECL*)(const WCHAR*);
using WineGetDosFileNameFn = WCHAR*(CDECL*)(const char*);

std::string UnixPathOf(const std::wstring& windowsPath)
{
    auto fn = reinterpret_cast<WineGetUnixFileNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!fn)
        return {};
    char* unix = fn(windowsPath.c_str());
    if (!unix)
        return {};
    std::string out = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

std::wstring WindowsPathOfUnix(const std::string& unixPath)
{
    auto fn = reinterpret_cast<WineGetDosFileNameFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (!fn)
        return {};
    WCHAR* dos = fn(unixPath.c_str());
    if (!dos)
        return {};
    std::wstring out = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return out;
}

// ---- Message boxes

MessageBoxWatcher::MessageBoxWatcher(std::function<void()> whileShown)
    : whileShown_(std::move(whileShown)), thread_([this] { Run(); })
{
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    stop_ = true;
    thread_.join();
}

std::vector<std::wstring> MessageBoxWatcher::Texts()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
}

std::vector<std::wstring> MessageBoxWatcher::Captions()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return captions_;
}

namespace {
struct WindowSearch {
    DWORD pid;
    const wchar_t* className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == search->pid && wcscmp(cls, search->className) == 0 && (!search->visibleOnly || IsWindowVisible(hwnd))) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND VisibleWindowOf(DWORD processId, const wchar_t* className, bool visibleOnly)
{
    WindowSearch search{processId, className, visibleOnly, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindowOf(DWORD processId, const wchar_t* className, bool visibleOnly)
{
    for (int i = 0; i < 200; ++i, Sleep(50))
        if (HWND found = VisibleWindowOf(processId, className, visibleOnly))
            return found;
    return nullptr;
}

void MessageBoxWatcher::Run()
{
    while (!stop_) {
        if (HWND box = VisibleWindowOf(GetCurrentProcessId(), L"#32770")) {
            HWND text = GetDlgItem(box, 0xFFFF);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                texts_.push_back(text ? WindowText(text) : L"");
                captions_.push_back(WindowText(box));
            }
            if (whileShown_)
                whileShown_();
            // Wait until it is gone, so that one box is never recorded twice.
            while (IsWindow(box) && IsWindowVisible(box)) {
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                Sleep(5);
            }
        }
        Sleep(5);
    }
}

void PumpQueued()
{
    while (!PumpPending(nullptr)) {
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
}

std::vector<std::vector<std::wstring>> ListViewRows(HWND listView, int columns)
{
    std::vector<std::vector<std::wstring>> rows;
    int count = ListView_GetItemCount(listView);
    for (int i = 0; i < count; ++i) {
        std::vector<std::wstring> row;
        for (int c = 0; c < columns; ++c) {
            std::wstring buffer(40000, L'\0');
            LVITEMW item{};
            item.iSubItem = c;
            item.pszText = buffer.data();
            item.cchTextMax = static_cast<int>(buffer.size());
            LRESULT n = SendMessageW(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(&item));
            buffer.resize(static_cast<size_t>(n));
            row.push_back(buffer);
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::vector<std::wstring>> RemoteListViewRows(HWND listView, HANDLE process, int columns)
{
    const size_t chars = 40000;
    auto* remote = static_cast<BYTE*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + chars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    std::vector<std::vector<std::wstring>> rows;
    int count = ListView_GetItemCount(listView);
    for (int i = 0; remote && i < count; ++i) {
        std::vector<std::wstring> row;
        for (int c = 0; c < columns; ++c) {
            LVITEMW item{};
            item.iSubItem = c;
            item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
            item.cchTextMax = static_cast<int>(chars);
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            LRESULT n = SendMessageW(listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote));
            std::wstring text(static_cast<size_t>(n), L'\0');
            ReadProcessMemory(process, item.pszText, text.data(), text.size() * sizeof(wchar_t), nullptr);
            row.push_back(text);
        }
        rows.push_back(row);
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return rows;
}

std::wstring StatusBarText(HWND statusBar)
{
    LRESULT info = SendMessageW(statusBar, SB_GETTEXTLENGTHW, 0, 0);
    std::wstring text(LOWORD(info) + 1, L'\0');
    SendMessageW(statusBar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(LOWORD(info));
    return text;
}

HDROP MakeDrop(const std::vector<std::wstring>& paths)
{
    size_t chars = 1;
    for (const auto& p : paths)
        chars += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* out = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
    for (const auto& p : paths) {
        memcpy(out, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
        out += p.size() + 1;
    }
    *out = L'\0';
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void PostDrop(HWND target, const std::vector<std::wstring>& paths)
{
    PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

unsigned long RegImport(const std::wstring& file)
{
    std::wstring command = L"reg.exe import \"" + file + L"\" /reg:32";
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    DWORD code = ~0u;  // not started
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return code;
}

BY_HANDLE_FILE_INFORMATION FileInfo(const std::wstring& path)
{
    BY_HANDLE_FILE_INFORMATION info{};
    UniqueFile file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (file)
        GetFileInformationByHandle(file.get(), &info);
    return info;
}
