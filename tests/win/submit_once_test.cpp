// A fiscal job goes out once, through the real vorlasched.com and the stand-in client (whose log
// holds every start): a run killed at any moment and retried with the same command line, paths
// that reach one file in several ways, and switches typed with a look-alike of '/' or '-'.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <map>

#include "common/fileio.h"
#include "support/console_run.h"
#include "support/win_test_support.h"
#include "win/faults_support.h"

namespace {

class SubmitOnce : public testing::Test {
protected:
    // The starts of each print file, over every run so far.
    std::map<std::wstring, int> StartsPerFile() const
    {
        std::map<std::wstring, int> starts;
        for (const ClientRun& run : ReadClientLog(log))
            ++starts[run.args.at(3)];
        return starts;
    }
    // Ends the clients that a killed run left running, found by their parent.
    static void EndClientsOf(DWORD killed)
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{sizeof entry};
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            if (entry.th32ParentProcessID == killed)
                if (HANDLE client = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
                    TerminateProcess(client, 1);
                    CloseHandle(client);
                }
        CloseHandle(snapshot);
    }

    TempFolder t;
    const std::wstring log = t / L"client.log";
    EnvScope logScope{L"VORLATCPW_LOG", log};
};

std::wstring TempFolderPath()
{
    wchar_t temp[MAX_PATH + 1];
    return std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp));
}

TEST_F(SubmitOnce, ARunKilledAnywhereAndRetriedStartsNoJobTwice)
{
    struct Case {
        const char* what;
        std::function<bool(const std::wstring& journal, size_t starts)> killNow;
    };
    const Case cases[] = {
        {"in the middle of a job", [](const std::wstring&, size_t starts) { return starts == 2; }},
        {"between two jobs",
         [](const std::wstring& journal, size_t) { return ReadBytes(journal).find("\tended\t") != std::string::npos; }},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.what);
        RemoveTree(t / L"spool");
        DeleteFileW(log.c_str());
        for (const wchar_t* job : {L"spool\\j1", L"spool\\j2", L"spool\\j3"}) {
            WriteBytes(t / job + L"_x.prn", "%!PS");
            WriteBytes(t / job + L"_i.pri", "ToDoStr=FWDVORLA\"AB:1:AB_POS1\r\n");
        }
        const std::wstring journal = t / (L"journal-" + std::to_wstring(i));
        const std::wstring command = L"/submit spool /journal:" + journal;
        ConsoleRun killed;
        {
            EnvScope mode(L"VORLATCPW_MODE", L"echo,hang");
            killed = RunConsoleKilled(command, t.Path(), [&] { return c.killNow(journal, StartsPerFile().size()); });
        }
        EndClientsOf(killed.processId);
        ASSERT_EQ(killed.exitCode, 99u);
        // The job that ended is in the journal with its answer, and, once its client had been
        // followed by the next one, on standard output too.
        const std::string written = ReadBytes(journal);
        ASSERT_LT(written.find("\tstarted\t"), written.find("\tended\t")) << written;
        EXPECT_NE(written.find("\treceived: localhost:20004"), std::string::npos) << written;
        if (i == 0) {
            EXPECT_NE(killed.out.find(",AB_POS1_COPY,received: "), std::string::npos) << killed.out;
        }
        // Killed in the middle of a job, or between the journal's start of one and its client.
        const bool uncertain = written.rfind("\tstarted\t") > written.rfind("\tended\t");
        EXPECT_TRUE(uncertain || i == 1) << written;

        const ConsoleRun retry = RunConsole(command, L"", t.Path());
        EXPECT_EQ(retry.exitCode, uncertain ? 6u : 0u) << retry.err;
        for (const auto& [file, count] : StartsPerFile())
            EXPECT_EQ(count, 1) << Utf8(file);
        EXPECT_EQ(StartsPerFile().count(t / L"spool\\j1_x.prn"), 1u);  // the last job, sent by the retry
        EXPECT_NE(retry.out.find(",submitted earlier\r\n"), std::string::npos) << retry.out;
        EXPECT_EQ(retry.out.find(",uncertain\r\n") != std::string::npos, uncertain) << retry.out;
        EXPECT_EQ(retry.err.find("uncertain: it may have been submitted: ") != std::string::npos, uncertain);
        // A third run finds every job in the journal and starts none.
        const size_t starts = ReadClientLog(log).size();
        EXPECT_EQ(RunConsole(command, L"", t.Path()).exitCode, uncertain ? 6u : 0u);
        EXPECT_EQ(ReadClientLog(log).size(), starts);
    }
    // The killed runs' result files went at the next start.
    WIN32_FIND_DATAW entry;
    HANDLE left = FindFirstFileW((TempFolderPath() + L"VORJ*.tmp").c_str(), &entry);
    EXPECT_EQ(left, INVALID_HANDLE_VALUE) << Utf8(entry.cFileName);
    if (left != INVALID_HANDLE_VALUE)
        FindClose(left);
}

// A temporary folder whose result files' names pass MAX_PATH: the file that a killed run left
// is found and deleted at the start, and the run's own when it ends.
TEST_F(SubmitOnce, ResultFilesInALongTemporaryFolderAreDeleted)
{
    std::wstring temp = t.Path();
    while (temp.size() < 250)
        temp += L"\\" + std::wstring(std::min<size_t>(60, 249 - temp.size()), L't');
    MakeFolders(temp);
    const std::wstring left = temp + L"\\VORJ2000000000.tmp";  // a run whose process is gone
    ASSERT_GT(left.size(), size_t{MAX_PATH});
    WriteBytes(left, "");
    WriteBytes(t / L"spool\\j_x.prn", "%!PS");
    WriteBytes(t / L"spool\\j_i.pri", "ToDoStr=FWDVORLA\"AB:1:AB_POS1\r\n");
    EnvScope tmp{L"TMP", temp}, tempToo{L"TEMP", temp};
    EnvScope mode(L"VORLATCPW_MODE", L"echo");
    const ConsoleRun run = RunConsole(L"/submit spool", L"", t.Path());
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    WIN32_FIND_DATAW entry;
    HANDLE found = FindFirstFileW(LongPathName(temp + L"\\VORJ*.tmp").c_str(), &entry);
    EXPECT_EQ(found, INVALID_HANDLE_VALUE) << Utf8(entry.cFileName);
    if (found != INVALID_HANDLE_VALUE)
        FindClose(found);
}

// Two folders whose links cross, named with a "\\?\" prefix, a short name and ".." steps: one
// start per file, and no report cell that a spreadsheet would run.
TEST_F(SubmitOnce, EachFileStartsOnceHoweverThePathsReachIt)
{
    const char* binary = std::getenv("VORLA_BINARY_DIR");
    ASSERT_NE(binary, nullptr);
    const std::wstring tree = WindowsPathOfUnix(std::string(binary) + "/fixtures/crosstree");
    wchar_t shortName[MAX_PATH];
    ASSERT_NE(GetShortPathNameW(tree.c_str(), shortName, MAX_PATH), 0u);
    ASSERT_NE(std::wstring(shortName), tree);
    EnvScope mode(L"VORLATCPW_MODE", L"answer");
    EnvScope answer(L"VORLATCPW_ANSWER", L"=cmd|' /C calc'!A0");
    const ConsoleRun run = RunConsole(L"/submit \"" + tree + L"\" \"\\\\?\\" + tree + L"\" " + shortName + L" \"" + tree +
                                      L"\\a\\..\\b\\.\\toa\" \"\\\\?\\" + tree + L"\\b\\j2_x.prn\"");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(StartsPerFile().size(), 2u);
    for (const auto& [file, count] : StartsPerFile())
        EXPECT_EQ(count, 1) << Utf8(file);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3) << run.out;
    EXPECT_NE(run.out.find(",'=1+2_COPY,'=cmd|' /C calc'!A0,submitted\r\n"), std::string::npos) << run.out;
}

TEST(LookAlikeSwitches, AreRefusedByBothProgramsAndOpenNoWindow)
{
    TempFolder t;
    MakeFolders(t / L"spool");
    const char* binary = std::getenv("VORLA_BINARY_DIR");
    ASSERT_NE(binary, nullptr);
    for (const std::wstring& program : {ConsoleProgram(), WindowsPathOfUnix(binary) + L"\\vorlasched.exe"}) {
        for (const wchar_t* start : {L"\xFF0F", L"\x2013", L"\x2014", L"\x2212", L"\x2010"}) {
            SCOPED_TRACE(Utf8(program + L" " + start));
            const ConsoleRun run = RunConsole(std::wstring(start) + L"submit spool", program, t.Path());
            EXPECT_EQ(run.exitCode, 2u);
            EXPECT_NE(run.err.find(" not with / or -: type / or - before submit"), std::string::npos) << run.err;
        }
    }
}

}  // namespace
