// The exit-time tidy of the untranslated-texts file, on real files.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "tidy/untranslated.h"
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

// A file far beyond any list of texts: every text once, in the case it was first written, in
// the locale's order.
TEST(UntranslatedTidy, FiftyMegabytesOfRepeatsInOtherCaseAndMixedLineEnds)
{
    const size_t kTexts = 200000;
    auto cased = [](std::string text, size_t form) {  // written lower, upper or capitalised
        for (char& c : text)
            if (form == 1 && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            else if (form == 1 && c == '\xE1')
                c = '\xC1';  // alpha (Greek) or a-acute (Latin)
        if (form == 2)
            text[0] = 'T';
        return text;
    };
    std::vector<std::string> first(kTexts);
    std::string bytes;
    const char* ends[] = {"\r\n", "\n", "\r"};
    for (size_t i = 0; bytes.size() < (50u << 20); ++i) {
        const size_t key = i * 7919 % kTexts;
        std::string line = cased("text \xE1 " + std::to_string(key) + " of the window", i % 3);
        if (first[key].empty())
            first[key] = line;
        bytes += line + ends[i % 3];
    }
    TempFolder t;
    std::wstring file = t / L"undef.txt";
    WriteBytes(file, bytes + "last");
    first.push_back("last");
    TidyUntranslatedTexts(file);

    const std::string tidy = ReadBytes(file);
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = tidy.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(tidy.substr(at, end - at));
    ASSERT_EQ(tidy.size(), std::accumulate(lines.begin(), lines.end(), size_t{0},
                                           [](size_t n, const std::string& l) { return n + l.size() + 2; }));
    for (size_t i = 1; i < lines.size(); ++i)
        ASSERT_EQ(CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, lines[i - 1].c_str(), -1, lines[i].c_str(), -1),
                  CSTR_LESS_THAN)
            << lines[i - 1] << " / " << lines[i];
    std::sort(lines.begin(), lines.end());
    std::sort(first.begin(), first.end());
    EXPECT_TRUE(lines == first);
}
