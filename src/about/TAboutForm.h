// The About dialog: program name, version from the version resource, the maker's link.
#pragma once
#include <string>

#include "common/handles.h"
#include "common/window.h"

// The maker's home page: the link label's tooltip, and what it opens.
extern const wchar_t kMakerHomePage[];

// Lives as long as the process and is only hidden between showings. Each showing reads the
// version again; nothing is written anywhere.
class TAboutForm : public ModalForm {
public:
    // Control ids; Button1 is the dialog's OK button (IDOK).
    enum ControlId : int { IdImage1 = 100, IdLabel5, IdLabel6, IdLabelEdition, IdLabel1, IdLabel3 };

    void Create(HWND owner);
    // The file whose version resource the dialog shows; empty (the default) means the running program.
    void SetVersionSource(std::wstring path) { versionSource_ = std::move(path); }

    HWND Image1() const { return Image1_; }
    HWND Label5() const { return Label5_; }
    HWND Label6() const { return Label6_; }
    HWND LabelEdition() const { return LabelEdition_; }
    HWND Label1() const { return Label1_; }
    HWND Label3() const { return Label3_; }
    HWND Button1() const { return Button1_; }
    HWND LinkTip() const { return LinkTip_; }

    // "Version " and the fixed file version of the version source; "Version x.x" without one.
    void FormShow() override;
    void Button1Click();
    void Label3Click();

protected:
    void OnCommand(int id, int code, HWND control) override;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged() override;

private:
    static const LayoutRow<TAboutForm> kLayout[];
    void CreateLinkTip();
    void SetLabelText(HWND label, const std::wstring& text);
    void DrawImage1(const DRAWITEMSTRUCT& item);

    HWND Image1_ = nullptr;
    HWND Label5_ = nullptr;
    HWND Label6_ = nullptr;
    HWND LabelEdition_ = nullptr;
    HWND Label1_ = nullptr;
    HWND Label3_ = nullptr;
    HWND Button1_ = nullptr;
    HWND LinkTip_ = nullptr;
    UniqueBitmap logo_;        // as stored for the DPI
    UniqueFont headingFont_;  // Label5 and LabelEdition
    UniqueFont titleFont_;    // Label6
    UniqueFont linkFont_;     // Label3
    std::wstring versionSource_;
};
