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
//   VORLATCPW_EXIT    the exit code (default 0)
//   VORLATCPW_LOG     a file to which each run appends, in UTF-8, the lines
//                     "cmd=<command line>", "pid=<id>", "arg=<argument>" per argument, "end"
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

std::string NumberedLines(size_t size)
{
    std::string out;
    out.reserve(size);
    for (unsigned line = 1; out.size() < size; ++line) {
        char text[32];
        wsprintfA(text, "line %06u\r\n", line);
        out += text;
    }
    out.resize(size);
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::wstring> args(argv, argv + (argv ? argc : 0));
    LocalFree(argv);

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
    else if (mode == L"echo")
        WriteAnswer(resultFile, Encode(received, CP_ACP));
    return exitCode;
}
