// The dialog of "Convert POS and BACK" ("Convert TODO"): two edits read after OK.
#pragma once
#include <string>

#include "common/button_glyph.h"
#include "common/window.h"

// Lives as long as the process and is only hidden between showings, so the edits offer what
// was last typed into them. OK (Enter) closes it with the OK result; Cancel, Esc and the close
// box with the Cancel result. Nothing else happens inside it.
class TConvertPBForm : public ModalForm {
public:
    void Create(HWND owner);
    std::wstring PosText() const;
    std::wstring BackText() const;

    HWND Label1() const { return Label1_; }
    HWND EditPOS() const { return EditPOS_; }
    HWND Label2() const { return Label2_; }
    HWND EditBACK() const { return EditBACK_; }
    HWND BitBtn1() const { return BitBtn1_; }
    HWND BitBtn2() const { return BitBtn2_; }

protected:
    void FormShow() override;
    void OnCommand(int id, int code, HWND control) override;
    void DpiChanged() override;

private:
    static const LayoutRow<TConvertPBForm> kLayout[];
    HWND Label1_ = nullptr;
    HWND EditPOS_ = nullptr;
    HWND Label2_ = nullptr;
    HWND EditBACK_ = nullptr;
    HWND BitBtn1_ = nullptr;
    HWND BitBtn2_ = nullptr;
    OkCancelGlyphs glyphs_;
};
