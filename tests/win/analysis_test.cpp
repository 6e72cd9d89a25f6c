// Collection and analysis of print jobs against real folders and files under Wine.
#include <gtest/gtest.h>

#include <cstdlib>

#include "common/fileio.h"
#include "jobs/analysis.h"
#include "jobs/jobinfo.h"
#include "support/recording_port.h"
#include "support/win_test_support.h"

namespace {

std::string InfoFile(const std::string& toDo)
{
    return "[Job]\r\nPrinter=Branch\r\nToDoStr=" + toDo + "\r\nCopies=1\r\n";
}

std::vector<std::wstring> Captions(const JobList& rows)
{
    std::vector<std::wstring> out;
    for (const auto& row : rows)
        out.push_back(row.caption);
    return out;
}

JobList RowsOf(const std::vector<std::wstring>& paths)
{
    JobList rows;
    for (const auto& p : paths)
        rows.emplace_back(p);
    return rows;
}

}  // namespace

TEST(AnalysisScan, CollectsDepthFirstAndInsertsInReverseAtTheFolderPlace)
{
    TempFolder t;
    WriteBytes(t / L"spool\\a.prn", "");
    WriteBytes(t / L"spool\\b.PRN", "");
    WriteBytes(t / L"spool\\b_i.pri", "");
    WriteBytes(t / L"spool\\c.prnx", "");
    WriteBytes(t / L"spool\\d.prn.old", "");
    WriteBytes(t / L"spool\\sub\\c.Prn", "");
    WriteBytes(t / L"spool\\folder.prn\\e.prn", "");  // a folder named like a print file

    std::vector<std::wstring> collected;
    ScanFolder(t / L"spool", collected);
    // Wine lists entries sorted case-insensitively: a.prn, b.PRN, ..., folder.prn\, sub\.
    EXPECT_EQ(collected, (std::vector<std::wstring>{t / L"spool\\a.prn", t / L"spool\\b.PRN",
                                                    t / L"spool\\folder.prn\\e.prn", t / L"spool\\sub\\c.Prn"}));
    // A folder given with its separator (as a drive's root always is) names its files the same.
    std::vector<std::wstring> withSeparator;
    ScanFolder(t / L"spool\\", withSeparator);
    EXPECT_EQ(withSeparator, collected);

    JobList rows = RowsOf({t / L"before.prn", t / L"spool", t / L"after.prn", t / L"x.txt", t / L"x_i.pri"});
    ExpandFolderRows(rows);
    EXPECT_EQ(Captions(rows),
              (std::vector<std::wstring>{t / L"before.prn", t / L"spool\\sub\\c.Prn", t / L"spool\\folder.prn\\e.prn",
                                         t / L"spool\\b.PRN", t / L"spool\\a.prn", t / L"after.prn"}));
}

TEST(AnalysisScan, EmptyAndUnsearchableFoldersVanishAndMissingPrintFilesStay)
{
    TempFolder t;
    MakeFolders(t / L"empty");
    WriteBytes(t / L"noprint\\readme.txt", "");
    JobList rows = RowsOf({t / L"empty", t / L"noprint", t / L"missing.prn", t / L"missing-folder\\"});
    rows[2].SetDirections(L"KEEP");
    ExpandFolderRows(rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].caption, t / L"missing.prn");
    EXPECT_EQ(rows[0].directions, L"KEEP");  // a kept row keeps its sub-items
}

TEST(AnalysisScan, FollowsFolderLinksButStopsAtCycles)
{
    const char* binary = std::getenv("VORLA_BINARY_DIR");
    ASSERT_NE(binary, nullptr);
    std::wstring tree = WindowsPathOfUnix(std::string(binary) + "/fixtures/linktree");
    ASSERT_TRUE(IsExistingFolder(tree + L"\\sub\\up")) << "the link tree was not made";

    std::vector<std::wstring> collected;
    ScanFolder(tree, collected);
    // "other" leads into sub a second way, and sub is walked once, under its own path; "up" and
    // "self" lead back up and are not entered.
    EXPECT_EQ(collected, (std::vector<std::wstring>{tree + L"\\a.prn", tree + L"\\sub\\b.prn"}));
}

TEST(AnalysisJobInfo, DirectionsComeFromTheInformationFileAndAreNeverReplaced)
{
    TempFolder t;
    struct Case {
        const wchar_t* job;
        std::string info;         // "" = no information file
        const wchar_t* expected;  // Directions after analysis; nullptr = no sub-item
    };
    const Case cases[] = {
        {L"j1_x.prn", InfoFile("FWDVORLA\"AB:1:AB_POS1"), L"AB_POS1_COPY"},
        {L"j2_x.prn", InfoFile("fwdvorla\"AB:1:AB_BACK9\tmore"), L"AB_BACK9_COPY"},
        {L"j3_x.prn", InfoFile("FWDVORLA\"AB:1"), nullptr},          // three tokens only
        {L"j4_x.prn", InfoFile("PRINT"), nullptr},                   // not a directive
        {L"j5_x.prn", "Printer=Branch\r\n", nullptr},                // no ToDoStr
        {L"j6_x.prn", "", nullptr},                                  // no information file
        {L"j7_x.prn", std::string("A=1\0ToDoStr=FWDVORLA\"a:b:c\r\n", 30), nullptr},  // after a NUL
        {L"j8_x.prn", "ToDoStr=FWDVORLA\"a:b:FIRST\rToDoStr=FWDVORLA\"a:b:SECOND\r", L"FIRST_COPY"},
    };
    JobList rows;
    for (const Case& c : cases) {
        std::wstring job = t / c.job;
        WriteBytes(job, "%!PS");
        if (!c.info.empty())
            WriteBytes(JobInfoFileName(job), c.info);
        rows.emplace_back(job);
    }
    RecordingPort port;
    AnalyseRows(rows, port);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(cases[i].job)));
        if (cases[i].expected) {
            EXPECT_EQ(rows[i].subItems, 1);
            EXPECT_EQ(rows[i].directions, cases[i].expected);
        } else {
            EXPECT_EQ(rows[i].subItems, 0);
        }
    }
    // The status shows the last information file looked at.
    ASSERT_FALSE(port.statuses.empty());
    EXPECT_EQ(port.statuses.back(), L"Scanning " + JobInfoFileName(t / L"j8_x.prn"));

    // A second run reads nothing for rows that have a direction: changing their files changes nothing.
    WriteBytes(JobInfoFileName(t / L"j1_x.prn"), InfoFile("FWDVORLA\"AB:1:ELSEWHERE"));
    AnalyseRows(rows, port);
    EXPECT_EQ(rows[0].directions, L"AB_POS1_COPY");
}

TEST(AnalysisJobInfo, PresentTextsShortCaptionsAndLockedFilesAreLeftAlone)
{
    TempFolder t;
    std::wstring blank = t / L"b_x.prn", emptied = t / L"e_x.prn", locked = t / L"l_x.prn";
    for (const auto& job : {blank, emptied, locked})
        WriteBytes(JobInfoFileName(job), InfoFile("FWDVORLA\"AB:1:DEST"));
    JobList rows = RowsOf({blank, emptied, locked, L"a.prn"});
    rows[0].SetDirections(L"   ");  // blanks count as a direction that is there
    rows[1].SetDirections(L"");     // an emptied direction is analysed again
    rows[1].SetResult(L"old answer");

    // Another process holds the file open for writing: it cannot be read with writing denied.
    HANDLE writer = CreateFileW(JobInfoFileName(locked).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    RecordingPort port;
    AnalyseRows(rows, port);
    EXPECT_EQ(rows[0].directions, L"   ");
    EXPECT_EQ(rows[1].directions, L"DEST_COPY");
    EXPECT_EQ(rows[1].result, L"old answer");
    EXPECT_EQ(rows[1].subItems, 2);
    EXPECT_EQ(rows[2].subItems, 0);  // locked: silently without a direction
    EXPECT_EQ(rows[3].subItems, 0);  // a caption under six characters is never analysed
    EXPECT_TRUE(port.messages.empty());

    CloseHandle(writer);
    AnalyseRows(rows, port);  // the next run tries the file again
    EXPECT_EQ(rows[2].directions, L"DEST_COPY");
}

TEST(AnalysisJobInfo, AnsiValuesDecodeInTheMachinesCodePage)
{
    TempFolder t;
    std::wstring job = t / L"g_x.prn";
    // Greek capital alpha-beta in code page 1253 are 0xC1 0xC2; whatever the code page, the
    // destination is the decoding of exactly those bytes.
    WriteBytes(JobInfoFileName(job), InfoFile("FWDVORLA\"AB:1:\xC1\xC2"));
    JobList rows = RowsOf({job});
    RecordingPort port;
    AnalyseRows(rows, port);
    wchar_t expected[3] = {};
    MultiByteToWideChar(CP_ACP, 0, "\xC1\xC2", 2, expected, 2);
    EXPECT_EQ(rows[0].directions, std::wstring(expected) + L"_COPY");
}

TEST(AnalysisJobInfo, LongAndNonAnsiPathsWorkInScanAndAnalysis)
{
    TempFolder t;
    std::wstring deep = t.Path();
    while (deep.size() < 300)
        deep += L"\\\x03a6\x03ac\x03ba\x03b5\x03bb\x03bf\x03c2_folder_name";  // "Φάκελος" and ASCII
    std::wstring job = deep + L"\\\x65e5\x672c_x.prn";                          // CJK: outside any ANSI code page
    WriteBytes(job, "%!PS");
    WriteBytes(JobInfoFileName(job), InfoFile("FWDVORLA\"AB:1:FAR"));

    JobList rows = RowsOf({t.Path()});
    ExpandFolderRows(rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].caption, job);
    RecordingPort port;
    AnalyseRows(rows, port);
    EXPECT_EQ(rows[0].directions, L"FAR_COPY");
}
