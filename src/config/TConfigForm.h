// The auto-configuration dialog ("Auto configure"): checks the branch machine, then writes
// Vorla's product values and rebuilds every form map from what the technician entered.
#pragma once
#include <string>
#include <vector>

#include "common/button_glyph.h"
#include "common/window.h"
#include "config/configure.h"

// Lives as long as the process and is only hidden between showings, so the texts typed into
// it are offered again; the printer lists are filled afresh on every showing. A run that gets
// past the machine checks never closes the dialog; a failed machine check closes it (Cancel).
class TConfigForm : public ModalForm {
public:
    void Create(HWND owner);

    HWND EditBranch() const { return EditBranch_; }
    HWND EditPos() const { return EditPos_; }
    HWND EditBack() const { return EditBack_; }
    HWND ComboPrn() const { return ComboPrn_; }
    HWND ComboBack() const { return ComboBack_; }
    HWND EditUncPos() const { return EditUncPos_; }
    HWND EditUncBack() const { return EditUncBack_; }
    HWND Memo1() const { return Memo1_; }
    HWND BitBtnOk() const { return BitBtnOk_; }
    HWND BitBtn2() const { return BitBtn2_; }

    // Fills both printer lists with the machine's printers, sorted, names that differ only in
    // letter case listed once; neither list has a selection. An enumeration that fails shows
    // "EnumPrinters() error <code>" and leaves the lists empty.
    void FormShow() override;
    // The configuration run: checks, validation, product values, maps rebuilt (POS, then BACK).
    void BitBtnOkClick();

protected:
    void OnCommand(int id, int code, HWND control) override;
    void DpiChanged() override;

private:
    void Show(const std::wstring& text);
    // The dialog's messages, each in a message box.
    ShowMessageFn MessageBoxes();
    std::vector<std::wstring> Memo1Lines() const;
    // The entries exactly as typed; a list without a selection gives no printer.
    ConfigRequest Entries() const;

    static const LayoutRow<TConfigForm> kLayout[];
    HWND Label1_ = nullptr;
    HWND Label2_ = nullptr;
    HWND Label3_ = nullptr;
    HWND Label4_ = nullptr;
    HWND Label5_ = nullptr;
    HWND Label6_ = nullptr;
    HWND Label7_ = nullptr;
    HWND Label8_ = nullptr;
    HWND Label9_ = nullptr;
    HWND Label10_ = nullptr;
    HWND EditBranch_ = nullptr;
    HWND EditPos_ = nullptr;
    HWND EditBack_ = nullptr;
    HWND ComboPrn_ = nullptr;
    HWND ComboBack_ = nullptr;
    HWND EditUncPos_ = nullptr;
    HWND EditUncBack_ = nullptr;
    HWND Memo1_ = nullptr;
    HWND BitBtnOk_ = nullptr;
    HWND BitBtn2_ = nullptr;
    OkCancelGlyphs glyphs_;

    // InstallDir, GhostscriptPath, ProgramDir, EscSourcePath, BranchNo and MapDir, as the last
    // check or run left them.
    ConfigResult state_;
};
