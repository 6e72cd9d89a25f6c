#include "jobs/TConvertPBForm.h"

namespace {

enum ControlId { IdLabel1 = 100, IdEditPOS, IdLabel2, IdEditBACK };

const int kGlyphSize = 16;

}  // namespace

// In creation order, which is also the tab order of the tab stops.
const LayoutRow<TConvertPBForm> TConvertPBForm::kLayout[] = {
    {&TConvertPBForm::Label1_, {IdLabel1, L"STATIC", L"Convert all POS to", SS_NOPREFIX, 24, 16, 108, 13}},
    {&TConvertPBForm::EditPOS_,
     {IdEditPOS, L"EDIT", L"AB_POS", WS_TABSTOP | ES_AUTOHSCROLL, 136, 8, 121, 21, WS_EX_CLIENTEDGE}},
    {&TConvertPBForm::Label2_, {IdLabel2, L"STATIC", L"Convert all BACK to", SS_NOPREFIX, 24, 56, 108, 13}},
    {&TConvertPBForm::EditBACK_,
     {IdEditBACK, L"EDIT", L"AB_BACK", WS_TABSTOP | ES_AUTOHSCROLL, 136, 48, 121, 21, WS_EX_CLIENTEDGE}},
    {&TConvertPBForm::BitBtn1_, {IDOK, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 57, 96, 75, 25}},
    {&TConvertPBForm::BitBtn2_, {IDCANCEL, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 145, 96, 75, 25}},
};

void TConvertPBForm::Create(HWND owner)
{
    CreateWindowOf(L"TConvertPBForm", L"Convert TODO", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                   WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, 192, 118, 278, 138, owner, nullptr);
    SetClientSize(278, 138);
    CreateControls(kLayout);
}

// The glyphs are drawn at the size they are shown at.
void TConvertPBForm::DpiChanged()
{
    glyphs_.Show(BitBtn1_, BitBtn2_, MakeGlyphImage(ButtonGlyph::Ok, Scale(kGlyphSize)), Scale(kGlyphSize),
                 Scale(kGlyphMargin));
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
