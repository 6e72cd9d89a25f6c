// "Split PRI files" against real job-information files in a scratch folder, and through the
// real main window.
#include <gtest/gtest.h>

#include "app/TMainForm.h"
#include "common/handles.h"
#include "common/window.h"
#include "jobs/split.h"
#include "support/win_test_support.h"

namespace {

std::string InfoFile(const std::string& toDo)
{
    return "[Job]\r\nPrinter=Branch\r\nToDoStr=" + toDo + "\r\nCopies=1\r\n";
}

const std::string kPos1 = InfoFile("FWDVORLA\"AB:1:AB_POS1");

// The row's caption and its sub-items, each after " | ".
std::wstring Text(const JobRow& row)
{
    std::wstring text = row.caption;
    for (int i = 0; i < row.subItems; ++i)
        text += L" | " + row.SubItem(i);
    return text;
}

std::vector<std::wstring> Texts(const JobList& rows)
{
    std::vector<std::wstring> out;
    for (const JobRow& row : rows)
        out.push_back(Text(row));
    return out;
}

}  // namespace

TEST(SplitPriRows, EachKindOfRow)
{
    enum Setup { Nothing, File, Folder, BusyFile };
    struct Case {
        const wchar_t* name;  // the row's path below the scratch folder
        Setup setup;
        std::string bytes;
        int subItems;          // the row starts with "D" and "R" up to this many sub-items
        const wchar_t* after;  // the row afterwards, below the scratch folder; null: removed
    };
    const Case cases[] = {
        {L"job_i.pri", File, kPos1, 0, L"job_i.prn | AB_POS1"},
        {L"JOB.PRI", File, kPos1, 0, L"JOB.prn | AB_POS1"},
        {L"x.pRi", File, kPos1, 2, L"x.prn | AB_POS1"},  // earlier sub-items give way to the destination
        {L"low_i.pri", File, "todostr=fwdvorla\"a:b:c\tx\r\n", 0, L"low_i.prn | c"},
        {L"two_i.pri", File, InfoFile("FWDVORLA\"AB"), 2, L"two_i.prn | "},  // too few tokens: empty
        {L"\u03b5\u03c1\u03b3\u03b1\u03c3\u03af\u03b1_i.pri", File, kPos1, 0,
         L"\u03b5\u03c1\u03b3\u03b1\u03c3\u03af\u03b1_i.prn | AB_POS1"},
        {L"none_i.pri", File, "[Job]\r\nPrinter=Branch\r\n", 2, L"none_i.pri | D | R"},
        {L"print_i.pri", File, InfoFile("PRINT"), 1, L"print_i.pri | D"},
        {L"blank_i.pri", File, InfoFile(" FWDVORLA\"a:b:c"), 0, L"blank_i.pri"},
        {L"missing_i.pri", Nothing, "", 1, L"missing_i.pri | D"},
        {L"busy_i.pri", BusyFile, kPos1, 0, L"busy_i.pri"},  // held open for writing by another
        {L"dir.pri", Folder, "", 0, nullptr},                // a folder is removed, not searched
        {L"job_x.prn", File, "data", 1, nullptr},
        {L"notes.txt", File, kPos1, 0, nullptr},
        {L"x.pri.bak", File, kPos1, 0, nullptr},
        {L"sub.pri\\file", File, kPos1, 0, nullptr},
        {L"nothing.txt", Nothing, "", 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        TempFolder t;
        const std::wstring path = t / c.name;
        if (c.setup == File || c.setup == BusyFile)
            WriteBytes(path, c.bytes);
        if (c.setup == Folder)
            WriteBytes(path + L"\\inner_i.pri", kPos1);
        UniqueFile writer;
        if (c.setup == BusyFile)
            writer.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));

        JobList rows{JobRow(path)};
        if (c.subItems >= 1)
            rows[0].SetDirections(L"D");
        if (c.subItems >= 2)
            rows[0].SetResult(L"R");
        SplitPriRows(rows);

        if (c.after) {
            EXPECT_EQ(Texts(rows), std::vector<std::wstring>{t / c.after});
        } else {
            EXPECT_TRUE(rows.empty());
        }
        writer.reset();
        if (c.setup == File) {
            EXPECT_EQ(ReadBytes(path), c.bytes);  // files are only read
        }
        EXPECT_EQ(ReadBytes(t / L"job_i.prn"), "<missing>");
    }
}

TEST(SplitPriRows, SortsOnceLocaleAwareAndRereadsOnTheNextRun)
{
    TempFolder t;
    WriteBytes(t / L"b_i.pri", InfoFile("FWDVORLA\"X:1:DEST_B"));
    WriteBytes(t / L"a_i.pri", InfoFile("FWDVORLA\"X:1:DEST_A"));
    // "C_i.pri" is missing and stays; in code-point order it would come before the lower-case
    // names. Its two rows keep their order.
    JobList rows{JobRow(t / L"b_i.pri"), JobRow(t / L"C_i.pri"), JobRow(t / L"z.txt"), JobRow(t / L"a_i.pri"),
                 JobRow(t / L"C_i.pri")};
    rows[1].SetDirections(L"first");
    rows[4].SetDirections(L"second");
    SplitPriRows(rows);
    EXPECT_EQ(Texts(rows), (std::vector<std::wstring>{t / L"a_i.prn | DEST_A", t / L"b_i.prn | DEST_B",
                                                      t / L"C_i.pri | first", t / L"C_i.pri | second"}));

    // The next run removes the converted rows and reads the others again.
    WriteBytes(t / L"C_i.pri", InfoFile("FWDVORLA\"X:1:DEST_C"));
    SplitPriRows(rows);
    EXPECT_EQ(Texts(rows), (std::vector<std::wstring>{t / L"C_i.prn | DEST_C", t / L"C_i.prn | DEST_C"}));
}

// Through the real window: dropped files, the menu command, the rows the list view shows, and a
// later analysis that leaves the bare destination alone.
TEST(SplitPriRows, MainWindowCommandShowsRowsThatTheAnalysisKeeps)
{
    TMainForm form;
    form.Create(nullptr, nullptr, nullptr);
    TempFolder t;
    WriteBytes(t / L"b_i.pri", InfoFile("FWDVORLA\"X:1:DEST_B"));
    WriteBytes(t / L"a_i.pri", kPos1);
    WriteBytes(t / L"a_x.prn", "data");
    PostDrop(form.Handle(), {t / L"b_i.pri", t.Path(), t / L"a_i.pri", t / L"a_x.prn"});
    PumpQueued();
    SendMessageW(form.Handle(), WM_COMMAND, IdSplitfiles1, 0);
    const std::vector<std::vector<std::wstring>> split{{t / L"a_i.prn", L"AB_POS1", L""},
                                                       {t / L"b_i.prn", L"DEST_B", L""}};
    EXPECT_EQ(ListViewRows(form.ListView1()), split);

    WriteBytes(t / L"a_i.pri", InfoFile("FWDVORLA\"X:1:ELSEWHERE"));
    SendMessageW(form.Handle(), WM_COMMAND, IdResubmitfiles1, 0);
    EXPECT_EQ(ListViewRows(form.ListView1()), split);
}
