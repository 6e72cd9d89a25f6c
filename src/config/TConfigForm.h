// The auto-configuration dialog ("Auto configure"): checks the branch machine, then writes
// Vorla's product values and rebuilds every form map from what the technician entered.
#pragma once
#include <string>
#include <vector>

#include "common/button_glyph.h"
#include "common/window.h"

// Lives as long as the process and is only hidden between showings, so the texts typed into
// it are offered again; the printer lists are filled afresh on every showing. A run that gets
// past the machine checks never closes the dialog; a failed machine check closes it (Cancel).
class TConfigForm : public ModalForm {
public:
    ~TConfigForm() override;
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
    // Locates the program, Vorla, Ghostscript and the escape file, and checks the PDF printer,
    // the barcode font and the five header lines. The first failure is shown; false then.
    bool CheckEnvironment();
    // The configuration run: checks, validation, product values, maps rebuilt (POS, then BACK).
    void BitBtnOkClick();
    // Writes the branch header image of Memo1's lines to path (nothing unless exactly five lines).
    void RenderAddressBitmap(const std::wstring& path);
    // One map per entry of seriesText for the type, numbered on from mapCounter.
    void WriteMaps(const std::wstring& seriesText, const std::wstring& mapType, int& mapCounter);

protected:
    void OnCommand(int id, int code, HWND control) override;

private:
    void Show(const std::wstring& text);
    std::vector<std::wstring> Memo1Lines() const;
    void WriteProductKey();

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
    UniqueImageList okGlyph_;
    UniqueImageList cancelGlyph_;

    std::wstring InstallDir;       // <Program Files>\Kelvane\Kelvane Vorla
    std::wstring GhostscriptPath;  // <Program Files>\gs\gs9.14\bin\gswin32c.exe
    std::wstring MapDir;           // the last map folder written
    std::wstring ProgramDir;       // the program's folder, no trailing separator
    std::wstring EscSourcePath;    // ProgramDir\generic_ab.esc
    int BranchNo = 0;              // valid from 1 to 9999
};
