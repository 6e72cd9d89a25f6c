#include "jobs/TConvertPBForm.h"

#include <iterator>

namespace {

enum ControlId { IdLabel1 = 100, IdEditPOS, IdLabel2, IdEditBACK };

// In creation order, which is also the tab order of the tab stops.
const ControlSpec kLayout[] = {
    {IdLabel1, L"STATIC", L"Convert all POS to", SS_NOPREFIX, 24, 16, 108, 13},
    {IdEditPOS, L"EDIT", L"AB_POS", WS_TABSTOP | ES_AUTOHSCROLL, 136, 8, 121, 21, WS_EX_CLIENTEDGE},
    {IdLabel2, L"STATIC", L"Convert all BACK to", SS_NOPREFIX, 24, 56, 108, 13},
    {IdEditBACK, L"EDIT", L"AB_BACK", WS_TABSTOP | ES_AUTOHSCROLL, 136, 48, 121, 21, WS_EX_CLIENTEDGE},
    {IDOK, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 57, 96, 75, 25},
    {IDCANCEL, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 145, 96, 75, 25},
};

const int kGlyphSize = 16;
const int kGlyphMargin = 4;

}  // namespace

TConvertPBForm::~TConvertPBForm()
{
    // The buttons use the glyphs until they are gone.
    if (Handle())
        DestroyWindow(Handle());
}

void TConvertPBForm::Create(HWND owner)
{
    CreateWindowOf(L"TConvertPBForm", L"Convert TODO", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                   WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, 192, 118, 278, 138, owner, nullptr);
    SetClientSize(278, 138);
    std::vector<HWND> controls = CreateControls(kLayout, std::size(kLayout));
    Label1_ = controls[0];
    EditPOS_ = controls[1];
    Label2_ = controls[2];
    EditBACK_ = controls[3];
    BitBtn1_ = controls[4];
    BitBtn2_ = controls[5];
    okGlyph_ = MakeGlyphImage(ButtonGlyph::Ok, Scale(kGlyphSize));
    cancelGlyph_ = MakeGlyphImage(ButtonGlyph::Cancel, Scale(kGlyphSize));
    ShowButtonGlyph(BitBtn1_, okGlyph_, Scale(kGlyphMargin));
    ShowButtonGlyph(BitBtn2_, cancelGlyph_, Scale(kGlyphMargin));
}

std::wstring TConvertPBForm::PosText() const
{
    return WindowText(EditPOS_);
}

std::wstring TConvertPBForm::BackText() const
{
    return WindowText(EditBACK_);
}

void TConvertPBForm::FormShow()
{
    // The dialog opens in EditPOS with its text selected, so that typing replaces it, and with
    // OK as the default button again, wherever the focus was when it last closed.
    SendMessageW(EditPOS_, EM_SETSEL, 0, -1);
    SendMessageW(BitBtn2_, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
    SendMessageW(BitBtn1_, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
}

void TConvertPBForm::OnCommand(int id, int code, HWND control)
{
    if (id == IDOK && code == BN_CLICKED)
        SetModalResult(ModalResult::Ok);
    else
        ModalForm::OnCommand(id, code, control);
}
