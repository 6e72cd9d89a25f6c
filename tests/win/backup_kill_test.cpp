// Kills during the backup: the real vorlasched.com, ended by its process id at many moments of a
// /configure, as a fleet tool's timeout ends it. A backup is whole or absent, and the way back
// (the oldest whole backup) still brings back the machine as it stood before.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/registry.h"
#include "config/backup.h"
#include "config/backup_names.h"
#include "support/branch_machine.h"
#include "support/console_run.h"

namespace {

using namespace machine;

// The branch machine with the barcode font for every process, a header file, and a product key
// with a large value, so that writing its backup takes a good part of the run.
class BranchBackupKills : public testing::Test {
protected:
    void SetUp() override
    {
        font_ = InstallBarcodeFontForEveryProcess(L"vorla-barcode-test.ttf");
        ASSERT_FALSE(font_.empty());
        WriteBytes(header_, Utf8(kHeader));
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kVorlaKey, 0, nullptr, 0, KEY_SET_VALUE | kView, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        const std::vector<BYTE> padding(kPaddingBytes, 0x5A);
        EXPECT_EQ(RegSetValueExW(key, L"Padding", 0, REG_BINARY, padding.data(), kPaddingBytes), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void TearDown() override
    {
        DeleteFileW(font_.c_str());
        ClearBackups();
    }

    std::wstring Configure(const std::wstring& series) const
    {
        return L"/configure /branch:12 /pos:" + series + L" /back:9,10,12 \"/posprinter:" + kPosPrinter +
               L"\" \"/backprinter:" + kBackPrinter + L"\" \"/header:" + header_ + L"\"";
    }
    static std::vector<std::wstring> Backups() { return ListIn(FolderEntries(DefaultBackupFolder())); }
    static std::vector<std::wstring> ListIn(const std::set<std::wstring>& names)
    {
        return {names.begin(), names.end()};
    }
    static void ClearBackups()
    {
        for (const std::wstring& name : Backups())
            DeleteFileW((DefaultBackupFolder() + L"\\" + name).c_str());
    }
    // The files that are no whole backup: temporary files, empty or cut backups.
    static size_t NotWhole()
    {
        size_t count = 0;
        for (const std::wstring& name : Backups())
            count += !ParseBackupFileName(name) || !IsWholeBackup(ReadBytes(DefaultBackupFolder() + L"\\" + name));
        return count;
    }

    static const DWORD kPaddingBytes = 3 << 20;
    BranchMachine machine_;
    TempFolder temp_;
    std::wstring header_ = temp_ / L"header.txt";
    std::wstring font_;
};

size_t Count(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// The moment of a round's kill: the first rounds spread over the whole run (before the backup,
// and among the registry's writes after it); the others a little later each after the backup's
// first file shows in the folder, while it is written, flushed and renamed.
class KillMoment {
public:
    KillMoment(DWORD round, DWORD wholeRun) : round_(round), wholeRun_(wholeRun), start_(GetTickCount()) {}
    bool operator()()
    {
        const DWORD now = GetTickCount();
        if (round_ < kSpread)
            return now - start_ >= wholeRun_ * round_ / kSpread;
        if (!seen_ && !FolderEntries(DefaultBackupFolder()).empty())
            seen_ = now;
        return seen_ && now - seen_ >= (round_ - kSpread) * 3;
    }
    static const DWORD kSpread = 5, kRounds = 14;

private:
    DWORD round_, wholeRun_, start_, seen_ = 0;
};

// Each round starts on the machine before its first configuration, with no backup, kills the
// first /configure, and checks what is left: the backups whole or absent, and after the run that
// mends the machine, no leftover and the way back to the machine as it was.
TEST_F(BranchBackupKills, TheWayBackStaysWholeWhereverARunIsKilled)
{
    ClearBackups();
    const std::vector<RegKeyData> before = ReadKeyTree(kVorlaKey);
    const DWORD started = GetTickCount();
    ASSERT_EQ(RunConsole(Configure(L"1,2,4")).exitCode, 0u);
    const DWORD wholeRun = GetTickCount() - started;
    ASSERT_EQ(RegImport(DefaultBackupFolder() + L"\\" + Backups().front()), 0u);
    for (DWORD round = 0; round < KillMoment::kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ClearBackups();
        RunConsoleKilled(Configure(L"1,2,4"), L"", KillMoment(round, wholeRun));
        for (const std::wstring& name : Backups()) {  // whole, or under a temporary name
            if (ParseBackupFileName(name)) {
                EXPECT_TRUE(IsWholeBackup(ReadBytes(DefaultBackupFolder() + L"\\" + name))) << Utf8(name);
            }
        }
        const size_t left = NotWhole();

        const ConsoleRun mended = RunConsole(Configure(L"1,2,4"));
        EXPECT_EQ(mended.exitCode, 0u) << mended.err;
        EXPECT_EQ(Count(mended.err, "Deleted an unfinished backup"), left) << mended.err;
        EXPECT_EQ(NotWhole(), 0u);
        ASSERT_FALSE(Backups().empty());
        EXPECT_EQ(RegImport(DefaultBackupFolder() + L"\\" + BackupsBeyondNewest(Backups(), 0).back()), 0u);
        EXPECT_TRUE(ReadKeyTree(kVorlaKey) == before);
    }
}

}  // namespace
