// /analyze and /submit through the real vorlasched.com: what is refused before any job runs, and
// what the stand-in client's log shows of the jobs that were submitted.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "common/fileio.h"
#include "support/console_run.h"
#include "support/win_test_support.h"
#include "win/faults_support.h"

namespace {

// A spool of two forwarded jobs, spool\b1_x.prn and spool\day1\a1_x.prn.
class JobCommands : public testing::Test {
protected:
    void SetUp() override
    {
        for (const wchar_t* job : {L"spool\\b1", L"spool\\day1\\a1"}) {
            WriteBytes(t / job + L"_x.prn", "%!PS");
            WriteBytes(t / job + L"_i.pri", "ToDoStr=FWDVORLA\"AB:1:AB_POS1\r\n");
        }
    }
    // The print files that the stand-in was started for, in order.
    std::vector<std::wstring> Started()
    {
        std::vector<std::wstring> files;
        for (const ClientRun& run : ReadClientLog(log))
            files.push_back(run.args.at(3));
        return files;
    }

    TempFolder t;
    const std::wstring log = t / L"client.log";
    EnvScope logScope{L"VORLATCPW_LOG", log};
};

TEST_F(JobCommands, RefusalsComeBeforeAnyJobAndEachFileIsSubmittedOnce)
{
    MakeFolders(t / L"late.csv.new");  // where the report's new bytes would go first
    const std::vector<std::wstring> both = {t / L"spool\\day1\\a1_x.prn", t / L"spool\\b1_x.prn"};
    struct Case {
        const char* what;
        std::wstring arguments;
        DWORD exitCode;
        std::string errStart;
        std::vector<std::wstring> started;
        const wchar_t* held = nullptr;  // a file that another program holds open meanwhile
        bool usage = false;             // the usage follows the problem (a command line the usage can mend)
        bool deletionOnly = false;      // held by a handle here that lets others read and write it, not delete it
    };
    const Case cases[] = {
        // The command-line parser refuses it too; this row holds whichever refuses first.
        {"a timeout over a week", L"/submit spool /timeout:604801", 2, "vorlasched: /timeout", {}, nullptr, true},
        {"no report folder", L"/submit spool /report:none\\r.csv", 2,
         "vorlasched: Cannot create file " + Utf8(t / L"none\\r.csv") + ", error 3: ", {}},
        {"a report held open", L"/submit spool /report:held.csv", 2,
         "vorlasched: Cannot create file " + Utf8(t / L"held.csv") + ", error 32: ", {}, L"held.csv"},
        {"a report held open against its deletion only", L"/submit spool /report:held.csv", 2,
         "vorlasched: Cannot create file " + Utf8(t / L"held.csv") + ", error 32: ", {}, L"held.csv", false, true},
        {"a report over a print file", L"/submit spool /report:spool\\DAY1\\A1_x.Prn", 2,
         "vorlasched: /report:" + Utf8(t / L"spool\\DAY1\\A1_x.Prn") + " is a print file\r\n", {}},
        {"a missing path", L"/analyze spool nosuch", 2, "vorlasched: nosuch is no file or folder\r\n", {}},
        {"a print file in a missing folder", L"/submit nodir\\x_x.prn", 2,
         "vorlasched: nodir\\x_x.prn is no file or folder\r\n", {}},
        {"a report that names a stream", L"/submit spool /report:r.csv::$DATA", 2,
         "vorlasched: /report:" + Utf8(t / L"r.csv::$DATA") + " names a stream of a file", {}},
        {"a missing header file", L"/check /header:nosuch.txt", 2, "vorlasched: Cannot open file nosuch.txt\r\n", {}},
        {"overlapping paths", L"/submit spool spool\\day1 " + t / L"SPOOL\\DAY1\\a1_x.PRN /report:NUL", 0, "", both},
        {"a report that cannot be written at the end", L"/submit spool /report:late.csv", 4,
         "Cannot create file " + Utf8(t / L"late.csv") + "; the report went to standard output.\r\n", both},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(log.c_str());
        std::optional<FileHolder> holder;
        UniqueFile handle;
        if (c.held) {
            WriteBytes(t / c.held, "kept");
            if (c.deletionOnly) {
                handle.reset(CreateFileW((t / c.held).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
                ASSERT_TRUE(handle);
            } else {
                ASSERT_TRUE(holder.emplace(t / c.held).Holding());
            }
        }
        const ConsoleRun run = RunConsole(c.arguments, L"", t.Path());
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart);
        EXPECT_EQ(c.errStart.empty(), run.err.empty()) << run.err;
        EXPECT_EQ(run.err.find("Usage:") != std::string::npos, c.usage) << run.err;
        if (c.errStart.size() > 2 && c.errStart.substr(c.errStart.size() - 2) == ": ") {  // the system's text follows
            EXPECT_GT(run.err.find('\r'), c.errStart.size() + 2) << run.err;
        }
        EXPECT_EQ(run.out.rfind("\xEF\xBB\xBF" "File,Directions,Result,State\r\n", 0) == 0, c.exitCode == 4);
        EXPECT_EQ(Started(), c.started);
    }
    EXPECT_EQ(ReadBytes(t / L"spool\\day1\\a1_x.prn"), "%!PS");
    EXPECT_EQ(ReadBytes(t / L"held.csv"), "kept");
    EXPECT_FALSE(IsExistingFile(t / L"late.csv"));  // the check that it can be made left nothing
}

}  // namespace
