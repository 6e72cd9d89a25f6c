// Rules of /configure and /upgrade that a fleet tool sees only in what the real vorlasched.com
// writes and exits with, each against a configured branch machine.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "common/registry.h"
#include "config/backup.h"
#include "support/branch_machine.h"
#include "support/console_run.h"

namespace {

using namespace machine;

class BranchFleetRows : public testing::Test {
protected:
    void SetUp() override
    {
        font_ = InstallBarcodeFontForEveryProcess(L"vorla-barcode-rows.ttf");
        ASSERT_FALSE(font_.empty());
        WriteBytes(header_, Utf8(kHeader));
        ASSERT_EQ(RunConsole(Configure(header_)).exitCode, 0u);
    }
    void TearDown() override { DeleteFileW(font_.c_str()); }

    static std::wstring Configure(const std::wstring& header, const std::wstring& more = L"")
    {
        return L"/configure /branch:12 /pos:1,2 /back:9 \"/posprinter:" + std::wstring(kPosPrinter) +
               L"\" \"/backprinter:" + kBackPrinter + L"\" \"/header:" + header + L"\" " + more;
    }

    BranchMachine machine_;
    TempFolder temp_;
    std::wstring header_ = temp_ / L"header.txt";
    std::wstring font_;
};

// A value that the request does not write is deleted from its map key, and the run ends done.
TEST_F(BranchFleetRows, ARunDeletesAValueThatTheRequestNoLongerWrites)
{
    WriteText(MapKey(1, L"Master"), L"Stray", L"left by hand");
    const ConsoleRun run = RunConsole(Configure(header_));
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_FALSE(ReadText(MapKey(1, L"Master"), L"Stray"));
}

// /headercp:utf-8 reads a file that starts with UTF-8's BOM without it: the image's first line
// is the header's first line.
TEST_F(BranchFleetRows, AUtf8HeaderNamedByItsCodePageLosesItsBom)
{
    const std::wstring other = temp_ / L"other.txt", bom = temp_ / L"bom.txt";
    WriteBytes(other, Utf8(L"ΑΛΛΟ: 1\r\n2\r\nΕΔΡΑ: 3\r\n4\r\n5"));
    WriteBytes(bom, "\xEF\xBB\xBF" + Utf8(kHeader));
    ASSERT_EQ(RunConsole(Configure(other)).exitCode, 0u);
    const ConsoleRun preview = RunConsole(Configure(bom, L"/headercp:utf-8 /whatif /json"));
    EXPECT_EQ(preview.exitCode, 0u) << preview.err;
    EXPECT_NE(preview.out.find("\"lines\":[\"" + Utf8(L"ΚΑΤΑΣΤΗΜΑ 12: Ερμού 1") + "\""), std::string::npos)
        << preview.out;
}

// Each failure of an upgrade carries its own code.
TEST_F(BranchFleetRows, AnUpgradeFailsWithTheCodeOfItsFailure)
{
    const std::wstring backups = DefaultBackupFolder();
    const struct {
        const char* code;
        std::function<std::shared_ptr<void>()> arrange;
    } rows[] = {
        {"barcode39-mistyped",
         [] {
             RegistryKey::Open(HKEY_LOCAL_MACHINE, MapKey(1, L"Master"), KEY_SET_VALUE).WriteInteger(L"Barcode39", 7);
             return std::shared_ptr<void>();
         }},
        {"backup-failed",
         [&] {
             DeleteValue(MapKey(1, L"Master"), L"Barcode239");  // so that the upgrade writes
             auto hidden = std::make_shared<Hidden>(backups);
             WriteBytes(backups, "a file where the folder goes");
             return std::shared_ptr<void>(hidden.get(), [hidden, backups](void*) { DeleteFileW(backups.c_str()); });
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        ASSERT_EQ(RunConsole(Configure(header_)).exitCode, 0u);
        std::shared_ptr<void> arranged = row.arrange();
        const ConsoleRun run = RunConsole(L"/upgrade /json");
        EXPECT_EQ(run.exitCode, 1u) << run.err;
        EXPECT_NE(run.out.find("\"code\":\"" + std::string(row.code) + "\""), std::string::npos) << run.out;
    }
}

// A preview's problems come once, after the messages they follow and before the refusal that
// speaks of "the problems above".
TEST_F(BranchFleetRows, ProblemsComeOnceBetweenTheMessagesTheyFollowAndTheRefusal)
{
    DeleteValue(MapKey(1, L"Master"), L"Barcode239");  // so that the upgrade writes
    Hidden picture(machine_.MapFolder(L"001202") + L"\\ab1.bmp");
    const ConsoleRun run = RunConsole(L"/upgrade /whatif");
    EXPECT_EQ(run.exitCode, 1u);
    const size_t message = run.err.find("Nothing was written; the run would end with"),
                 problem = run.err.find("lacks ab1.bmp"), refusal = run.err.find("the problems above");
    EXPECT_LT(message, problem) << run.err;
    EXPECT_LT(problem, refusal) << run.err;
    EXPECT_EQ(run.err.find("lacks ab1.bmp", problem + 1), std::string::npos) << run.err;
}

}  // namespace
