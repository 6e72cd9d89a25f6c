// A stand-in for Vorla's submit client, for the tests and the demo only; it talks to no
// service. It accepts the client's command line
//   vorlatcpw.exe <service> -i<direction> "<print file>" "-re<result file>"
// and answers into the result file as its environment tells it:
//   VORLATCPW_MODE    comma-separated modes; the n-th run (counted in the log) takes the n-th,
//                     the last one repeats. Without it: echo.
//       echo     answers "received: " and the arguments it got before "-re"
//       answer   answers VORLATCPW_ANSWER
//       large    answers VORLATCPW_SIZE bytes (default 1 MiB) of numbered CR LF lines
//       silent   writes nothing
//       delete   deletes the result file
//       crash    dies of an unhandled exception without writing
//       hang     never ends
//       slow     answers as echo after VORLATCPW_DELAY_MS milliseconds (default 300)
//       lock     answers as echo, then leaves the result file held open for writing by a
//                process of its own (logged as "holder=<id>") and ends
//   VORLATCPW_EXIT    the exit code (default 0)
//   VORLATCPW_LOG     a file to which each run appends, in UTF-8, the lines
//                     "cmd=<command line>", "pid=<id>", "arg=<argument>" per argument, "end"
// Started as "vorlatcpw.exe --hold <file> <event>" it is a holder: it opens the file for reading
// and writing, letting others only read, signals the named event and waits (ended by whoever
// started it, or by itself after two minutes so that no holder outlives a test run).
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::wstring Env(const wchar_t* name)
{
    DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0)
        return {};
    std::wstring value(n, L'\0');
    n = GetEnvironmentVariableW(name, value.data(), n);
    value.resize(n);
    return value;
}

std::string Encode(const std::wstring& text, UINT codePage)
{
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string ReadWhole(const std::wstring& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    std::string out;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
        out.append(buffer, got);
    CloseHandle(h);
    return out;
}

void Append(const std::wstring& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// Logs this run and returns how many runs were logged before it.
size_t LogRun(const std::vector<std::wstring>& args)
{
    std::wstring log = Env(L"VORLATCPW_LOG");
    if (log.empty())
        return 0;
    std::string before = ReadWhole(log);
    size_t runs = 0;
    for (size_t at = before.find("cmd="); at != std::string::npos; at = before.find("\ncmd=", at + 1))
        ++runs;
    std::wstring entry = L"cmd=" + std::wstring(GetCommandLineW()) + L"\npid=" +
                         std::to_wstring(GetCurrentProcessId()) + L"\n";
    for (const std::wstring& a : args)
        entry += L"arg=" + a + L"\n";
    entry += L"end\n";
    Append(log, Encode(entry, CP_UTF8));
    return runs;
}

std::wstring ModeOfRun(size_t run)
{
    std::wstring modes = Env(L"VORLATCPW_MODE");
    if (modes.empty())
        return L"echo";
    std::vector<std::wstring> list;
    size_t start = 0;
    for (;;) {
        size_t comma = modes.find(L',', start);
        list.push_back(modes.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start));
        if (comma == std::wstring::npos)
            break;
        start = comma + 1;
    }
    return list[run < list.size() ? run : list.size() - 1];
}

bool WriteAnswer(const std::wstring& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(h);
    return ok;
}

// "line 000001\r\n", "line 000002\r\n", ...: written without printf, so that a hundred
// megabytes take a moment, not many seconds.
std::string NumberedLines(size_t size)
{
    std::string out;
    out.reserve(size);
    char line[] = "line 000000\r\n";
    while (out.size() < size) {
        for (int digit = 10; digit >= 5; --digit) {
            if (line[digit] != '9') {
                ++line[digit];
                break;
            }
            line[digit] = '0';
        }
        out.append(line, sizeof line - 1);
    }
    out.resize(size);
    return out;
}

const DWORD kHolderLifetimeMs = 120000;

int HoldFile(const std::wstring& path, const std::wstring& eventName)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName.c_str());
    if (ready) {
        SetEvent(ready);
        CloseHandle(ready);
    }
    Sleep(kHolderLifetimeMs);
    CloseHandle(file);
    return 0;
}

// Starts a holder of the file and waits until it holds it; its process id, or 0.
DWORD StartHolder(const std::wstring& path)
{
    const std::wstring eventName = L"vorlatcpw-hold-" + std::to_wstring(GetCurrentProcessId());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"vorlatcpw.exe --hold \"" + path + L"\" " + eventName;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    DWORD pid = 0;
    if (ready && CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                &info)) {
        HANDLE waits[] = {ready, info.hProcess};
        if (WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0)
            pid = info.dwProcessId;
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    if (ready)
        CloseHandle(ready);
    return pid;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv, argv + (argv ? argc : 0));
    LocalFree(argv);
    if (args.size() == 4 && args[1] == L"--hold")
        return HoldFile(args[2], args[3]);

    const std::wstring mode = ModeOfRun(LogRun(args));
    const int exitCode = _wtoi(Env(L"VORLATCPW_EXIT").c_str());

    std::wstring resultFile;
    std::wstring received = L"received:";
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].rfind(L"-re", 0) == 0)
            resultFile = args[i].substr(3);
        else
            received += L" " + args[i];
    }

    if (mode == L"hang")
        for (;;)
            Sleep(INFINITE);
    if (mode == L"slow")
        Sleep(Env(L"VORLATCPW_DELAY_MS").empty() ? 300 : static_cast<DWORD>(_wtoi(Env(L"VORLATCPW_DELAY_MS").c_str())));
    if (mode == L"crash") {
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    }
    if (resultFile.empty())
        return 2;
    if (mode == L"delete")
        DeleteFileW(resultFile.c_str());
    else if (mode == L"answer")
        WriteAnswer(resultFile, Encode(Env(L"VORLATCPW_ANSWER"), CP_ACP));
    else if (mode == L"large")
        WriteAnswer(resultFile, NumberedLines(Env(L"VORLATCPW_SIZE").empty()
                                                  ? 1024 * 1024
                                                  : static_cast<size_t>(_wtoi(Env(L"VORLATCPW_SIZE").c_str()))));
    else if (mode == L"echo" || mode == L"lock" || mode == L"slow")
        WriteAnswer(resultFile, Encode(received, CP_ACP));
    if (mode == L"lock") {
        DWORD holder = StartHolder(resultFile);
        const std::wstring log = Env(L"VORLATCPW_LOG");
        if (!log.empty())
            Append(log, "holder=" + std::to_string(holder) + "\n");
    }
    return exitCode;
}
