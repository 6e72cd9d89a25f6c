// The registry backup against the real registry of the test prefix, restored with the real
// "reg import" as a technician would.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/paths.h"
#include "common/registry.h"
#include "config/backup.h"
#include "config/backup_names.h"
#include "support/branch_machine.h"
#include "support/win_test_support.h"

void PrintTo(const RegKeyData& key, std::ostream* os)
{
    std::wstring text = RegFileText({}, {key});
    *os << Utf8(text.substr(text.find(L'[')));
}

namespace {

void WriteValues(const std::wstring& path, const std::vector<RegValueData>& values)
{
    RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, path);
    for (const RegValueData& v : values)
        ASSERT_EQ(RegSetValueExW(key.Get(), v.name.c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size())),
                  ERROR_SUCCESS);
}

// Each test backs up a key of its own below HKEY_CURRENT_USER, so that they run side by side.
class BackupTest : public testing::Test {
protected:
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, kVorla); }
    void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, kVorla); }
    std::vector<RegKeyData> Tree() const { return ReadKeyTree(kVorla, root.hive); }
    BackupMade Backup(const std::vector<std::wstring>& values, const std::wstring& into) const
    {
        return BackupVorlaKey(values, into, root);
    }

    const ProductRoot root = ScratchProductRoot();
    const std::wstring kVorla = root.key;
    const std::wstring kMaps = root.MapsKey();
    TempFolder folder;
};

}  // namespace

// Text data without its final NUL is left out: Wine's "reg import" appends a NUL to hex(1), hex(2)
// and hex(7) data that lacks one (and a stray byte after odd-length data).
TEST_F(BackupTest, RegImportBringsTheKeyBackAsItStood)
{
    RegValueData expandable = RegTextValue(L"Path", L"%ProgramFiles%\\gs");
    expandable.type = REG_EXPAND_SZ;
    std::vector<uint8_t> blob(100, 0xA5);
    WriteValues(kVorla, {RegTextValue(L"", L"default"), RegTextValue(L"ps2pdf_cmd", L"\"C:\\gs\\gswin32c.exe\" -q"),
                         RegTextValue(L"Κατάστημα", L"Ερμού 1\\Αθήνα"), expandable,
                         RegValueData{L"Blob", REG_BINARY, blob}, RegDwordValue(L"Flags", 0x80000001),
                         RegTextValue(L"Lines", L"a\r\nb"), RegValueData{L"None", REG_NONE, {}},
                         RegValueData{L"InnerNul", REG_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0}},
                         RegValueData{L"Big", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}}});
    for (const wchar_t* map : {L"\\1", L"\\2"}) {
        WriteValues(kMaps + map, {RegTextValue(L"Alias", L"AB_POS"), RegDwordValue(L"LinesPerPage", 54)});
        for (const wchar_t* section : {L"\\Master", L"\\Copy"})
            WriteValues(kMaps + map + section, {RegTextValue(L"Printer", L"Εκτυπωτής \"1\"")});
    }
    std::vector<RegKeyData> before = Tree();
    ASSERT_EQ(before.size(), 8u);
    std::wstring backup = Backup({L"ps2pdf_cmd", L"ps2pdf_params"}, folder.Path()).path;

    DeleteKeyTree(HKEY_CURRENT_USER, kMaps + L"\\2");
    WriteValues(kMaps + L"\\3", {RegDwordValue(L"LinesPerPage", 60)});
    WriteValues(kMaps + L"\\1\\Master", {RegTextValue(L"Printer", L"other")});
    WriteValues(kVorla, {RegTextValue(L"ps2pdf_params", L"added"), RegTextValue(L"ps2pdf_cmd", L"changed")});
    ASSERT_NE(Tree(), before);

    EXPECT_EQ(RegImport(backup), 0u);
    EXPECT_EQ(Tree(), before);
}

TEST_F(BackupTest, RestoreDeletesAVorlaKeyThatWasAbsent)
{
    ASSERT_EQ(Tree(), std::vector<RegKeyData>{});
    std::wstring backup = Backup({L"ps2pdf_cmd"}, folder.Path()).path;
    WriteValues(kVorla, {RegTextValue(L"ps2pdf_cmd", L"gs")});
    WriteValues(kMaps + L"\\1\\Master", {RegDwordValue(L"Copies", 1)});

    EXPECT_EQ(RegImport(backup), 0u);
    EXPECT_FALSE(RegistryKey::Open(HKEY_CURRENT_USER, kVorla, KEY_READ).Valid());
}

// A second run with nothing changed names the first one's backup instead of writing another; the
// newest 20 whole backups stay, and the oldest whole one, the way back to before any
// configuration. What killed runs left (an empty or cut backup, a temporary file) goes, named.
TEST_F(BackupTest, KeepsTheNewest20AndTheOldestNeverOverwritesOneNorWritesOneTwice)
{
    const std::string whole = Utf16FileBytes(L"Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_X]\r\n\r\n");
    std::set<std::wstring> expected = {L"Vorla-notes.reg", L"Vorla-20200101-000000-1.reg"};  // not backups
    for (int second = 0; second < 25; ++second)
        expected.insert(BackupFileName({2020, 1, 1, 0, 0, second}, 1));
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::wstring taken = BackupFileName({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond}, 1);
    expected.insert(taken);
    for (const std::wstring& name : expected)
        WriteBytes(folder / name, whole);
    const std::vector<std::wstring> leftovers = {folder / L"Vorla-20191231-000000.reg",
                                                 folder / L"Vorla-20200101-000003-2.reg",
                                                 folder / BackupTemporaryName(taken)};
    WriteBytes(leftovers[0], "");
    WriteBytes(leftovers[1], whole.substr(0, 50));
    WriteBytes(leftovers[2], whole);
    for (int second = 1; second < 7; ++second)  // beyond the newest 20 after one more, but not the oldest
        expected.erase(BackupFileName({2020, 1, 1, 0, 0, second}, 1));

    BackupMade first = Backup({}, folder.Path());
    BackupMade second = Backup({}, folder.Path());

    EXPECT_TRUE(first.written);
    EXPECT_FALSE(second.written);
    EXPECT_EQ(second.path, first.path);
    EXPECT_EQ(std::set<std::wstring>(first.leftoversRemoved.begin(), first.leftoversRemoved.end()),
              std::set<std::wstring>(leftovers.begin(), leftovers.end()));
    expected.insert(first.path.substr(folder.Path().size() + 1));
    EXPECT_EQ(machine::FolderEntries(folder.Path()), expected);
    EXPECT_EQ(ReadBytes(folder / taken), whole);
}

// Only a newest backup that holds exactly this text is named instead of a new one: a newest one
// that holds less of it, or more, is another backup.
TEST_F(BackupTest, OnlyANewestBackupOfExactlyThisTextIsNamedAgain)
{
    WriteValues(kVorla, {RegTextValue(L"ps2pdf_cmd", L"gs")});
    const std::string text = ReadBytes(Backup({}, folder.Path()).path);
    const struct {
        const char* what;
        std::string newest;
        bool written, kept;
    } rows[] = {
        {"the same text", text, false, true},
        {"a prefix of it, cut", text.substr(0, text.size() - 2), true, false},
        {"it and a blank line more", text + std::string("\r\0\n\0", 4), true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        for (const std::wstring& name : machine::FolderEntries(folder.Path()))
            DeleteFileW((folder / name).c_str());
        const std::wstring newest = folder / BackupFileName({2020, 1, 1, 0, 0, 0}, 1);
        WriteBytes(newest, row.newest);
        const BackupMade made = Backup({}, folder.Path());
        EXPECT_EQ(made.written, row.written);
        EXPECT_EQ(made.path == newest, !row.written);
        EXPECT_EQ(ReadBytes(newest), row.kept ? row.newest : "<missing>");
    }
}

TEST_F(BackupTest, UnwritableFolderFailsNamingTheFileAndMakesNothing)
{
    WriteBytes(folder / L"blocker", "file");
    std::wstring target = folder / L"blocker\\backups";
    // The check that a preview makes fails as the backup itself does.
    const std::function<void(const std::wstring&)> attempts[] = {
        [this](const std::wstring& t) { BackupVorlaKey({L"ps2pdf_cmd"}, t, root); },
        [this](const std::wstring& t) { CheckBackupPossible({L"ps2pdf_cmd"}, t, root); }};
    for (const auto& attempt : attempts) {
        try {
            attempt(target);
            ADD_FAILURE() << "no error";
        } catch (const AppError& e) {
            std::wstring prefix = L"Cannot write backup " + target + L"\\Vorla-";
            EXPECT_EQ(e.Message().substr(0, prefix.size()), prefix);
            EXPECT_EQ(e.Message().substr(prefix.size() + 15), L".reg: error 3");  // after YYYYMMDD-HHMMSS
        }
    }
    EXPECT_EQ(machine::FolderEntries(folder.Path()), std::set<std::wstring>{L"blocker"});
}

TEST_F(BackupTest, UnreadableKeyFailsBeforeAnyFileIsMade)
{
    WriteValues(kMaps + L"\\1\\Master", {RegDwordValue(L"Copies", 1)});
    machine::KeyLocked locked(kMaps + L"\\1", L"D:P", HKEY_CURRENT_USER);  // nobody may read it
    EXPECT_THROW(Backup({}, folder.Path()), AppError);
    EXPECT_EQ(machine::FolderEntries(folder.Path()), std::set<std::wstring>{});
}
