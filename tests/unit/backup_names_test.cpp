#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/paths.h"
#include "config/backup_names.h"

// The newest stay, and the oldest, the way back to before any configuration; other names never go.
TEST(BackupNames, PruningKeepsTheNewestAndTheOldest)
{
    const std::vector<std::wstring> names = {
        L"Vorla-20260101-000000.reg", L"Vorla-20260102-000000.reg", L"Vorla-20260103-000000.reg",
        L"Vorla-20260103-000000-2.reg", L"Vorla-20260104-000000.reg", L"notes.reg"};
    EXPECT_EQ(BackupsToPrune(names, 2),
              (std::vector<std::wstring>{L"Vorla-20260103-000000.reg", L"Vorla-20260102-000000.reg"}));
    EXPECT_EQ(BackupsToPrune(names, 5), std::vector<std::wstring>{});
}

// Only whole backups count: an empty or cut file (a kill, a full disk) is never the way back, and
// goes with the temporary files of runs that were stopped.
TEST(BackupNames, RetentionKeepsTheOldestWholeBackupAndDeletesLeftovers)
{
    const std::string whole = Utf16FileBytes(L"Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_X]\r\n\r\n");
    const struct {
        const char* what;
        std::string bytes;
        bool whole;
    } files[] = {
        {"whole", whole, true},
        {"only the header", whole.substr(0, 2 + 2 * 40), true},
        {"empty", "", false},
        {"cut in a line", whole.substr(0, whole.size() - 10), false},
        {"cut after a line", whole.substr(0, whole.size() - 4), false},
        {"an odd byte short", whole.substr(0, whole.size() - 1), false},
        {"no mark", whole.substr(2), false},
    };
    for (const auto& file : files)
        EXPECT_EQ(IsWholeBackup(file.bytes), file.whole) << file.what;

    // The oldest two were left empty and cut by kills; 22 whole ones came after.
    std::vector<BackupFile> folder = {{L"Vorla-20260101-000000.reg", false}, {L"Vorla-20260101-000001.reg", false},
                                      {L"Vorla-20260101-000002.reg.tmp", false}, {L"notes.tmp", false}};
    for (int second = 10; second < 32; ++second)
        folder.push_back({L"Vorla-20260101-0000" + std::to_wstring(second) + L".reg", true});
    const Retention retention = PlanRetention(folder, 20);
    EXPECT_EQ(retention.leftovers, (std::vector<std::wstring>{L"Vorla-20260101-000000.reg",
                                                              L"Vorla-20260101-000001.reg",
                                                              L"Vorla-20260101-000002.reg.tmp"}));
    EXPECT_EQ(retention.pruned, std::vector<std::wstring>{L"Vorla-20260101-000011.reg"});  // 000010 is the way back
}
