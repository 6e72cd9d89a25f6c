// The real main window, driven by its own messages: drops through WM_DROPFILES, commands
// through WM_COMMAND, rows read back through the list view's messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <thread>

#include "app/TMainForm.h"
#include "common/window.h"
#include "support/branch_machine.h"
#include "support/win_test_support.h"
#include "win/faults_support.h"

namespace {

class MainFormTest : public testing::Test {
protected:
    void SetUp() override { form.Create(nullptr, nullptr, nullptr); }

    void Drop(const std::vector<std::wstring>& paths)
    {
        PostDrop(form.Handle(), paths);
        PumpQueued();
    }
    void Command(int id) { SendMessageW(form.Handle(), WM_COMMAND, static_cast<WPARAM>(id), 0); }
    std::vector<std::vector<std::wstring>> Rows() { return ListViewRows(form.ListView1()); }

    TMainForm form;
};

using Table = std::vector<std::vector<std::wstring>>;

}  // namespace

TEST_F(MainFormTest, WindowHasTheCaptionColumnsAndMenuOfTheProgram)
{
    EXPECT_EQ(WindowText(form.Handle()), L"VorlaTcp Scheduler");
    // The shell drops only onto windows that accept files (the other tests post WM_DROPFILES).
    EXPECT_TRUE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    HWND header = ListView_GetHeader(form.ListView1());
    ASSERT_EQ(Header_GetItemCount(header), 3);
    const wchar_t* names[] = {L"File", L"Directions", L"Result"};
    for (int i = 0; i < 3; ++i) {
        wchar_t text[64] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        Header_GetItem(header, i, &item);
        EXPECT_STREQ(text, names[i]);
    }
    HMENU bar = GetMenu(form.Handle());
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    struct Item {
        int menu, position;
        const wchar_t* caption;  // nullptr: separator
    };
    const Item items[] = {
        {0, 0, L"Clear list"},    {0, 1, L"Resubmit files (analyze)"}, {0, 2, L"Resubmit files (submit)"},
        {0, 3, L"Split PRI files"}, {0, 4, L"Convert POS and BACK"},   {0, 5, nullptr},
        {0, 6, L"Exit"},          {1, 0, L"Configure Vorla"},          {1, 1, L"Upgrade Vorla"},
        {2, 0, L"About"},
    };
    for (const Item& it : items) {
        HMENU popup = GetSubMenu(bar, it.menu);
        wchar_t text[64] = {};
        MENUITEMINFOW info{sizeof info};
        info.fMask = MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 64;
        ASSERT_TRUE(GetMenuItemInfoW(popup, static_cast<UINT>(it.position), TRUE, &info));
        if (it.caption)
            EXPECT_STREQ(text, it.caption);
        else
            EXPECT_TRUE(info.fType & MFT_SEPARATOR);
    }
}

TEST_F(MainFormTest, DropFillsTheListUnfilteredInTheShellsOrderAndReplacesIt)
{
    TempFolder t;
    std::wstring greek = t / L"\x0391\x03c1\x03c7\x03b5\x03af\x03bf 1_x.prn";  // "Αρχείο 1_x.prn"
    std::wstring longName = t / (std::wstring(290, L'n') + L".prn");
    Drop({t / L"spool", t / L"a.txt", greek, longName});
    EXPECT_EQ(Rows(), (Table{{t / L"spool", L"", L""}, {t / L"a.txt", L"", L""}, {greek, L"", L""},
                            {longName, L"", L""}}));

    form.Jobs()[0].SetDirections(L"X");
    Drop({t / L"b.prn"});
    EXPECT_EQ(Rows(), (Table{{t / L"b.prn", L"", L""}}));

    Command(IdClearlist1);
    EXPECT_TRUE(Rows().empty());
}

TEST_F(MainFormTest, AnalyzeExpandsFoldersDropsOtherFilesAndShowsDirections)
{
    TempFolder t;
    auto job = [&](const std::wstring& relative, const char* destination) {
        WriteBytes(t / relative, "%!PS");
        std::wstring info = t / relative;
        info = info.substr(0, info.size() - 6) + L"_i.pri";
        WriteBytes(info, std::string("ToDoStr=FWDVORLA\"AB:1:") + destination + "\r\n");
    };
    job(L"spool\\j1_x.prn", "AB_POS1");
    job(L"spool\\sub\\j2_x.prn", "AB_BACK9");
    job(L"loose_x.prn", "CENTRAL");
    WriteBytes(t / L"notes.txt", "");

    Drop({t / L"spool", t / L"notes.txt", t / L"loose_x.prn"});
    Command(IdResubmitfiles1);
    EXPECT_EQ(Rows(), (Table{{t / L"spool\\sub\\j2_x.prn", L"AB_BACK9_COPY", L""},
                            {t / L"spool\\j1_x.prn", L"AB_POS1_COPY", L""},
                            {t / L"loose_x.prn", L"CENTRAL_COPY", L""}}));
    EXPECT_EQ(StatusBarText(form.StatusBar1()), L"Scanning " + t / L"loose_i.pri");
}

TEST_F(MainFormTest, CaptionEditedInPlaceIsWhatTheCommandsUse)
{
    TempFolder t;
    Drop({t / L"old.prn"});
    SetFocus(form.ListView1());
    HWND edit = ListView_EditLabel(form.ListView1(), 0);
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, (t / L"new.prn").c_str());
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpQueued();
    EXPECT_EQ(form.Jobs()[0].caption, t / L"new.prn");
}

// A message box shown by a command runs its own loop, which takes queued messages too: a drop
// made meanwhile is kept for after the command, and a second command does not start inside it.
// On the product's own key: queued behind the lock of the Branch suites.
class BranchMainForm : public MainFormTest {};

TEST_F(BranchMainForm, DropsAndCommandsDuringAMessageBoxWaitForTheCommandToEnd)
{
    ExpectLocked();
    TempFolder t;
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Kelvane\\Vorla\\maps");  // the upgrade fails at once
    Drop({t / L"first.prn"});
    Table whileShown;  // read while the box is up, once its loop has taken the queued drop
    MessageBoxWatcher boxes([&] {
        Sleep(200);
        whileShown = Rows();
    });
    PostDrop(form.Handle(), {t / L"dropped-during-the-box.prn"});
    PostMessageW(form.Handle(), WM_COMMAND, IdUpgradeVorla, 0);  // would show a second box inside the first
    Command(IdUpgradeVorla);
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"Failed to open SOFTWARE\\Kelvane\\Vorla\\maps"});
    EXPECT_EQ(whileShown, (Table{{t / L"first.prn", L"", L""}}));
    EXPECT_EQ(Rows(), (Table{{t / L"dropped-during-the-box.prn", L"", L""}}));
}

// "Resubmit files (submit)" holds the machine's submission lock: while another process holds it,
// the window waits (painted, taking no input) and hands no job to the client.
TEST_F(MainFormTest, TheSubmitPassWaitsForTheMachinesSubmissionLock)
{
    TempFolder t;
    EnvScope log(L"VORLATCPW_LOG", t / L"client.log");
    WriteBytes(t / L"j_x.prn", "%!PS");
    WriteBytes(t / L"j_i.pri", "ToDoStr=FWDVORLA\"AB:1:AB_POS1\r\n");
    Drop({t / L"j_x.prn"});
    HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    size_t startsWhileHeld = 99;
    std::thread holder([&] {
        HANDLE lock = CreateMutexW(nullptr, FALSE, L"Global\\vorlasched-submission");
        WaitForSingleObject(lock, INFINITE);
        SetEvent(taken);
        Sleep(800);
        startsWhileHeld = ReadClientLog(t / L"client.log").size();
        ReleaseMutex(lock);
        CloseHandle(lock);
    });
    WaitForSingleObject(taken, INFINITE);
    Command(IdResubmitfilesaction1);
    holder.join();
    CloseHandle(taken);
    EXPECT_EQ(startsWhileHeld, 0u);
    EXPECT_EQ(ReadClientLog(t / L"client.log").size(), 1u);
}
