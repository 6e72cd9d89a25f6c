// A fiscal job goes out once, through the real vorlasched.com and the stand-in client (whose log
// holds every start): a run killed at any moment and retried with the same command line, paths
// that reach one file in several ways, and mistyped switches that are no path.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <map>
#include <thread>

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

    // Print files with a direction each, in the folder below the test's.
    void Jobs(const std::wstring& folder, int count)
    {
        for (int i = 0; i < count; ++i) {
            const std::wstring job = t / folder + L"\\j" + std::to_wstring(i);
            WriteBytes(job + L"_x.prn", "%!PS");
            WriteBytes(job + L"_i.pri", "ToDoStr=FWDVORLA\"AB:1:AB_POS1\r\n");
        }
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

// Two overlapping runs of one spool with one journal: the second waits for the first and then
// finds every job in the journal, or gives up with 5; a journal that another process holds is
// busy (5) too, never a bad command line.
TEST_F(SubmitOnce, OverlappingRunsWithOneJournalStartEachJobOnce)
{
    Jobs(L"spool", 12);
    const std::wstring journal = t / L"journal.txt", command = L"/submit spool /journal:" + journal;
    EnvScope mode(L"VORLATCPW_MODE", L"slow");
    EnvScope delay(L"VORLATCPW_DELAY_MS", L"400");
    ConsoleRun first, waiting;
    std::thread a([&] { first = RunConsole(command, L"", t.Path()); });
    while (ReadClientLog(log).empty())
        Sleep(10);
    std::thread b([&] { waiting = RunConsole(command, L"", t.Path()); });
    const ConsoleRun impatient = RunConsole(command + L" /wait:1 /json", L"", t.Path());
    a.join();
    b.join();
    EXPECT_EQ(first.exitCode, 0u) << first.err;
    EXPECT_EQ(impatient.exitCode, 5u) << impatient.err;
    EXPECT_NE(impatient.out.find("\"code\":\"submission-busy\""), std::string::npos) << impatient.out;
    EXPECT_EQ(waiting.exitCode, 0u) << waiting.err;  // every job submitted earlier, none sent
    EXPECT_EQ(StartsPerFile().size(), 12u);
    for (const auto& [file, count] : StartsPerFile())
        EXPECT_EQ(count, 1) << Utf8(file);

    HANDLE held = CreateFileW(journal.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const ConsoleRun busy = RunConsole(command + L" /json", L"", t.Path());
    const ConsoleRun settle = RunConsole(L"/settle spool\\j1_x.prn /as:submitted /journal:" + journal, L"", t.Path());
    CloseHandle(held);
    EXPECT_EQ(busy.exitCode, 5u) << busy.err;
    EXPECT_NE(busy.out.find("\"code\":\"journal-busy\""), std::string::npos) << busy.out;
    EXPECT_EQ(settle.exitCode, 5u) << settle.err;
}

// A client that could not be started leaves "not started" in the journal, and the retry sends
// that job: it is not taken for one that may have gone out.
TEST_F(SubmitOnce, AJobWhoseClientCouldNotStartIsSentByTheRetry)
{
    Jobs(L"spool", 1);
    const std::wstring alone = t / L"alone.com";  // no client beside it
    ASSERT_TRUE(CopyFileW(ConsoleProgram().c_str(), alone.c_str(), FALSE));
    const std::wstring command = L"/submit spool /journal:journal.txt";
    EXPECT_EQ(RunConsole(command, alone, t.Path()).exitCode, 1u);
    EXPECT_TRUE(StartsPerFile().empty());
    const ConsoleRun retry = RunConsole(command + L" /json", L"", t.Path());
    EXPECT_EQ(retry.exitCode, 0u) << retry.err;
    EXPECT_EQ(StartsPerFile().size(), 1u);
    EXPECT_NE(retry.out.find("\"changed\":true"), std::string::npos) << retry.out;
}

// A job left uncertain says 6 over everything else that the pass then meets: a failure that stops
// it (1) and a report that cannot be written at the end (4), each still said on standard error.
TEST_F(SubmitOnce, AnUncertainJobExitsSixOverAStopAndAnUnwrittenReport)
{
    const std::wstring alone = t / L"alone.com";  // no client beside it
    ASSERT_TRUE(CopyFileW(ConsoleProgram().c_str(), alone.c_str(), FALSE));
    MakeFolders(t / L"late.csv.new");  // where the report's new bytes would go first
    const struct {
        const char* what;
        std::wstring program, switches;
        const char* said;
    } cases[] = {
        {"a client that cannot start", alone, L"", "CreateProcess() error "},
        {"a report that cannot be written", L"", L" /report:late.csv", "; the report went to standard output."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const wchar_t* folder : {L"spool", L"later"})
            RemoveTree(t / folder);
        DeleteFileW((t / L"journal.txt").c_str());
        Jobs(L"spool", 1);
        {
            EnvScope mode(L"VORLATCPW_MODE", L"hang");
            ASSERT_EQ(RunConsole(L"/submit spool /timeout:1 /journal:journal.txt", L"", t.Path()).exitCode, 1u);
        }
        Jobs(L"later", 1);  // after the uncertain one
        const ConsoleRun run = RunConsole(L"/submit spool later /journal:journal.txt" + c.switches, c.program, t.Path());
        EXPECT_EQ(run.exitCode, 6u) << run.err;
        EXPECT_NE(run.err.find("uncertain: it may have been submitted: "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
}

// The fleet guide's procedure for an uncertain job, run as it is written there (its D:\Vorla being
// this test's folder): settled as submitted, the fleet's command line exits 0 and sends nothing;
// settled as not submitted, it sends the job. A job that is no longer uncertain is refused.
TEST_F(SubmitOnce, AnUncertainJobIsSettledAsTheFleetGuideSays)
{
    const char* source = std::getenv("VORLA_SOURCE_DIR");
    ASSERT_TRUE(source);
    const std::string readme = ReadBytes(WindowsPathOfUnix(source) + L"\\docs\\fleet.md");
    const size_t procedure = readme.find("- To settle an uncertain job");
    ASSERT_NE(procedure, std::string::npos);
    std::vector<std::wstring> commands;  // the command lines of the procedure, in order
    for (size_t at = procedure; commands.size() < 2;) {
        at = readme.find("\n  vorlasched ", at);
        ASSERT_NE(at, std::string::npos);
        const size_t end = readme.find('\n', at + 1);
        std::wstring line = FromUtf8(readme.substr(at + 14, end - at - 14));
        for (size_t d; (d = line.find(L"D:\\Vorla")) != std::wstring::npos;)
            line.replace(d, 8, t.Path());
        commands.push_back(line);
        at = end;
    }
    ASSERT_NE(commands[0].find(L"/as:submitted"), std::wstring::npos);
    for (const wchar_t* as : {L"submitted", L"not-submitted"}) {
        SCOPED_TRACE(Utf8(as));
        RemoveTree(t / L"spool");
        DeleteFileW((t / L"journal-20261207.txt").c_str());
        DeleteFileW(log.c_str());
        WriteBytes(t / L"spool\\a\\j_x.prn", "%!PS");
        WriteBytes(t / L"spool\\a\\j_i.pri", "ToDoStr=FWDVORLA\"AB:1:AB_POS1\r\n");
        {
            EnvScope mode(L"VORLATCPW_MODE", L"hang");
            EXPECT_EQ(RunConsole(commands[1].substr(0, commands[1].find(L" /timeout:")) + L" /timeout:1 /journal:" +
                                 t / L"journal-20261207.txt").exitCode, 1u);
        }
        EXPECT_EQ(RunConsole(commands[1]).exitCode, 6u);
        std::wstring settle = commands[0];
        settle.replace(settle.find(L"/as:submitted"), 13, std::wstring(L"/as:") + as);
        const ConsoleRun settled = RunConsole(settle);
        EXPECT_EQ(settled.exitCode, 0u) << settled.err;
        const ConsoleRun retry = RunConsole(commands[1]);
        EXPECT_EQ(retry.exitCode, 0u) << retry.err;
        const bool submitted = std::wstring(as) == L"submitted";
        EXPECT_EQ(ReadClientLog(log).size(), submitted ? 1u : 2u);
        EXPECT_NE(retry.out.find(submitted ? ",settled by hand as submitted at " : ",submitted\r\n"), std::string::npos)
            << retry.out;
        const ConsoleRun again = RunConsole(settle);
        EXPECT_EQ(again.exitCode, 2u);
        EXPECT_NE(again.err.find(" holds submitted earlier: "), std::string::npos) << again.err;
    }
}

// /settle answers only for an uncertain job: a job that the journal never shows as started is
// refused (settled as submitted, it would never be sent), and the next run sends it. The refusal
// of a mistyped /as carries the usage; the refusal of a job does not.
TEST_F(SubmitOnce, OnlyAnUncertainJobIsSettled)
{
    Jobs(L"spool", 1);
    ASSERT_EQ(RunConsole(L"/submit spool /journal:journal.txt", L"", t.Path()).exitCode, 0u);
    WriteBytes(t / L"spool\\late_x.prn", "%!PS");
    WriteBytes(t / L"spool\\late_i.pri", "ToDoStr=FWDVORLA\"AB:1:AB_POS1\r\n");
    const std::wstring settle = L"/settle spool\\late_x.prn /journal:journal.txt /as:";
    const ConsoleRun neverStarted = RunConsole(settle + L"submitted", L"", t.Path());
    EXPECT_EQ(neverStarted.exitCode, 2u) << neverStarted.err;
    EXPECT_EQ(neverStarted.err.find("Usage:"), std::string::npos) << neverStarted.err;
    const ConsoleRun mistyped = RunConsole(settle + L"maybe", L"", t.Path());
    EXPECT_EQ(mistyped.exitCode, 2u);
    EXPECT_NE(mistyped.err.find("\r\nUsage:"), std::string::npos) << mistyped.err;
    EXPECT_EQ(RunConsole(L"/submit spool /journal:journal.txt", L"", t.Path()).exitCode, 0u);
    EXPECT_EQ(StartsPerFile().size(), 2u);
}

// A run that fails exits 1 even when its report then went to standard output: 4 is for a run
// that is otherwise done.
TEST_F(SubmitOnce, AFailureExitsOneOverAReportOnStandardOutput)
{
    const std::wstring alone = t / L"alone.com";  // no client beside it
    ASSERT_TRUE(CopyFileW(ConsoleProgram().c_str(), alone.c_str(), FALSE));
    MakeFolders(t / L"late.csv.new");  // where the report's new bytes would go first
    Jobs(L"spool", 1);
    const ConsoleRun run = RunConsole(L"/submit spool /journal:journal.txt /report:late.csv", alone, t.Path());
    EXPECT_EQ(run.exitCode, 1u) << run.err;
    EXPECT_NE(run.err.find("; the report went to standard output."), std::string::npos) << run.err;
}

// Mistyped switches, whatever their first character, through both programs: exit 2 naming the
// character, and no window (a run that goes on for 10 s is ended with 99). A folder of such a
// name is a path.
TEST(MistypedSwitches, AreRefusedByBothProgramsAndOpenNoWindow)
{
    TempFolder t;
    MakeFolders(t / L"spool");
    const char* binary = std::getenv("VORLA_BINARY_DIR");
    ASSERT_NE(binary, nullptr);
    const std::wstring exe = WindowsPathOfUnix(binary) + L"\\vorlasched.exe";
    const struct {
        const wchar_t* argument;
        const char* named;
        bool alsoExe;  // run through vorlasched.exe too
    } rows[] = {
        {L"\xFF0Fsubmit", "U+FF0F (fullwidth solidus)", true},
        {L"\x2013submit", "U+2013 (en dash)", false},
        {L"\x2014submit", "U+2014 (em dash)", false},
        {L"\x2212submit", "U+2212 (minus sign)", false},
        {L"\x2010submit", "U+2010 (hyphen)", false},
        {L"\x2044submit", "U+2044 (fraction slash)", true},
        {L"\x2215submit", "U+2215 (division slash)", false},
        {L"\xFF0Dsubmit", "U+FF0D (fullwidth hyphen-minus)", false},
        {L"\xFE63submit", "U+FE63 (small hyphen-minus)", false},
        {L"\x2012submit", "U+2012 (figure dash)", false},
        {L"\x00ADsubmit", "U+00AD (soft hyphen, an invisible format character)", true},
        {L"\x200B/submit", "U+200B (zero width space, an invisible format character)", false},
        {L"\xFEFF/submit", "U+FEFF (zero width no-break space, a byte order mark, an invisible", false},
        {L"\x2011submit", "U+2011 (non-breaking hyphen)", false},
        {L"\xFE58submit", "U+FE58 (small em dash)", false},
        {L"\x2796submit", "U+2796 (heavy minus sign)", false},
        {L"\x2E3Asubmit", "U+2E3A (two-em dash)", false},
        {L"\x02D7submit", "U+02D7 (modifier letter minus sign)", false},
        {L"\xFF0F\xFF53\xFF55\xFF42\xFF4D\xFF49\xFF54", "U+FF0F (fullwidth solidus)", false},
        {L"\x2013SUBMIT", "U+2013 (en dash)", false},
        {L"\x2013header:C:\\x.txt", "U+2013 (en dash)", false},
        {L"\x2013sub\x00ADmit", "U+2013 (en dash)", false},  // pasted with a soft hyphen inside the name
        {L"\x29F9submit", "U+29F9, not with", false},  // a character without a name here
    };
    for (const auto& row : rows)
        for (const std::wstring& program : {ConsoleProgram(), exe}) {
            if (program == exe && !row.alsoExe)
                continue;
            SCOPED_TRACE(Utf8(program + L" " + row.argument));
            int asked = 0;
            const ConsoleRun run = RunConsoleKilled(std::wstring(row.argument) + L" spool", t.Path(),
                                                    [&asked] { return ++asked > 1000; }, program);
            EXPECT_EQ(run.exitCode, 2u);
            EXPECT_NE(run.err.find(std::string(" begins with ") + row.named), std::string::npos) << run.err;
        }
    MakeFolders(t / L"\x2013submit");
    WriteBytes(t / L"\x2013submit\\j_x.prn", "%!PS");
    const ConsoleRun run = RunConsole(L"/analyze \x2013submit", L"", t.Path());
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_NE(run.out.find(Utf8(L"\x2013submit\\j_x.prn")), std::string::npos) << run.out;
}

}  // namespace

// A job is known by its file, not by the name that reached it: a hard link and a second drive
// letter to the spool (S:, which scripts/wine-ctest.sh maps to fixtures/second-drive, as a subst
// drive or a second server name reaches a spool) send nothing again, a start that an earlier
// version keyed by its path is still known, and either name settles. A second settle says what
// the journal holds. The spool is reached by Z: and S:, for which Wine gives a file the same
// volume serial (0); C:, which wineboot registers, has a serial of its own (0x43000000), where
// Windows gives the volume's serial whatever letter reaches it.
TEST_F(SubmitOnce, AJobIsKnownByItsFileWhateverNameReachesIt)
{
    const char* binary = std::getenv("VORLA_BINARY_DIR");
    ASSERT_NE(binary, nullptr);
    const std::wstring name = L"known-by-file-" + std::to_wstring(GetCurrentProcessId());
    std::wstring spool = L"Z:" + FromUtf8(std::string(binary) + "/fixtures/second-drive/") + name;  // Z:\ is /
    std::replace(spool.begin(), spool.end(), L'/', L'\\');
    const std::wstring second = L"S:\\" + name, journal = L" /journal:" + t / L"journal.txt";
    const std::string direction = "ToDoStr=FWDVORLA\"AB:1:AB_POS1\r\n";
    for (const wchar_t* job : {L"j0", L"j1", L"j2"}) {
        WriteBytes(spool + L"\\" + job + L"_x.prn", "%!PS");
        WriteBytes(spool + L"\\" + job + L"_i.pri", direction);
    }
    ASSERT_NE(FileAttributes(second + L"\\j0_x.prn"), INVALID_FILE_ATTRIBUTES);
    FileIdentity identity;  // j1 started by an earlier version, which knew it by its path
    WriteBytes(t / L"journal.txt", Utf8(L"2026-12-01T10:00:00Z\tstarted\t" + identity.FileKeyOf(spool + L"\\j1_x.prn") +
                                        L"\t" + spool + L"\\j1_x.prn\n"));
    auto run = [&](const std::wstring& arguments, DWORD exitCode) {
        const ConsoleRun done = RunConsole(arguments + journal, L"", t.Path());
        EXPECT_EQ(done.exitCode, exitCode) << Utf8(arguments) << "\n" << done.err;
        return done;
    };
    run(L"/submit " + spool + L"\\j0_x.prn " + spool + L"\\j1_x.prn", 6);  // j0 sent, j1 uncertain
    ASSERT_TRUE(CreateHardLinkW((spool + L"\\k0_x.prn").c_str(), (spool + L"\\j0_x.prn").c_str(), nullptr));
    WriteBytes(spool + L"\\k0_i.pri", direction);
    EXPECT_NE(run(L"/submit " + spool + L"\\k0_x.prn", 0).out.find(",submitted earlier"), std::string::npos);
    run(L"/settle " + spool + L"\\j1_x.prn /as:not-submitted", 0);
    EXPECT_NE(run(L"/settle " + second + L"\\j1_x.prn /as:submitted", 2).err.find(" holds its start, settled as not submitted at "),
              std::string::npos);
    {
        EnvScope mode(L"VORLATCPW_MODE", L"hang");
        run(L"/submit " + spool + L"\\j2_x.prn /timeout:1", 1);  // j2 uncertain
    }
    run(L"/submit " + second + L"\\j0_x.prn " + second + L"\\k0_x.prn " + second + L"\\j2_x.prn", 6);
    run(L"/settle " + second + L"\\j2_x.prn /as:submitted", 0);
    EXPECT_NE(run(L"/submit " + spool + L"\\j2_x.prn", 0).out.find(",settled by hand as submitted at "), std::string::npos);
    // Two names of one file in one run: the second is the first's job.
    WriteBytes(spool + L"\\j3_x.prn", "%!PS");
    ASSERT_TRUE(CreateHardLinkW((spool + L"\\k3_x.prn").c_str(), (spool + L"\\j3_x.prn").c_str(), nullptr));
    for (const wchar_t* job : {L"j3", L"k3"})
        WriteBytes(spool + L"\\" + job + L"_i.pri", direction);
    run(L"/submit " + spool + L"\\j3_x.prn " + spool + L"\\k3_x.prn", 0);
    EXPECT_EQ(StartsPerFile(), (std::map<std::wstring, int>{
                                   {spool + L"\\j0_x.prn", 1}, {spool + L"\\j2_x.prn", 1}, {spool + L"\\j3_x.prn", 1}}));
    RemoveTree(spool);
}
