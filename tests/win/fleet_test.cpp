// The command line through the real vorlasched.com, started as a fleet tool starts it: standard
// output and error redirected to files, the exit code read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include <commctrl.h>

#include "app/TMainForm.h"
#include "common/reg_text.h"
#include "common/window.h"
#include "jobs/report.h"
#include "common/registry.h"
#include "config/backup.h"
#include "config/backup_names.h"
#include "config/configure.h"
#include "config/converge.h"
#include "common/text.h"
#include "common/utf.h"
#include "support/branch_machine.h"
#include "support/console_run.h"

namespace {

using namespace machine;

// The backup a run names: its last line of standard output.
std::wstring BackupNamed(const ConsoleRun& run)
{
    const size_t end = run.out.rfind("\r\n");
    const size_t start = run.out.rfind("\r\n", end == 0 || end == std::string::npos ? 0 : end - 1);
    return FromUtf8(run.out.substr(start == std::string::npos ? 0 : start + 2, end - (start == std::string::npos ? 0 : start + 2)));
}

// Every file and folder below the folder, with the files' bytes and last-write times.
std::map<std::wstring, std::string> Snapshot(const std::wstring& folder)
{
    std::map<std::wstring, std::string> entries;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::wstring name = entry.cFileName, path = folder + L"\\" + name;
        if (name == L"." || name == L"..")
            continue;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            entries[path] = ReadBytes(path) + "@" + std::to_string(entry.ftLastWriteTime.dwLowDateTime);
            continue;
        }
        entries[path + L"\\"] = "";
        for (auto& inner : Snapshot(path))
            entries.insert(inner);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return entries;
}

// The branch machine with the barcode font installed for every process (the fixture loads it
// for this one only), and a header file.
class BranchFleetTest : public testing::Test {
protected:
    void SetUp() override
    {
        font_ = InstallBarcodeFontForEveryProcess(L"vorla-barcode-test.ttf");
        ASSERT_FALSE(font_.empty());
        WriteBytes(header_, Utf8(kHeader));
    }
    void TearDown() override { DeleteFileW(font_.c_str()); }

    std::wstring Configure(const std::wstring& series, const std::wstring& more = L"")
    {
        return L"/configure /branch:12 /pos:" + series + L" /back:9,10,12 \"/posprinter:" + kPosPrinter +
               L"\" -BackPrinter:\"" + kBackPrinter + L"\" \"/header:" + header_ + L"\" " + more;
    }
    static std::vector<RegKeyData> Vorla() { return ReadKeyTree(kVorlaKey); }

    BranchMachine machine_;
    TempFolder temp_;
    std::wstring header_ = temp_ / L"header ΑΒΓ.txt";
    std::wstring font_;
};

TEST_F(BranchFleetTest, ConfigureWritesWhatTheDialogWritesAndPrintsItsBackup)
{
    ConfigSession session;
    ASSERT_EQ(session.RunOk().messages, std::vector<std::wstring>{kDone});
    const std::vector<RegKeyData> dialog = Vorla();
    DeleteTree(L"SOFTWARE\\Kelvane", L"Vorla");

    ConsoleRun run = RunConsole(Configure(L"1,2,4"));
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.err, "");  // success goes to standard output, with the backup's path
    EXPECT_EQ(Vorla(), dialog);
    // The key stood as before the dialog's run: that run's backup, the newest, is named again.
    const std::set<std::wstring> names = FolderEntries(DefaultBackupFolder());
    const std::wstring newest = BackupsBeyondNewest({names.begin(), names.end()}, 0).front();
    EXPECT_EQ(run.out, Utf8(kDone) + "\r\n" + Utf8(DefaultBackupFolder() + L"\\" + newest) + "\r\n");
}

TEST_F(BranchFleetTest, WhatIfPrintsTheRunAndChangesNothing)
{
    ASSERT_EQ(RunConsole(Configure(L"1,2")).exitCode, 0u);
    HKEY map = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, MapKey(2).c_str(), 0, KEY_SET_VALUE | kView, &map), ERROR_SUCCESS);
    RegDeleteValueW(map, L"SaveImage");
    RegCloseKey(map);
    const std::vector<RegKeyData> registry = Vorla();
    const std::map<std::wstring, std::string> files = Snapshot(machine_.installDir);
    const std::map<std::wstring, std::string> backups = Snapshot(DefaultBackupFolder());

    ConsoleRun configure = RunConsole(Configure(L"1,7", L"/whatif"));
    EXPECT_EQ(configure.exitCode, 0u);
    EXPECT_EQ(configure.out.rfind("Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\2]\r\n", 0), 0u);
    EXPECT_EQ(configure.out.find("[-"), std::string::npos) << "a map that changes is written in place";
    EXPECT_NE(configure.out.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\2\\Copy]"), std::string::npos);
    EXPECT_NE(configure.out.find("; folder " + Utf8(machine_.MapFolder(L"001207"))), std::string::npos);
    EXPECT_EQ(configure.out.find("; folder " + Utf8(machine_.MapFolder(L"001201"))), std::string::npos);

    ConsoleRun upgrade = RunConsole(L"/upgrade /whatif");
    EXPECT_EQ(upgrade.exitCode, 0u);
    EXPECT_EQ(upgrade.out, "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" + Utf8(MapKey(2)) +
                               "]\r\n\"SaveImage\"=dword:00000000\r\n\r\n");
    EXPECT_EQ(upgrade.err, "Nothing was written; the run would end with: Done!\r\n");

    EXPECT_EQ(Vorla(), registry);
    EXPECT_TRUE(Snapshot(machine_.installDir) == files);
    EXPECT_TRUE(Snapshot(DefaultBackupFolder()) == backups);
}

TEST_F(BranchFleetTest, FailuresEndWithTheirExitCode)
{
    const std::wstring stray = temp_ / L"stray.txt", surrogate = temp_ / L"surrogate.txt", ansi = temp_ / L"ansi.txt";
    const auto withHeader = [this](const std::wstring& file, const std::wstring& more = L"") {
        return Configure(L"1", more).replace(Configure(L"1", more).find(header_), header_.size(), file);
    };
    struct Case {
        const char* what;
        std::wstring arguments;
        DWORD exitCode;
        std::string errStart;
    };
    const Case cases[] = {
        {"a check",
         L"/configure /branch:12 /pos:1 /back:9 \"/posprinter:No Such Printer\" /backprinter:x /backunc: \"/header:" +
             header_ + L"\"",
         1,
         Utf8(L"Δεν δηλώσατε UNC path (BackOffice). Η εγκατάσταση θα προχωρήσει χωρίς αυτό!\r\n"
              L"Πρέπει να επιλέξετε εκτυπωτή POS πρώτα!\r\n")},
        {"an unknown switch", L"/upgrade /bogus:1", 2, "vorlasched: unknown switch /bogus:1\r\nUsage:"},
        {"no header file", L"/configure /branch:1 /pos:1 /back:1 /posprinter:a /backprinter:b /header:C:\\none.txt", 2,
         "vorlasched: Cannot open file C:\\none.txt\r\n"},  // no usage: it would not help
        {"no maps to upgrade", L"/upgrade", 1, "Failed to open SOFTWARE\\Kelvane\\Vorla\\maps\r\n"},
        {"a mistyped series list", Configure(L"1,,2"), 2, "vorlasched: /pos: item 2 \"\" is empty\r\n"},
        {"/check with a number in both lists", L"/check /branch:12 /pos:1,9 /back:9 /posprinter:a /backprinter:b", 2,
         "vorlasched: /back: item 1 \"9\" is also in /pos:\r\n"},
        {"a UTF-8 header with a stray byte", Configure(L"1").replace(Configure(L"1").find(header_), header_.size(), stray),
         2, Utf8(L"vorlasched: /header:" + stray + L": the file holds UTF-8 text, but its byte 0xE9 at offset 12 is")},
        {"a code page that the machine does not have", Configure(L"1", L"/headercp:99"), 2,
         "vorlasched: /headercp:99: this machine has no code page 99\r\n"},
        {"a UTF-16 header with a lone surrogate",
         Configure(L"1").replace(Configure(L"1").find(header_), header_.size(), surrogate), 2,
         Utf8(L"vorlasched: /header:" + surrogate + L": the UTF-16 file has a lone surrogate 0xD800 at offset 4")},
        // A byte that the code page leaves undefined is named, never dropped: 0x81 in 1252 and 1253
        // alike (the ANSI code page of either machine), 0xAA in 1253 and in US-ASCII.
        {"an ANSI header with a byte the code page leaves undefined", withHeader(ansi), 2,
         Utf8(L"vorlasched: /header:" + ansi + L": its byte 0x81 at offset 3 is no character in code page ")},
        {"a byte that /headercp:1253 leaves undefined", withHeader(ansi, L"/headercp:1253"), 2,
         Utf8(L"vorlasched: /header:" + ansi + L": its byte 0x81 at offset 3 is no character in code page 1253 (/headercp:1253)")},
        {"a byte above 0x7F in US-ASCII", withHeader(ansi, L"/headercp:20127"), 2,
         Utf8(L"vorlasched: /header:" + ansi + L": its byte 0xC1 at offset 0 is no character in code page 20127")},
    };
    WriteBytes(ansi, "\xC1\xE2\xE3\x81\r\n2\r\n3\r\n4\r\n5");
    WriteBytes(stray, "\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9 1\r\n\xE9\r\n3\r\n4\r\n5");
    WriteBytes(surrogate, std::string("\xFF\xFEx\0\0\xD8y\0", 8));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ConsoleRun run = RunConsole(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.err.substr(0, c.errStart.size()), c.errStart);
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(KeyExists(kVorlaKey));
    }
}

// What a fleet tool sees: one row per rule of the contract, each against a configured machine.
// A preview that fails leaves the registry and the disk exactly as they were.
TEST_F(BranchFleetTest, ExitCodesTellTheTruthAndPreviewsFailWhereTheRunFails)
{
    ASSERT_EQ(RunConsole(Configure(L"1,2")).exitCode, 0u);
    const std::wstring otherHeader = temp_ / L"other.txt";
    WriteBytes(otherHeader, Utf8(L"ΑΛΛΟ: 1\r\n2\r\nΕΔΡΑ: 3\r\n4\r\n5"));
    const std::wstring backups = DefaultBackupFolder();
    const std::wstring undef = L"c:\\kelvane\\undef.txt";
    CreateDirectoryW(L"c:\\kelvane", nullptr);
    struct Row {
        const char* what;
        std::function<std::shared_ptr<void>()> arrange;
        std::wstring arguments;
        DWORD exitCode;
        std::string errHas;
        bool changesNothing;
    };
    auto none = [] { return std::shared_ptr<void>(); };
    const std::wstring emptySeries = L"/configure /branch:12 /pos: /back: /posprinter:\"" + std::wstring(kPosPrinter) +
                                     L"\" /backprinter:\"" + kBackPrinter + L"\" \"/header:" + header_ + L"\"";
    auto fileForFolder = [&] {
        const std::wstring file = machine_.MapFolder(L"001207");
        WriteBytes(file, "a file where the map folder goes");
        return std::shared_ptr<void>(nullptr, [file](void*) { DeleteFileW(file.c_str()); });
    };
    // Map 1 as before an upgrade (its Master without Barcode239), so that the upgrade writes there.
    auto notUpgraded = [] { DeleteValue(MapKey(1, L"Master"), L"Barcode239"); };
    auto notUpgradedAndReadOnly = [=] {
        notUpgraded();
        return std::shared_ptr<void>(std::make_shared<KeyLocked>(MapKey(1, L"Master")));
    };
    auto lackingAPicture = [this] {
        return std::shared_ptr<void>(std::make_shared<Hidden>(machine_.MapFolder(L"001202") + L"\\ab1.bmp"));
    };
    auto notUpgradedLackingAPicture = [=] {
        notUpgraded();
        return lackingAPicture();
    };
    const std::wstring request = L"/branch:12 /pos:1,2 /back:9,10,12 \"/posprinter:pos receipt printer\" "
                                 L"\"/backprinter:BACK OFFICE LASER\"";
    const Row rows[] = {
        {"empty series are refused", none, emptySeries, 1, "\\maps is missing\r\nNothing was written", true},
        {"a file where a map folder goes: the preview", fileForFolder, Configure(L"1,7", L"/whatif"), 1,
         "names no file: " + Utf8(machine_.MapFolder(L"001207")), true},
        {"a file where a map folder goes: the run", fileForFolder, Configure(L"1,7"), 1, "Nothing was written", true},
        {"a held address.bmp keeps the old image",
         [&] {
             HANDLE held = CreateFileW((machine_.MapFolder(L"001201") + L"\\address.bmp").c_str(), GENERIC_READ, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
             return std::shared_ptr<void>(held, CloseHandle);
         },
         Configure(L"1,2").replace(Configure(L"1,2").find(header_), header_.size(), otherHeader), 1,
         "address.bmp differs from the image of this header", true},
        {"no Ghostscript", [&] { return std::make_shared<Hidden>(machine_.ghostscript); }, Configure(L"1,2"), 1,
         Utf8(L"Πρέπει να εγκαταστήσετε το GhostScript 9.0 πρώτα!"), true},
        {"check matches printers in any letter case", none, L"/check " + request, 0, "", true},
        {"check with the header of the run", none, L"/check \"/header:" + header_ + L"\"", 0, "", true},
        {"check with another header", none, L"/check \"/header:" + otherHeader + L"\"", 1, "", true},
        {"preview of a change of a map whose key is read-only",
         [] { return std::make_shared<KeyLocked>(MapKey(2)); }, Configure(L"1,7", L"/whatif"), 1,
         "Failed to set data for 'Alias'", true},
        {"the maps key read-only does not stop a change of its maps",
         [] { return std::make_shared<KeyLocked>(kMapsKey); }, Configure(L"1,7", L"/whatif"), 0, "", true},
        {"preview of the removal of a map whose key is read-only",
         [] { return std::make_shared<KeyLocked>(MapKey(5)); }, Configure(L"1", L"/whatif"), 1,
         "Failed to delete key '5'", true},
        {"an upgrade with nothing to change, a map folder lacking a file", lackingAPicture, L"/upgrade /force", 3,
         "lacks ab1.bmp", true},
        {"preview of an upgrade with a map key read-only", notUpgradedAndReadOnly,
         L"/upgrade /whatif", 1, "Failed to open " + Utf8(MapKey(1, L"Master")), false},
        {"an upgrade that leaves a map folder lacking a file: the preview", notUpgradedLackingAPicture, L"/upgrade /whatif",
         1, "lacks ab1.bmp", false},
        {"the same preview with /force", notUpgradedLackingAPicture, L"/upgrade /whatif /force", 3, "lacks ab1.bmp",
         false},
        {"an upgrade that leaves a map folder lacking a file: the run refuses", notUpgradedLackingAPicture, L"/upgrade", 1,
         "Nothing was written", false},
        {"an upgrade that leaves a map folder lacking a file: the run with /force", notUpgradedLackingAPicture,
         L"/upgrade /force", 3, "lacks ab1.bmp", false},
        {"preview with the backups folder blocked",
         [&] {
             auto hidden = std::make_shared<Hidden>(backups);
             WriteBytes(backups, "a file where the folder goes");
             return std::shared_ptr<void>(hidden.get(), [hidden, backups](void*) { DeleteFileW(backups.c_str()); });
         },
         Configure(L"1,7", L"/whatif"), 1, "Cannot write backup " + Utf8(backups), true},
        {"preview with the product key read-only and a product value to write",
         [] {
             DeleteValue(kVorlaKey, L"ps2pdf_params");
             return std::make_shared<KeyLocked>(kVorlaKey);
         },
         Configure(L"1,7", L"/whatif"), 1, "Failed to set data for 'ps2pdf_params'", false},
        {"empty series with /force leave no map", none, emptySeries + L" /force", 3, "\\maps is missing", false},
        {"a Greek header saved in the ANSI code page", none,
         Configure(L"1,2").replace(Configure(L"1,2").find(header_), header_.size(), temp_ / L"ansi.txt"), 0, "", false},
        {"a Greek header in the code page that /headercp names", none,
         Configure(L"1,2", L"/headercp:1253").replace(Configure(L"1,2").find(header_), header_.size(), temp_ / L"ansi.txt"),
         0, "", false},
        {"big-endian header", none,
         Configure(L"1,2").replace(Configure(L"1,2").find(header_), header_.size(), temp_ / L"be.txt"), 0, "", false},
    };
    // «ΤΟ ΣΤΈΚΙ» Ο.Ε. and ΟΔΌΣ ΑΘΗΝΆΣ 12 in code page 1253: "ΤΈ" and "Ι»" are UTF-8 sequences too.
    WriteBytes(temp_ / L"ansi.txt", "\xAB\xD4\xCF \xD3\xD4\xB8\xCA\xC9\xBB \xCF.\xC5.\r\n\xCF\xC4\xBC\xD3 \xC1\xC8\xC7\xCD\xA2\xD3 12\r\n3\r\n4\r\n5");
    std::wstring be = L"\xFEFF" + std::wstring(kHeader);
    std::string beBytes;
    for (wchar_t c : be)
        beBytes += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    WriteBytes(temp_ / L"be.txt", beBytes);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WriteBytes(undef, "b\r\na\r\na\r\n");
        const std::vector<RegKeyData> registry = Vorla();
        const std::map<std::wstring, std::string> files = Snapshot(machine_.installDir);
        ConsoleRun run, preview;
        const bool writes = (row.arguments.rfind(L"/configure", 0) == 0 || row.arguments.rfind(L"/upgrade", 0) == 0) &&
                            row.arguments.find(L"/whatif") == std::wstring::npos;
        {
            std::shared_ptr<void> arranged = row.arrange();
            if (writes)  // first its preview, on the same machine: it exits as the run then does
                preview = RunConsole(row.arguments + L" /whatif");
            run = RunConsole(row.arguments);
        }
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err;
        if (writes) {
            EXPECT_EQ(preview.exitCode, run.exitCode) << preview.err;
        }
        EXPECT_NE(run.err.find(row.errHas), std::string::npos) << run.err;
        if (row.changesNothing) {
            EXPECT_EQ(Vorla(), registry);
            EXPECT_TRUE(Snapshot(machine_.installDir) == files);
        }
        const bool readsOnly =
            row.arguments.find(L"/whatif") != std::wstring::npos || row.arguments.rfind(L"/check", 0) == 0;
        if (readsOnly || row.changesNothing) {
            EXPECT_EQ(ReadBytes(undef), "b\r\na\r\na\r\n");  // not even the exit tidy
        }
    }
    DeleteFileW(undef.c_str());

    // Nothing changed since the last run: no second backup, the newest one is named.
    ConsoleRun first = RunConsole(Configure(L"1,2"));
    ConsoleRun again = RunConsole(Configure(L"1,2"));
    EXPECT_EQ(BackupNamed(again), BackupNamed(first));

    // A Greek preview written to a file is imported back exactly.
    const std::wstring preview = temp_ / L"preview.reg";
    ASSERT_EQ(RunConsole(Configure(L"1", L"\"/posunc:\\\\srv\\Αρχεία\\POS\" \"/whatif:" + preview + L"\"")).exitCode, 0u);
    ASSERT_EQ(RegImport(preview), 0u);
    RegistryKey copy = RegistryKey::Open(HKEY_LOCAL_MACHINE, MapKey(1, L"Copy"), KEY_READ);
    EXPECT_EQ(copy.ReadString(L"PrnOutDir"), L"\\\\srv\\Αρχεία\\POS");
}

// Configure A, configure B, then the backup that B's run made brings back exactly A.
TEST_F(BranchFleetTest, BackupOfARunBringsBackWhatWasThere)
{
    ASSERT_EQ(RunConsole(Configure(L"1,2,4")).exitCode, 0u);
    const std::vector<RegKeyData> first = Vorla();
    ConsoleRun second = RunConsole(Configure(L"7", L"/backunc:\\\\other\\B"));
    ASSERT_EQ(second.exitCode, 0u);
    ASSERT_NE(Vorla(), first);

    const std::wstring backup = BackupNamed(second);
    ASSERT_EQ(RegImport(backup), 0u);
    EXPECT_EQ(Vorla(), first);
}

}  // namespace

namespace {

// Each case configures the machine, takes one thing away, and expects /check to name it.
TEST_F(BranchFleetTest, CheckNamesWhatIsBrokenAndNothingOnAWholeMachine)
{
    ASSERT_EQ(RunConsole(Configure(L"1,2,4")).exitCode, 0u);
    ConsoleRun clean = RunConsole(L"/check");
    EXPECT_EQ(clean.exitCode, 0u);
    EXPECT_EQ(clean.out + clean.err, "");

    const std::wstring vorla = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla";
    const std::wstring map1 = vorla + L"\\maps\\1";
    auto deleteValue = [](const std::wstring& key, const wchar_t* name) {
        HKEY k = nullptr;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE | kView, &k);
        EXPECT_EQ(RegDeleteValueW(k, name), ERROR_SUCCESS);
        RegCloseKey(k);
    };
    struct Case {
        const char* what;
        std::function<void()> breakIt, mendIt;
        std::wstring line;
    };
    const std::wstring folder = machine_.MapFolder(L"001201");
    const Case cases[] = {
        {"product value", [&] { deleteValue(kVorlaKey, L"ps2pdf_params"); }, [] {},
         vorla + L": ps2pdf_params is missing"},
        {"Ghostscript", [&] { MoveFileW(machine_.ghostscript.c_str(), (machine_.ghostscript + L".x").c_str()); },
         [&] { MoveFileW((machine_.ghostscript + L".x").c_str(), machine_.ghostscript.c_str()); },
         vorla + L": ps2pdf_cmd names no file: " + machine_.ghostscript},
        {"maps", [] { DeleteTree(kVorlaKey, L"maps"); }, [] {}, vorla + L"\\maps is missing"},
        {"value type", [&] { HKEY k = nullptr; DWORD one = 1;
             RegOpenKeyExW(HKEY_LOCAL_MACHINE, MapKey(1).c_str(), 0, KEY_SET_VALUE | kView, &k);
             RegSetValueExW(k, L"Alias", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
             RegCloseKey(k); }, [] {}, map1 + L": Alias is REG_DWORD, not REG_SZ"},
        {"picture", [&] { DeleteFileW((folder + L"\\address.bmp").c_str()); }, [] {},
         map1 + L": the map folder " + folder + L" lacks address.bmp"},
        {"form", [&] { DeleteFileW((folder + L"\\ab_POS.xml").c_str()); }, [] {},
         map1 + L"\\Master: XmlFile names no file: " + folder + L"\\ab_POS.xml"},
        {"printer", [] { RemovePrinter(kPosPrinter); }, [] { AddPrinter(kPosPrinter); },
         map1 + L"\\Master: Printer names a printer this machine does not have: " + kPosPrinter},
        {"font", [&] { DeleteFileW(font_.c_str()); },
         [&] { CopyFileW((ProgramFolder() + L"\\config_form\\barcode.ttf").c_str(), font_.c_str(), FALSE); },
         L"The barcode font Free 3 of 9 Extended is not installed"},
        {"upgrade", [&] { deleteValue(MapKey(1, L"Copy"), L"Barcode239"); }, [] {},
         map1 + L"\\Copy: Barcode239 is missing (the upgrade writes it: run /upgrade)"},
        {"section", [] { DeleteTree(MapKey(1), L"Copy"); }, [] {}, map1 + L"\\Copy is missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(RunConsole(Configure(L"1,2,4")).exitCode, 0u);
        c.breakIt();
        ConsoleRun run = RunConsole(L"/check");
        c.mendIt();
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_NE(run.out.find(Utf8(c.line) + "\r\n"), std::string::npos) << run.out;
    }
}

// The last write time of a key, 0 when it cannot be opened.
unsigned long long LastWrite(const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | kView, &key) != ERROR_SUCCESS)
        return 0;
    FILETIME time{};
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &time);
    RegCloseKey(key);
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Vorla reads the maps without the lock: while one BACK series is taken away, a reader that
// polls the POS maps never finds one missing, and they keep their last write times.
TEST_F(BranchFleetTest, RemovingOneSeriesLeavesTheOtherMapsAlone)
{
    ASSERT_EQ(RunConsole(Configure(L"1,2,4")).exitCode, 0u);
    std::vector<unsigned long long> times;
    for (int n = 1; n <= 3; ++n)
        for (const wchar_t* section : {static_cast<const wchar_t*>(nullptr), L"Master", L"Copy"})
            times.push_back(LastWrite(MapKey(n, section)));
    Sleep(50);  // a rewrite would show as a later time
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0}, missing{0};
    std::thread poller([&] {
        while (!stop) {
            for (int n = 1; n <= 3; ++n)
                missing += LastWrite(MapKey(n, L"Master")) == 0 ? 1 : 0;
            ++reads;
        }
    });
    const std::wstring oneLess = Configure(L"1,2,4");
    ConsoleRun run = RunConsole(oneLess.substr(0, oneLess.find(L"/back:9,10,12")) + L"/back:9,10" +
                                oneLess.substr(oneLess.find(L"/back:9,10,12") + 13) + L" /json");
    stop = true;
    poller.join();
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(missing.load(), 0);
    std::vector<unsigned long long> after;
    for (int n = 1; n <= 3; ++n)
        for (const wchar_t* section : {static_cast<const wchar_t*>(nullptr), L"Master", L"Copy"})
            after.push_back(LastWrite(MapKey(n, section)));
    EXPECT_EQ(after, times);
    EXPECT_EQ(LastWrite(MapKey(6)), 0u);
    std::string removed = "HKEY_LOCAL_MACHINE\\" + Utf8(MapKey(6)), escaped;
    for (char c : removed)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    // The one change, nothing else is written; the map that goes shows what it held.
    EXPECT_NE(run.out.find("\"changes\":[{\"target\":\"key\",\"action\":\"removed\",\"path\":\"" + escaped +
                           "\",\"before\":{\"values\":{\"Alias\":{\"type\":\"REG_SZ\",\"data\":\"AB_BACK12\"}"),
              std::string::npos) << run.out;
    EXPECT_NE(run.out.find("}},\"subkeys\":{\"Copy\":{\"values\":{"), std::string::npos);
    EXPECT_NE(run.out.find("\"after\":null}]"), std::string::npos);
    EXPECT_EQ(run.out.find("\"target\"", run.out.find("\"target\"") + 1), std::string::npos);
}

// /show answers with the switches of the /configure that left the branch; handed back to
// /configure, they change nothing.
TEST_F(BranchFleetTest, ShowGivesBackTheRequestThatConfiguredTheBranch)
{
    struct Row {
        const wchar_t *pos, *back, *shownPos;
    };
    for (const Row& row : {Row{L"1,2,4", L"9,10,12", L"1,2,4"}, Row{L"05", L"7", L"5"}}) {
        SCOPED_TRACE(Utf8(row.pos));
        const std::wstring header = L" \"/header:" + header_ + L"\"";
        ASSERT_EQ(RunConsole(L"/configure /branch:0012 /pos:" + std::wstring(row.pos) + L" /back:" + row.back +
                             L" \"/posprinter:" + kPosPrinter + L"\" \"/backprinter:" + kBackPrinter +
                             L"\" \"/posunc:\\\\fs\\Α Β\"" + header)
                      .exitCode,
                  0u);
        const ConsoleRun shown = RunConsole(L"/show");
        ASSERT_EQ(shown.exitCode, 0u) << shown.err;
        const std::string start = Utf8(L"/branch:12\r\n/pos:" + std::wstring(row.shownPos) + L"\r\n/back:" + row.back +
                                       L"\r\n\"/posprinter:" + kPosPrinter + L"\"\r\n\"/backprinter:" + kBackPrinter +
                                       L"\"\r\n\"/posunc:\\\\fs\\Α Β\"\r\n/backunc:" + kDefaultUncBack + L"\r\n");
        EXPECT_EQ(shown.out, start);
        std::wstring again = L"/configure";
        for (const std::wstring& line : SplitList(WideOfUtf8Lossy(shown.out), L"\n"))
            again += line.empty() ? L"" : L" " + line.substr(0, line.size() - 1);
        const ConsoleRun unchanged = RunConsole(again + header);
        EXPECT_EQ(unchanged.exitCode, 0u) << unchanged.err;
        EXPECT_NE(unchanged.out.find(Utf8(kNothingChanged)), std::string::npos) << unchanged.out;
    }
    EXPECT_NE(RunConsole(L"/show /json").out.find("\"request\":{\"branch\":\"12\",\"pos\":\"5\",\"back\":\"7\","),
              std::string::npos);
    DeleteTree(MapKey(2), L"Copy");
    const ConsoleRun broken = RunConsole(L"/show");
    EXPECT_EQ(broken.exitCode, 1u);
    EXPECT_EQ(broken.out, "");
    EXPECT_NE(broken.err.find(Utf8(MapKey(2)) + " is not a map that a request writes"), std::string::npos) << broken.err;
}

TEST_F(BranchFleetTest, CheckWithARequestNamesEveryDifference)
{
    ASSERT_EQ(RunConsole(Configure(L"1,2,4")).exitCode, 0u);
    const std::wstring request = L" /branch:12 /back:9,10,12 \"/posprinter:" + std::wstring(kPosPrinter) +
                                 L"\" \"/backprinter:" + kBackPrinter + L"\"";
    EXPECT_EQ(RunConsole(L"/check /pos:1,2,4" + request).exitCode, 0u);
    ConsoleRun run = RunConsole(L"/check /pos:1,2,5" + request);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out.rfind("HKEY_LOCAL_MACHINE\\" + Utf8(MapKey(3)) +
                                ": Alias is \"AB_POS4\"; /configure with these switches would write \"AB_POS5\"\r\n", 0), 0u);
    EXPECT_NE(run.out.find(Utf8(MapKey(3, L"Copy")) + ": PrnExType is \"psa;1;001204\"; /configure with these "
                           "switches would write \"psa;1;001205\"\r\n"), std::string::npos) << "not only the first";
    EXPECT_EQ(RunConsole(L"/check /pos:1").exitCode, 2u);
}

}  // namespace

namespace {

// A spool: two forwarded jobs in a folder (one below), one loose job with a comma in its name.
struct Spool {
    Spool()
    {
        Job(L"spool\\j1_x.prn", "AB_POS1");
        Job(L"spool\\sub\\j2_x.prn", "AB_BACK9");
        Job(L"loose, 3_x.prn", "CENTRAL");
    }
    void Job(const std::wstring& relative, const char* destination)
    {
        WriteBytes(t / relative, "%!PS");
        const std::wstring info = (t / relative).substr(0, (t / relative).size() - 6) + L"_i.pri";
        WriteBytes(info, std::string("ToDoStr=FWDVORLA\"AB:1:") + destination + "\r\n");
    }
    // The report line of a job that was not submitted, or that the stand-in echoed.
    std::string Line(const std::wstring& relative, const std::wstring& direction, bool echoed,
                     const char* state) const
    {
        const std::wstring path = t / relative;
        const std::wstring answer = L"received: localhost:20004 -i" + direction + L" " + path;
        return Utf8(CsvField(path) + L"," + direction + L"," + (echoed ? CsvField(answer) : L"")) + "," + state + "\r\n";
    }
    // The report when every job was submitted (echoed), or none (the first stoppedFirst).
    std::string Report(bool echoed, bool stoppedFirst = false) const
    {
        const char* state = echoed ? "submitted" : "not submitted";
        return "\xEF\xBB\xBF" "File,Directions,Result,State\r\n" +
               Line(L"spool\\sub\\j2_x.prn", L"AB_BACK9_COPY", echoed, stoppedFirst ? "stopped here" : state) +
               Line(L"spool\\j1_x.prn", L"AB_POS1_COPY", echoed, state) +
               Line(L"loose, 3_x.prn", L"CENTRAL_COPY", echoed, state);
    }
    TempFolder t;
};

TEST(CommandLineJobs, SubmitReportsEveryRowAsTheListHoldsIt)
{
    Spool spool;
    ConsoleRun run = RunConsole(L"/submit spool \"loose, 3_x.prn\" /report:report.csv", L"", spool.t.Path());
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out + run.err, "");
    EXPECT_EQ(ReadBytes(spool.t / L"report.csv"), spool.Report(true));

    ConsoleRun analyze = RunConsole(L"/analyze spool \"loose, 3_x.prn\"", L"", spool.t.Path());
    EXPECT_EQ(analyze.exitCode, 0u);
    EXPECT_EQ(analyze.out, spool.Report(false));
}

TEST(CommandLineJobs, AFailureStopsThePassAndTheReportStillListsEveryRow)
{
    Spool spool;
    // Without the client beside it (nor in its folder) the first job cannot start.
    const std::wstring alone = spool.t / L"alone.com";
    ASSERT_TRUE(CopyFileW(ConsoleProgram().c_str(), alone.c_str(), FALSE));
    ConsoleRun missing = RunConsole(L"/submit spool \"loose, 3_x.prn\"", alone, spool.t.Path());
    EXPECT_EQ(missing.exitCode, 1u);
    EXPECT_EQ(missing.err.rfind("CreateProcess() error 2: ", 0), 0u) << missing.err;
    EXPECT_EQ(missing.out, spool.Report(false, true));

    // A client that never ends is ended when the timeout passes.
    SetEnvironmentVariableW(L"VORLATCPW_MODE", L"hang");
    SetEnvironmentVariableW(L"VORLATCPW_LOG", (spool.t / L"client.log").c_str());
    ConsoleRun hung = RunConsole(L"/submit spool /timeout:1", L"", spool.t.Path());
    SetEnvironmentVariableW(L"VORLATCPW_MODE", nullptr);
    SetEnvironmentVariableW(L"VORLATCPW_LOG", nullptr);
    EXPECT_EQ(hung.exitCode, 1u);
    EXPECT_EQ(hung.err, "vorlatcpw.exe did not end within 1 seconds and was ended. The job " +
                            Utf8(spool.t / L"spool\\sub\\j2_x.prn") +
                            " may or may not have been submitted; the rows after it were not submitted.\r\n");
    const std::string log = ReadBytes(spool.t / L"client.log");
    const size_t pid = log.find("pid=");
    ASSERT_NE(pid, std::string::npos);
    HANDLE client = OpenProcess(SYNCHRONIZE, FALSE, std::stoul(log.substr(pid + 4)));
    EXPECT_TRUE(!client || WaitForSingleObject(client, 0) == WAIT_OBJECT_0) << "the client still runs";
    if (client)
        CloseHandle(client);
}

// vorlasched.exe started with paths, as Send To or a drop onto its icon starts it, shows the
// rows that a drop of the same paths (made absolute) gives the window.
TEST(CommandLineJobs, PathsOnTheCommandLineOpenTheWindowWithTheRowsOfADrop)
{
    Spool spool;
    const std::wstring greek = L"\x0391\x03c1\x03c7\x03b5\x03af\x03bf 1_x.prn";
    const std::vector<std::wstring> absolute = {spool.t / L"spool", spool.t / L"loose, 3_x.prn", spool.t / greek,
                                                spool.t / L"missing.prn"};
    TMainForm dropped;
    dropped.Create(nullptr, nullptr, nullptr);
    PostDrop(dropped.Handle(), absolute);
    PumpQueued();

    const char* dir = std::getenv("VORLA_BINARY_DIR");
    ASSERT_TRUE(dir);
    const std::wstring program = WindowsPathOfUnix(dir) + L"\\vorlasched.exe";
    std::wstring commandLine = L"\"" + program + L"\" spool \"loose, 3_x.prn\" \"" + greek + L"\" " + absolute[3];
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               spool.t.Path().c_str(), &startup, &info));
    WaitForInputIdle(info.hProcess, 10000);
    HWND window = WaitForWindowOf(info.dwProcessId, L"TMainForm");
    ASSERT_TRUE(window);
    HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    EXPECT_EQ(RemoteListViewRows(list, info.hProcess), ListViewRows(dropped.ListView1()));
    EXPECT_EQ(ListViewRows(dropped.ListView1()).size(), 4u);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

// Ctrl+A and Ctrl+C as the list receives them, with Ctrl held in this thread's key state (so
// that no other window of a parallel test can take the keys).
TEST(CommandLineJobs, CtrlCPutsTheSelectedRowsOnTheClipboard)
{
    TMainForm form;
    form.Create(nullptr, nullptr, nullptr);
    form.OpenPaths({L"C:\\a_x.prn", L"C:\\b_x.prn", L"C:\\c_x.prn"});
    form.Jobs()[1].SetDirections(L"AB_POS1_COPY");
    form.Jobs()[1].SetResult(L"two\r\nlines");
    auto type = [&form](WORD key) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        SendMessageW(form.ListView1(), WM_KEYDOWN, key, 1);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    };
    auto clipboard = [] {
        std::wstring text;
        if (OpenClipboard(nullptr)) {
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                text = static_cast<const wchar_t*>(GlobalLock(data));
                GlobalUnlock(data);
            }
            CloseClipboard();
        }
        return text;
    };
    ASSERT_TRUE(OpenClipboard(nullptr) && EmptyClipboard() && CloseClipboard());
    ListView_SetItemState(form.ListView1(), 1, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(form.ListView1(), 2, LVIS_SELECTED, LVIS_SELECTED);
    type('C');
    EXPECT_EQ(clipboard(), L"C:\\b_x.prn\tAB_POS1_COPY\ttwo  lines\r\nC:\\c_x.prn\t\t\r\n");
    type('A');
    type('C');
    EXPECT_EQ(clipboard(), L"C:\\a_x.prn\t\t\r\nC:\\b_x.prn\tAB_POS1_COPY\ttwo  lines\r\nC:\\c_x.prn\t\t\r\n");
    // A cell that a spreadsheet would run as a formula is pasted as text.
    form.Jobs()[0].SetResult(L"=cmd|' /C calc'!A0");
    type('C');
    EXPECT_EQ(clipboard().rfind(L"C:\\a_x.prn\t\t'=cmd|' /C calc'!A0\r\n", 0), 0u) << Utf8(clipboard());
}

}  // namespace

namespace {

const char kUnchanged[] = "Nothing had to change: the configuration already stands as requested.\r\n";

// Each key of the product key tree with its last-write time.
std::map<std::wstring, uint64_t> KeyTimes()
{
    std::map<std::wstring, uint64_t> times;
    for (const RegKeyData& key : ReadKeyTree(kVorlaKey)) {
        const std::wstring path = key.path.substr(key.path.find(L'\\') + 1);
        HKEY k = nullptr;
        FILETIME written{};
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | kView, &k);
        RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &written);
        RegCloseKey(k);
        times[path] = (uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime;
    }
    return times;
}

TEST_F(BranchFleetTest, ARepeatedRunWritesNothingAndSaysSo)
{
    const std::wstring undef = L"c:\\kelvane\\undef.txt";
    CreateDirectoryW(L"c:\\kelvane", nullptr);
    ASSERT_EQ(RunConsole(Configure(L"1,2")).exitCode, 0u);
    ASSERT_EQ(RunConsole(L"/upgrade").exitCode, 0u);
    const std::map<std::wstring, uint64_t> keys = KeyTimes();
    const std::map<std::wstring, std::string> files = Snapshot(machine_.installDir);
    const std::map<std::wstring, std::string> backups = Snapshot(DefaultBackupFolder());
    Sleep(50);  // a rewrite would now show in the times

    WriteBytes(undef, "b\r\na\r\n");  // other tests' commands tidy it too: checked right after the run
    ConsoleRun again = RunConsole(Configure(L"1,2"));
    EXPECT_EQ(ReadBytes(undef), "b\r\na\r\n");
    EXPECT_EQ(again.exitCode, 0u) << again.err;
    EXPECT_EQ(again.out, Utf8(kDone) + "\r\n" + kUnchanged);
    ConsoleRun upgrade = RunConsole(L"/upgrade");
    EXPECT_EQ(upgrade.exitCode, 0u) << upgrade.err;
    EXPECT_EQ(upgrade.out, std::string("Done!\r\n") + kUnchanged);
    EXPECT_TRUE(KeyTimes() == keys);
    EXPECT_TRUE(Snapshot(machine_.installDir) == files);
    EXPECT_TRUE(Snapshot(DefaultBackupFolder()) == backups);

    // One value different: it is written, and the run says no more than that it is done.
    ConsoleRun changed = RunConsole(Configure(L"1,2", L"/backunc:\\\\other\\B"));
    EXPECT_EQ(changed.exitCode, 0u) << changed.err;
    EXPECT_EQ(changed.out.find(kUnchanged), std::string::npos);
    EXPECT_EQ(RegistryKey::Open(HKEY_LOCAL_MACHINE, MapKey(3, L"Copy"), KEY_READ).ReadString(L"PrnOutDir"),
              L"\\\\other\\B");
    EXPECT_NE(Snapshot(DefaultBackupFolder()), backups);
    DeleteFileW(undef.c_str());
}

// The dialog's OK and the menu's "Upgrade Vorla": nothing written when nothing differs, and
// each waits while another holds the lock (what stands at the end of the hold is what was there).
TEST_F(BranchFleetTest, TheDialogAndTheMenuWriteNothingUnchangedAndWaitForTheLock)
{
    ASSERT_EQ(RunConsole(Configure(L"1,2,4")).exitCode, 0u);
    ASSERT_EQ(RunConsole(L"/upgrade").exitCode, 0u);
    const std::map<std::wstring, uint64_t> keys = KeyTimes();
    const std::map<std::wstring, std::string> backups = Snapshot(DefaultBackupFolder());
    Sleep(50);
    ConfigSession session;
    auto upgrade = [&session] {
        MessageBoxWatcher boxes;
        SendMessageW(session.main.Handle(), WM_COMMAND, IdUpgradeVorla, 0);
        return boxes.Texts();
    };
    EXPECT_EQ(session.RunOk().messages, std::vector<std::wstring>{kDone});
    EXPECT_EQ(upgrade(), std::vector<std::wstring>{L"Done!"});
    EXPECT_TRUE(KeyTimes() == keys);
    EXPECT_TRUE(Snapshot(DefaultBackupFolder()) == backups);

    // While the lock is held the waiting window answers its messages and takes no input.
    auto heldDuring = [](HWND waiting, const std::function<void()>& run) {
        std::vector<RegKeyData> atRelease;
        bool answered = false, enabled = true;
        HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread holder([&] {
            HANDLE lock = CreateMutexW(nullptr, FALSE, L"Global\\vorlasched-configuration");
            WaitForSingleObject(lock, INFINITE);
            SetEvent(taken);
            Sleep(500);
            DWORD_PTR unused = 0;
            answered = SendMessageTimeoutW(waiting, WM_NULL, 0, 0, SMTO_BLOCK, 700, &unused) != 0;
            enabled = IsWindowEnabled(waiting) != FALSE;
            Sleep(300);
            atRelease = Vorla();
            ReleaseMutex(lock);
            CloseHandle(lock);
        });
        WaitForSingleObject(taken, INFINITE);
        run();
        holder.join();
        CloseHandle(taken);
        EXPECT_TRUE(answered && !enabled);
        return atRelease;
    };
    DeleteTree(MapKey(2), L"Copy");
    const std::vector<RegKeyData> broken = Vorla();
    EXPECT_EQ(heldDuring(session.main.Handle(), [&] { EXPECT_EQ(upgrade(), std::vector<std::wstring>{L"Done!"}); }),
              broken);
    EXPECT_NE(Vorla(), broken);
    EXPECT_TRUE(IsWindowEnabled(session.main.Handle()));
    DeleteTree(kVorlaKey, L"maps");
    const std::vector<RegKeyData> noMaps = Vorla();
    EXPECT_EQ(heldDuring(session.dialog.Handle(),
                         [&] { EXPECT_EQ(session.RunOk().messages, std::vector<std::wstring>{kDone}); }),
              noMaps);
    EXPECT_NE(Vorla(), noMaps);
}

// Two runs with different branches at once, 20 times: the end state is always one of the two
// whole configurations, a run that gave up (5) left the other's, and /check never sees a half.
TEST_F(BranchFleetTest, ConcurrentRunsNeverLeaveAMix)
{
    const std::wstring a = Configure(L"1,2"), b = Configure(L"3").replace(Configure(L"3").find(L"/branch:12"), 10, L"/branch:13");
    ASSERT_EQ(RunConsole(b).exitCode, 0u);
    const std::vector<RegKeyData> stateB = Vorla();
    ASSERT_EQ(RunConsole(a).exitCode, 0u);
    const std::vector<RegKeyData> stateA = Vorla();
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        ConsoleRun first, second;
        const std::wstring wait = round % 2 ? L" /wait:1" : L"";
        std::thread other([&] { second = RunConsole(b + wait); });
        first = RunConsole(a + wait);
        other.join();
        const std::vector<RegKeyData> end = Vorla();
        EXPECT_TRUE(end == stateA || end == stateB);
        EXPECT_TRUE(first.exitCode == 0 || first.exitCode == 5) << first.err;
        EXPECT_TRUE(second.exitCode == 0 || second.exitCode == 5) << second.err;
        if (second.exitCode == 5) {  // b gave up: a's run is what stands
            EXPECT_TRUE(end == stateA);
        }
        if (first.exitCode == 5) {
            EXPECT_TRUE(end == stateB);
        }
    }
    std::atomic<bool> running{true};
    std::thread reconfigure([&] {
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(RunConsole(i % 2 ? a : b).exitCode, 0u);
        running = false;
    });
    int checks = 0;
    while (running) {
        ConsoleRun check = RunConsole(L"/check");
        EXPECT_EQ(check.exitCode, 0u) << check.out;
        ++checks;
    }
    reconfigure.join();
    EXPECT_GT(checks, 0);
}

// A lock held by another process makes a run give up after /wait; one whose holder ended
// without releasing it is taken over.
TEST_F(BranchFleetTest, AHeldLockEndsWithFiveAndAnAbandonedOneIsTakenOver)
{
    ASSERT_EQ(RunConsole(Configure(L"1,2")).exitCode, 0u);
    const std::vector<RegKeyData> registry = Vorla();
    HANDLE lock = CreateMutexW(nullptr, FALSE, L"Global\\vorlasched-configuration");
    ASSERT_EQ(WaitForSingleObject(lock, 0), WAIT_OBJECT_0);
    const std::wstring undef = L"c:\\kelvane\\undef.txt";
    for (const std::wstring& command : {std::wstring(L"/check /wait:2"), std::wstring(L"/upgrade /wait:2"), Configure(L"1,7", L"/wait:2")}) {
        WriteBytes(undef, "b\r\na\r\na\r\n");
        ConsoleRun run = RunConsole(command);
        EXPECT_EQ(run.exitCode, 5u);
        EXPECT_EQ(run.err, "Another run holds the configuration; try again later.\r\n");
        EXPECT_EQ(ReadBytes(undef), "b\r\na\r\na\r\n");  // a run that gave up does not even tidy
    }
    DeleteFileW(undef.c_str());
    EXPECT_EQ(Vorla(), registry);
    ReleaseMutex(lock);
    std::thread([lock] { WaitForSingleObject(lock, 0); }).join();  // ends holding it
    EXPECT_EQ(RunConsole(L"/check /wait:2").exitCode, 0u);
    CloseHandle(lock);

    // The name taken by an object of another kind: no busy machine, and no retry will mend it.
    HANDLE squat = CreateEventW(nullptr, TRUE, FALSE, L"Global\\vorlasched-configuration");
    for (const std::wstring& command : {std::wstring(L"/check"), std::wstring(L"/upgrade"), Configure(L"1,7")}) {
        ConsoleRun run = RunConsole(command + L" /wait:2 /json");
        EXPECT_EQ(run.exitCode, 1u) << run.err;
        EXPECT_NE(run.out.find("\"lock-unavailable\""), std::string::npos) << run.out;
    }
    ConfigSession session;
    const std::vector<std::wstring> dialog = session.RunOk().messages;
    MessageBoxWatcher boxes;
    SendMessageW(session.main.Handle(), WM_COMMAND, IdUpgradeVorla, 0);
    const std::wstring said = L"Cannot make the configuration's lock Global\\vorlasched-configuration: error ";
    for (const std::vector<std::wstring>& texts : {dialog, boxes.Texts()})
        EXPECT_TRUE(texts.size() == 1 && texts[0].rfind(said, 0) == 0);
    CloseHandle(squat);
    EXPECT_EQ(Vorla(), registry);
}

}  // namespace
// A winspool.drv planted beside a copy of the program, with Wine told to prefer a native DLL
// for that program (a DLL override, read when it starts) and so to search as Windows does,
// program folder first: the printers still come from System32's, and the planted one never loads.
TEST_F(BranchFleetTest, APlantedWinspoolBesideTheProgramNeverLoads)
{
    const std::wstring name = L"vorlasched-planted.com", program = temp_ / name;
    ASSERT_TRUE(CopyFileW(ConsoleProgram().c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\planted\\winspool.drv").c_str(), (temp_ / L"winspool.drv").c_str(), FALSE));
    const std::wstring appDefaults = L"Software\\Wine\\AppDefaults\\" + name;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, (appDefaults + L"\\DllOverrides").c_str(), L"winspool.drv", REG_SZ,
                              L"native,builtin", sizeof L"native,builtin"), ERROR_SUCCESS);
    ConsoleRun run = RunConsole(L"/check /branch:12 /pos:1 /back:9 \"/posprinter:" + std::wstring(kPosPrinter) +
                                    L"\" \"/backprinter:" + kBackPrinter + L"\"",
                                program, temp_.Path());
    RegDeleteTreeW(HKEY_CURRENT_USER, appDefaults.c_str());
    EXPECT_FALSE(IsExistingFile(temp_ / L"planted-dll-loaded"));
    EXPECT_EQ(run.out.find(Utf8(L"Πρέπει να επιλέξετε εκτυπωτή")), std::string::npos) << run.out;  // printers listed
}
