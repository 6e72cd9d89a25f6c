#include <gtest/gtest.h>

#include <string>
#include <vector>

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
