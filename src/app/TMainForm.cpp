#include "app/TMainForm.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <iterator>

#include "about/TAboutForm.h"
#include "app/upgrade_menu.h"
#include "common/clipboard.h"
#include "common/fileio.h"
#include "common/machine_lock.h"
#include "config/TConfigForm.h"
#include "jobs/TConvertPBForm.h"
#include "jobs/report.h"
#include "jobs/convert.h"
#include "jobs/split.h"
#include "jobs/submit.h"

namespace {

enum ControlId { IdListView1 = 1, IdStatusBar1 = 2 };

struct MenuEntry {
    int id;  // 0: separator
    const wchar_t* caption;
    void (TMainForm::*handler)();
};

const MenuEntry kFileMenu[] = {
    {IdClearlist1, L"Clear list", &TMainForm::Clearlist1Click},
    {IdResubmitfiles1, L"Resubmit files (analyze)", &TMainForm::Resubmitfiles1Click},
    {IdResubmitfilesaction1, L"Resubmit files (submit)", &TMainForm::Resubmitfilesaction1Click},
    {IdSplitfiles1, L"Split PRI files", &TMainForm::Splitfiles1Click},
    {IdConvertPB, L"Convert POS and BACK", &TMainForm::ConvertPBClick},
    {0, nullptr, nullptr},  // N1
    {IdExit1, L"Exit", &TMainForm::Exit1Click},
};
const MenuEntry kToolsMenu[] = {
    {IdConfigureVorla1, L"Configure Vorla", &TMainForm::ConfigureVorla1Click},
    {IdUpgradeVorla, L"Upgrade Vorla", &TMainForm::UpgradeVorlaClick},
};
const MenuEntry kHelpMenu[] = {
    {IdAbout1, L"About", &TMainForm::About1Click},
};

struct MenuRow {
    const wchar_t* caption;
    const MenuEntry* entries;
    size_t count;
};
const MenuRow kMenuBar[] = {
    {L"File", kFileMenu, std::size(kFileMenu)},
    {L"Tools", kToolsMenu, std::size(kToolsMenu)},
    {L"Help", kHelpMenu, std::size(kHelpMenu)},
};

struct ColumnRow {
    const wchar_t* caption;
    int width;
};
const ColumnRow kColumns[] = {{L"File", 280}, {L"Directions", 100}, {L"Result", 50}};

const int kStatusBarHeight = 19;

}  // namespace

// Docked (size 0 x 0): the status bar at the bottom, the list above it (LayoutComponents).
const LayoutRow<TMainForm> TMainForm::kComponents[] = {
    {&TMainForm::StatusBar1_, {IdStatusBar1, STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, 0, 0, 0, 0}},
    {&TMainForm::ListView1_,
     {IdListView1, WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_EDITLABELS | LVS_SHOWSELALWAYS, 0,
      0, 0, 0, WS_EX_CLIENTEDGE}},
};

TMainForm::TMainForm() : commands_([this](const std::vector<std::wstring>& paths) { OpenPaths(paths); }) {}

void TMainForm::ResultFile::Delete()
{
    if (deleted_ || name.empty())
        return;
    deleted_ = true;
    DeleteFileAt(name);  // the outcome does not matter
}

void TMainForm::Create(TAboutForm* about, TConfigForm* config, TConvertPBForm* convert)
{
    AboutForm_ = about;
    ConfigForm_ = config;
    ConvertPBForm_ = convert;
    CreateWindowOf(L"TMainForm", L"VorlaTcp Scheduler", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 417, 224, 474,
                   280, nullptr, nullptr);
    SetWindowPos(Handle(), nullptr, 417, 224, Scale(474), Scale(280), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainForm::Show(int showCommand)
{
    ShowWindow(Handle(), showCommand);
    UpdateWindow(Handle());
}

void TMainForm::CreateMenuBar()
{
    UniqueMenu bar(CreateMenu());
    for (const MenuRow& menu : kMenuBar) {
        UniqueMenu popup(CreatePopupMenu());
        for (size_t i = 0; i < menu.count; ++i) {
            const MenuEntry& e = menu.entries[i];
            if (e.id == 0)
                AppendMenuW(popup.get(), MF_SEPARATOR, 0, nullptr);
            else
                AppendMenuW(popup.get(), MF_STRING, static_cast<UINT_PTR>(e.id), e.caption);
        }
        if (AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()), menu.caption))
            popup.release();  // the bar owns it now
    }
    if (SetMenu(Handle(), bar.get()))
        bar.release();  // the window owns it now, and destroys it with itself
}

void TMainForm::CreateComponents()
{
    CreateMenuBar();
    CreateControls(kComponents);
    int wholeWidth = -1;  // one panel across the whole bar
    SendMessageW(StatusBar1_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&wholeWidth));
    SendMessageW(StatusBar1_, SB_SETMINHEIGHT, static_cast<WPARAM>(Scale(kStatusBarHeight)), 0);
    ListView_SetExtendedListViewStyle(ListView1_, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(kColumns[i].caption);
        column.cx = Scale(kColumns[i].width);
        column.iSubItem = i;
        ListView_InsertColumn(ListView1_, i, &column);
    }
    columnsDpi_ = static_cast<int>(Dpi());
    LayoutComponents();
}

// The bar keeps its height and the columns their share of the list at the new scale.
void TMainForm::DpiChanged()
{
    SendMessageW(StatusBar1_, SB_SETMINHEIGHT, static_cast<WPARAM>(Scale(kStatusBarHeight)), 0);
    HWND header = ListView_GetHeader(ListView1_);
    const int columns = header ? Header_GetItemCount(header) : 0;
    for (int i = 0; i < columns; ++i) {
        const int width = ListView_GetColumnWidth(ListView1_, i);
        ListView_SetColumnWidth(ListView1_, i, MulDiv(width, static_cast<int>(Dpi()), columnsDpi_));
    }
    columnsDpi_ = static_cast<int>(Dpi());
    LayoutComponents();
}

void TMainForm::LayoutComponents()
{
    if (!ListView1_ || !StatusBar1_)
        return;
    SendMessageW(StatusBar1_, WM_SIZE, 0, 0);
    RECT client, bar;
    GetClientRect(Handle(), &client);
    GetWindowRect(StatusBar1_, &bar);
    int listHeight = client.bottom - (bar.bottom - bar.top);
    MoveWindow(ListView1_, 0, 0, client.right, listHeight > 0 ? listHeight : 0, TRUE);
}

void TMainForm::FormCreate()
{
    DragAcceptFiles(Handle(), TRUE);
    // An elevated program gets no drops from an ordinary Explorer unless these are let in.
    const UINT kCopyGlobalData = 0x0049;
    for (UINT msg : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData})
        ChangeWindowMessageFilterEx(Handle(), msg, MSGFLT_ALLOW, nullptr);
}

void TMainForm::FormDestroy()
{
    ResultFile_.Delete();
}

bool TMainForm::ApplicationEvents1Message(UINT msg, WPARAM wParam)
{
    if (msg != WM_DROPFILES)
        return false;
    commands_.Take(UniqueDrop(reinterpret_cast<HDROP>(wParam)));
    return true;
}

void TMainForm::OpenPaths(const std::vector<std::wstring>& paths)
{
    Jobs_.clear();
    Jobs_.reserve(paths.size());
    for (const std::wstring& path : paths)
        Jobs_.emplace_back(path);
    RowsChanged();
}

void TMainForm::CopyRows()
{
    std::vector<size_t> selected;
    for (int i = ListView_GetNextItem(ListView1_, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(ListView1_, i, LVNI_SELECTED))
        selected.push_back(static_cast<size_t>(i));
    if (!selected.empty())
        PutTextOnClipboard(Handle(), RowsAsTabText(Jobs_, selected));
}

void TMainForm::SelectAllRows()
{
    ListView_SetItemState(ListView1_, -1, LVIS_SELECTED, LVIS_SELECTED);
}

// "Copy" and "Select all" at the mouse, or below the focused row when the keyboard asked.
void TMainForm::ShowListMenu(LPARAM where)
{
    POINT at{GET_X_LPARAM(where), GET_Y_LPARAM(where)};
    if (where == -1) {
        RECT row{};
        int focused = ListView_GetNextItem(ListView1_, -1, LVNI_FOCUSED);
        if (focused < 0 || !ListView_GetItemRect(ListView1_, focused, &row, LVIR_LABEL))
            GetClientRect(ListView1_, &row);
        at = {row.left, row.bottom};
        ClientToScreen(ListView1_, &at);
    }
    UniqueMenu menu(CreatePopupMenu());
    AppendMenuW(menu.get(), MF_STRING | (ListView_GetSelectedCount(ListView1_) ? 0 : MF_GRAYED), IdCopyRows, L"Copy");
    AppendMenuW(menu.get(), MF_STRING, IdSelectAllRows, L"Select all");
    const int chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
    menu.reset();
    if (chosen == IdCopyRows)
        CopyRows();
    else if (chosen == IdSelectAllRows)
        SelectAllRows();
}

// The submission pass holds the machine's submission lock, as /submit does, so that two passes
// never hand jobs to the client at once; when another run holds it, the window says so.
void TMainForm::ResubmitFiles(bool submit)
{
    SubmissionLock lock;
    if (submit && !lock.Acquire(kDefaultLockWaitSeconds, Handle())) {
        ShowMessage(lock.NotHeldText());
        return;
    }
    ResubmitRows(Jobs_, submit, ResultFile_.name, *this);
}

// ---- CommandPort

void TMainForm::ShowStatus(const std::wstring& text)
{
    SendMessageW(StatusBar1_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
    UpdateWindow(StatusBar1_);
}

void TMainForm::ShowMessage(const std::wstring& text)
{
    ::ShowMessage(Handle(), text);
}

void TMainForm::RowsChanged()
{
    ListView_SetItemCountEx(ListView1_, static_cast<int>(Jobs_.size()), LVSICF_NOINVALIDATEALL);
    InvalidateRect(ListView1_, nullptr, TRUE);
    UpdateWindow(ListView1_);
}

// A row that is not wholly in view becomes the top row, so that the rows after it come into
// view with it: a pass through the list scrolls once a page, not once a row. Only the row
// itself is repainted otherwise.
void TMainForm::RowUpdated(size_t index)
{
    const int row = static_cast<int>(index);
    const int top = ListView_GetTopIndex(ListView1_);
    if (row < top || row >= top + ListView_GetCountPerPage(ListView1_)) {
        RECT topRect, rowRect;
        if (ListView_GetItemRect(ListView1_, top, &topRect, LVIR_BOUNDS) &&
            ListView_GetItemRect(ListView1_, row, &rowRect, LVIR_BOUNDS))
            ListView_Scroll(ListView1_, 0, rowRect.top - topRect.top);
        ListView_EnsureVisible(ListView1_, row, FALSE);
    }
    ListView_RedrawItems(ListView1_, row, row);
    UpdateWindow(ListView1_);
}

// ---- Menu handlers

void TMainForm::Clearlist1Click()
{
    Jobs_.clear();
    RowsChanged();
}

void TMainForm::Resubmitfiles1Click()
{
    ResubmitFiles(false);
}

void TMainForm::Resubmitfilesaction1Click()
{
    ResubmitFiles(true);
}

void TMainForm::Splitfiles1Click()
{
    SplitPriRows(Jobs_);
    RowsChanged();
}

void TMainForm::ConvertPBClick()
{
    if (!ConvertPBForm_ || ConvertPBForm_->ShowModal(Handle()) != ModalResult::Ok)
        return;
    ConvertDirections(Jobs_, ConvertPBForm_->PosText(), ConvertPBForm_->BackText());
    RowsChanged();
}

void TMainForm::Exit1Click()
{
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TMainForm::ConfigureVorla1Click()
{
    if (ConfigForm_)
        ConfigForm_->ShowModal(Handle());
}

void TMainForm::UpgradeVorlaClick()
{
    UpgradeVorla(*this, Handle());
}

void TMainForm::About1Click()
{
    if (AboutForm_)
        AboutForm_->ShowModal(Handle());
}

// ---- Messages

// One command at a time: a command posted while another runs (a message box's loop would
// dispatch it) is not started in the middle of it; a drop made meanwhile waits for its end.
void TMainForm::RunCommand(void (TMainForm::*handler)())
{
    commands_.Run([this, handler] { (this->*handler)(); });
}

LRESULT TMainForm::OnListNotify(NMHDR* header)
{
    switch (header->code) {
    case LVN_GETDISPINFOW: {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
        if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && static_cast<size_t>(item.iItem) < Jobs_.size() &&
            item.pszText && item.cchTextMax > 0) {
            const JobRow& row = Jobs_[static_cast<size_t>(item.iItem)];
            const std::wstring& text = item.iSubItem == 0 ? row.caption : row.SubItem(item.iSubItem - 1);
            lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
        }
        return 0;
    }
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
        if (GetKeyState(VK_CONTROL) < 0 && key == 'A')
            SelectAllRows();
        else if (GetKeyState(VK_CONTROL) < 0 && (key == 'C' || key == VK_INSERT))
            CopyRows();
        return 0;
    }
    case LVN_BEGINLABELEDITW:
        return FALSE;  // the caption may be edited in place
    case LVN_ENDLABELEDITW: {
        const LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
        if (item.pszText && item.iItem >= 0 && static_cast<size_t>(item.iItem) < Jobs_.size()) {
            Jobs_[static_cast<size_t>(item.iItem)].caption = item.pszText;
            return TRUE;
        }
        return FALSE;
    }
    default:
        return 0;
    }
}

LRESULT TMainForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        CreateComponents();
        FormCreate();
        return 0;
    case WM_SIZE:
        LayoutComponents();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = Scale(400);
        info->ptMinTrackSize.y = Scale(280);
        return 0;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == ListView1_)
            return OnListNotify(header);
        break;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0) {
            for (const MenuRow& menu : kMenuBar)
                for (size_t i = 0; i < menu.count; ++i)
                    if (menu.entries[i].id != 0 && menu.entries[i].id == LOWORD(wParam)) {
                        RunCommand(menu.entries[i].handler);
                        return 0;
                    }
        }
        break;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == ListView1_ && !commands_.CommandRunning()) {
            ShowListMenu(lParam);
            return 0;
        }
        break;
    case WM_DROPFILES:
        ApplicationEvents1Message(msg, wParam);
        return 0;
    case WM_DESTROY:
        FormDestroy();
        if (endsApplication_)
            PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefaultProc(msg, wParam, lParam);
}
