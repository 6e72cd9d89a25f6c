// The exit-time tidy of the untranslated-texts file, on real files.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/untranslated.h"
#include "support/win_test_support.h"

TEST(UntranslatedTidy, SortsDropsCaseDuplicatesKeepingTheFirstAndWritesCrLf)
{
    TempFolder t;
    std::wstring file = t / L"undef.txt";
    WriteBytes(file, "Save\nabout\r\nSAVE\rCancel\r\nabout\n");
    TidyUntranslatedTexts(file);
    // "Save" (read first) stays, "SAVE" goes.
    EXPECT_EQ(ReadBytes(file), "about\r\nCancel\r\nSave\r\n");
    TidyUntranslatedTexts(file);  // tidy text stays as it is
    EXPECT_EQ(ReadBytes(file), "about\r\nCancel\r\nSave\r\n");
}

TEST(UntranslatedTidy, AnsiLinesKeepTheirBytesAndFoldCaseInTheCodePage)
{
    TempFolder t;
    std::wstring file = t / L"undef.txt";
    // 0xC1 and 0xE1 are one letter in two cases in both code pages (Greek alpha, Latin a-acute).
    WriteBytes(file, "\xE1\xED\xEF\r\n\xC1\xED\xEF\r\n");
    TidyUntranslatedTexts(file);
    EXPECT_EQ(ReadBytes(file), "\xE1\xED\xEF\r\n");
}

TEST(UntranslatedTidy, AMissingFileIsNotCreated)
{
    TempFolder t;
    TidyUntranslatedTexts(t / L"undef.txt");
    EXPECT_EQ(GetFileAttributesW((t / L"undef.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(UntranslatedTidy, AFailedWriteKeepsTheOldContentsWhole)
{
    TempFolder t;
    std::wstring file = t / L"undef.txt";
    WriteBytes(file, "b\na\n");
    // The new contents cannot be written beside the file: a folder stands in the way.
    MakeFolders(file + L".new");
    TidyUntranslatedTexts(file);
    EXPECT_EQ(ReadBytes(file), "b\na\n");

    // A file that others hold open for writing cannot even be read: left alone.
    RemoveTree(file + L".new");
    HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    TidyUntranslatedTexts(file);
    CloseHandle(writer);
    EXPECT_EQ(ReadBytes(file), "b\na\n");
}
