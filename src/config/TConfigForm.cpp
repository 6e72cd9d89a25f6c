#include "config/TConfigForm.h"

#include "common/errors.h"
#include "common/fileio.h"
#include "common/locale_text.h"
#include "common/machine_lock.h"
#include "common/registry.h"
#include "common/text.h"
#include "common/text_lines.h"
#include "config/converge.h"
#include "config/machine.h"
#include "config/ok_glyph.h"
#include "config/ok_glyph_image.h"
#include "config/printers.h"

namespace {

// BitBtnOk is IDOK (the default button), BitBtn2 IDCANCEL.
enum ControlId : int {
    IdLabel1 = 100,
    IdLabel2,
    IdLabel3,
    IdLabel4,
    IdLabel5,
    IdLabel6,
    IdLabel7,
    IdLabel8,
    IdLabel9,
    IdLabel10,
    IdEditBranch,
    IdEditPos,
    IdEditBack,
    IdComboPrn,
    IdComboBack,
    IdEditUncPos,
    IdEditUncBack,
    IdMemo1,
};

// A sample branch header: lines 1 and 3 are label, colon, value (the label is drawn bold).
const wchar_t kDefaultHeader[] =
    L"ΥΠΟΚΑΤΑΣΤΗΜΑ ΜΑΡΟΥΣΙΟΥ: Λεωφ. Κηφισίας 102\r\n"
    L"151 24 Μαρούσι - Τηλ. 210 6100000 - Fax 210 6100001\r\n"
    L"ΚΕΝΤΡΙΚΑ: Πειραιώς 150, 118 54 Αθήνα\r\n"
    L"Τηλ. 210 3400000\r\n"
    L"ΑΦΜ 099999999 - ΔΟΥ ΦΑΕ Αθηνών";

// The closed drop-down lists are 21 high; the height given here is that of the opened list.
const int kComboListHeight = 200;

const DWORD kEdit = WS_TABSTOP | ES_AUTOHSCROLL;
const DWORD kList = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
const DWORD kMemo = WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL |
                    ES_AUTOVSCROLL;

// Makes the closed box of a drop-down list the given height by sizing its selection field.
// Comctl32 versions differ in what they add to the field height they are given, so the box is
// measured after each change.
void SetClosedHeight(HWND combo, int height)
{
    LRESULT field = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 3 && field != CB_ERR; ++attempt) {
        RECT r{};
        GetWindowRect(combo, &r);
        if (r.bottom - r.top == height)
            return;
        field += height - (r.bottom - r.top);
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

std::vector<std::wstring> ListEntries(HWND combo)
{
    std::vector<std::wstring> entries;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        LRESULT got = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(got > 0 ? got : 0));
        entries.push_back(text);
    }
    return entries;
}

// The chosen entry of a drop-down list; false when none is chosen.
bool SelectedEntry(HWND combo, std::wstring& text)
{
    LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return false;
    text = ListEntries(combo).at(static_cast<size_t>(index));
    return true;
}

void FillList(HWND combo, const std::vector<std::wstring>& entries)
{
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& entry : entries)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

}  // namespace

// Each label is created just before its control; the controls come in tab order.
const LayoutRow<TConfigForm> TConfigForm::kLayout[] = {
    {&TConfigForm::Label2_, {IdLabel2, L"STATIC", L"Αριθμός υποκατστήματος", SS_NOPREFIX, 16, 16, 160, 13}},
    {&TConfigForm::EditBranch_, {IdEditBranch, L"EDIT", L"", kEdit, 184, 8, 121, 21, WS_EX_CLIENTEDGE}},
    {&TConfigForm::Label3_, {IdLabel3, L"STATIC", L"Σειρές POS (comma sep.)", SS_NOPREFIX, 16, 48, 160, 13}},
    {&TConfigForm::EditPos_, {IdEditPos, L"EDIT", L"", kEdit, 184, 40, 121, 21, WS_EX_CLIENTEDGE}},
    {&TConfigForm::Label5_, {IdLabel5, L"STATIC", L"πχ. 1,2,4", SS_NOPREFIX, 312, 48, 80, 13}},
    {&TConfigForm::Label4_, {IdLabel4, L"STATIC", L"Σειρές Backoffice (comma sep.)", SS_NOPREFIX, 16, 80, 160, 13}},
    {&TConfigForm::EditBack_, {IdEditBack, L"EDIT", L"", kEdit, 184, 72, 121, 21, WS_EX_CLIENTEDGE}},
    {&TConfigForm::Label6_, {IdLabel6, L"STATIC", L"πχ. 9,10,12", SS_NOPREFIX, 312, 80, 80, 13}},
    {&TConfigForm::Label1_, {IdLabel1, L"STATIC", L"Φυσικός εκτυπωτής POS", SS_NOPREFIX, 16, 112, 160, 13}},
    {&TConfigForm::ComboPrn_, {IdComboPrn, L"COMBOBOX", L"", kList, 184, 104, 145, kComboListHeight}},
    {&TConfigForm::Label10_, {IdLabel10, L"STATIC", L"Backoffice", SS_NOPREFIX, 344, 112, 60, 13}},
    {&TConfigForm::ComboBack_, {IdComboBack, L"COMBOBOX", L"", kList, 408, 104, 145, kComboListHeight}},
    {&TConfigForm::Label7_, {IdLabel7, L"STATIC", L"UNC path (POS)", SS_NOPREFIX, 16, 144, 160, 13}},
    {&TConfigForm::EditUncPos_,
     {IdEditUncPos, L"EDIT", kDefaultUncPos, kEdit, 184, 136, 369, 21, WS_EX_CLIENTEDGE}},
    {&TConfigForm::Label8_, {IdLabel8, L"STATIC", L"UNC path (BackOffice)", SS_NOPREFIX, 16, 176, 160, 13}},
    {&TConfigForm::EditUncBack_,
     {IdEditUncBack, L"EDIT", kDefaultUncBack, kEdit, 184, 168, 369, 21, WS_EX_CLIENTEDGE}},
    {&TConfigForm::Label9_, {IdLabel9, L"STATIC", L"Υποκατάστημα", SS_NOPREFIX, 16, 208, 160, 13}},
    {&TConfigForm::Memo1_, {IdMemo1, L"EDIT", kDefaultHeader, kMemo, 184, 200, 369, 89, WS_EX_CLIENTEDGE}},
    {&TConfigForm::BitBtnOk_, {IDOK, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 184, 304, 75, 25}},
    {&TConfigForm::BitBtn2_, {IDCANCEL, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 272, 304, 75, 25}},
};

void TConfigForm::Create(HWND owner)
{
    CreateWindowOf(L"TConfigForm", L"Auto configure", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                   WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, CW_USEDEFAULT, CW_USEDEFAULT, 570, 342, owner, nullptr);
    SetClientSize(570, 342);
    CreateControls(kLayout);
}

// The closed lists and the glyphs follow the window's scale.
void TConfigForm::DpiChanged()
{
    SetClosedHeight(ComboPrn_, Scale(21));
    SetClosedHeight(ComboBack_, Scale(21));
    UniqueBitmap strip = MakeOkGlyphStrip();
    glyphs_.Show(BitBtnOk_, BitBtn2_, MakeTwoStateGlyphImage(strip.get(), Scale(kOkGlyphFrame)), Scale(kOkGlyphFrame),
                 Scale(kGlyphMargin));
}

void TConfigForm::OnCommand(int id, int code, HWND control)
{
    if (id == IDOK && code == BN_CLICKED)
        BitBtnOkClick();
    else
        ModalForm::OnCommand(id, code, control);
}

void TConfigForm::Show(const std::wstring& text)
{
    ShowMessage(Handle(), text);
}

std::vector<std::wstring> TConfigForm::Memo1Lines() const
{
    return SplitTextLines(WindowText(Memo1_));
}

void TConfigForm::FormShow()
{
    FillList(ComboPrn_, {});
    FillList(ComboBack_, {});
    const std::vector<std::wstring> printers = OfferedPrinters(MessageBoxes());
    FillList(ComboPrn_, printers);
    FillList(ComboBack_, printers);
}

ShowMessageFn TConfigForm::MessageBoxes()
{
    return [this](const std::wstring& text) { Show(text); };
}

ConfigRequest TConfigForm::Entries() const
{
    ConfigRequest request;
    request.branch = WindowText(EditBranch_);
    request.posSeries = WindowText(EditPos_);
    request.backSeries = WindowText(EditBack_);
    std::wstring chosen;
    if (SelectedEntry(ComboPrn_, chosen))
        request.posPrinter = chosen;
    if (SelectedEntry(ComboBack_, chosen))
        request.backPrinter = chosen;
    request.uncPos = WindowText(EditUncPos_);
    request.uncBack = WindowText(EditUncBack_);
    request.headerLines = Memo1Lines();
    return request;
}

// The run itself is the configuration engine's; the dialog supplies the entries, the machine
// and the message boxes, and closes as the outcome says. It holds the machine's configuration
// lock, and writes nothing when the machine already stands as it would leave it; when another
// run holds the lock, it says so and stays open.
void TConfigForm::BitBtnOkClick()
{
    ConfigurationLock lock;
    if (!lock.Acquire(kDefaultLockWaitSeconds, Handle())) {
        Show(lock.NotHeldText());
        return;
    }
    LiveMachineProbe probe(ListEntries(ComboPrn_), Handle());
    switch (ConvergeConfiguration(Entries(), probe, MessageBoxes(), state_)) {
    case ConfigOutcome::MachineLacksPrinterOrFont:  // closes, and also asks for its own close
        PostMessageW(Handle(), WM_CLOSE, 0, 0);
        SetModalResult(ModalResult::Cancel);
        break;
    case ConfigOutcome::MachineRefused:
        SetModalResult(ModalResult::Cancel);
        break;
    case ConfigOutcome::EntriesRefused:  // the dialog stays
    case ConfigOutcome::Failed:
    case ConfigOutcome::Done:
        break;
    }
}
