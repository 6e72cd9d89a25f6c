#include "support/console_run.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/fileio.h"
#include "support/win_test_support.h"

namespace {

bool SameFile(const std::wstring& a, const std::wstring& b)
{
    WIN32_FILE_ATTRIBUTE_DATA x{}, y{};
    return GetFileAttributesExW(a.c_str(), GetFileExInfoStandard, &x) &&
           GetFileAttributesExW(b.c_str(), GetFileExInfoStandard, &y) && x.nFileSizeLow == y.nFileSizeLow &&
           CompareFileTime(&x.ftLastWriteTime, &y.ftLastWriteTime) == 0;
}

}  // namespace

std::wstring ConsoleProgram()
{
    const char* dir = std::getenv("VORLA_BINARY_DIR");
    const std::wstring built = dir ? WindowsPathOfUnix(dir) + L"\\vorlasched.com" : L"";
    const std::wstring copy = ProgramFolder() + L"\\vorlasched.com";
    EXPECT_TRUE(SameFile(built, copy) || CopyFileW(built.c_str(), copy.c_str(), FALSE));
    return copy;
}

static ConsoleRun RunConsoleUntil(const std::wstring& arguments, std::wstring program, const std::wstring& folder,
                                  const std::function<bool()>& killNow)
{
    static const std::wstring twin = ConsoleProgram();
    if (program.empty())
        program = twin;
    TempFolder temp;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    auto open = [&](const wchar_t* name) {
        return CreateFileW((temp / name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    };
    UniqueFile out(open(L"out")), err(open(L"err"));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION info{};
    ConsoleRun run;
    EXPECT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               folder.empty() ? nullptr : folder.c_str(), &startup, &info));
    for (DWORD waited = 0; killNow && waited < 120000 && WaitForSingleObject(info.hProcess, 10) == WAIT_TIMEOUT;
         waited += 10)
        if (killNow()) {
            HANDLE byId = OpenProcess(PROCESS_TERMINATE, FALSE, info.dwProcessId);
            EXPECT_TRUE(byId && TerminateProcess(byId, 99));
            CloseHandle(byId);
            break;
        }
    WaitForSingleObject(info.hProcess, 120000);
    GetExitCodeProcess(info.hProcess, &run.exitCode);
    run.processId = info.dwProcessId;
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    out.reset();
    err.reset();
    run.out = ReadBytes(temp / L"out");
    run.err = ReadBytes(temp / L"err");
    return run;
}

ConsoleRun RunConsole(const std::wstring& arguments, std::wstring program, const std::wstring& folder)
{
    return RunConsoleUntil(arguments, std::move(program), folder, nullptr);
}

ConsoleRun RunConsoleKilled(const std::wstring& arguments, const std::wstring& folder,
                            const std::function<bool()>& killNow, std::wstring program)
{
    return RunConsoleUntil(arguments, std::move(program), folder, killNow);
}
