#include "about/TAboutForm.h"

#include <commctrl.h>
#include <shellapi.h>

#include <iterator>

#include "about/file_version.h"
#include "common/errors.h"
#include "common/fileio.h"

const wchar_t kMakerHomePage[] = L"https://www.kelvane.example/";

namespace {

const wchar_t kNoVersion[] = L"Version x.x";
const COLORREF kLinkColor = RGB(0, 0, 255);

// The logo as stored for 96, 144 and 192 DPI; the logo of a DPI between is the next larger one
// drawn smaller.
struct StoredLogo {
    const wchar_t* name;
    UINT dpi;
};
const StoredLogo kLogos[] = {{L"LOGO", 96}, {L"LOGO144", 144}, {L"LOGO192", 192}};

UniqueBitmap LoadLogo(UINT dpi)
{
    const StoredLogo* logo = &kLogos[0];
    while (logo->dpi < dpi && logo + 1 != std::end(kLogos))
        ++logo;
    return UniqueBitmap(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), logo->name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

// Arial bold at the given character height (96-DPI pixels, already scaled by the caller).
HFONT ArialBold(int height)
{
    LOGFONTW lf{};
    lf.lfHeight = -height;
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, L"Arial", LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

// The same font, underlined.
HFONT UnderlinedCopy(HFONT font)
{
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    return CreateFontIndirectW(&lf);
}

void SetControlFont(HWND control, HFONT font)
{
    if (font)
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

}  // namespace

// Labels size themselves to their text (their width and height here are 0). Button1 comes
// first: it is the dialog's only tab stop.
const LayoutRow<TAboutForm> TAboutForm::kLayout[] = {
    {&TAboutForm::Button1_, {IDOK, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 288, 136, 75, 25}},
    {&TAboutForm::Image1_, {IdImage1, L"STATIC", L"", SS_OWNERDRAW, 4, 4, 146, 129}},
    {&TAboutForm::Label5_, {IdLabel5, L"STATIC", L"Kelvane", SS_NOPREFIX, 160, 8, 0, 0}},
    {&TAboutForm::Label6_, {IdLabel6, L"STATIC", L"VorlaTcp Scheduler", SS_NOPREFIX, 160, 28, 0, 0}},
    {&TAboutForm::LabelEdition_, {IdLabelEdition, L"STATIC", L"Version", SS_NOPREFIX, 160, 56, 0, 0}},
    {&TAboutForm::Label1_, {IdLabel1, L"STATIC", L"Made and supported by", SS_NOPREFIX, 160, 108, 0, 0}},
    {&TAboutForm::Label3_, {IdLabel3, L"STATIC", L"Kelvane Ltd.", SS_NOPREFIX | SS_NOTIFY, 288, 108, 0, 0}},
};

void TAboutForm::Create(HWND owner)
{
    CreateWindowOf(L"TAboutForm", L"About", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                   WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, 408, 191, 421, 174, owner, nullptr);
    SetClientSize(421, 174);
    CreateControls(kLayout);
    PlaceControls();
    CreateLinkTip();
}

// The fonts and the logo are made for the window's DPI.
void TAboutForm::DpiChanged()
{
    logo_ = LoadLogo(Dpi());
    headingFont_.reset(ArialBold(Scale(16)));
    titleFont_.reset(ArialBold(Scale(21)));
    linkFont_.reset(UnderlinedCopy(FormFont()));
    SetControlFont(Label5_, headingFont_.get());
    SetControlFont(Label6_, titleFont_.get());
    SetControlFont(LabelEdition_, headingFont_.get());
    SetControlFont(Label3_, linkFont_.get());
}

void TAboutForm::CreateLinkTip()
{
    LinkTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!LinkTip_)
        throw Win32Error(L"CreateWindow() error ", GetLastError());
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(Label3_);
    tool.lpszText = const_cast<wchar_t*>(kMakerHomePage);
    SendMessageW(LinkTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// Sets a label's text and sizes the label to it, as the form's labels are sized to their text.
void TAboutForm::SetLabelText(HWND label, const std::wstring& text)
{
    SetWindowTextW(label, text.c_str());
    PlaceControls();
}

void TAboutForm::FormShow()
{
    SetLabelText(LabelEdition_, kNoVersion);
    std::optional<std::wstring> version = FixedFileVersion(versionSource_.empty() ? ProgramPath() : versionSource_);
    if (version)
        SetLabelText(LabelEdition_, L"Version " + *version);
}

void TAboutForm::Button1Click()
{
    SetModalResult(ModalResult::Ok);
}

void TAboutForm::Label3Click()
{
    // The browser's answer does not matter to the dialog.
    ShellExecuteW(Handle(), L"open", kMakerHomePage, nullptr, nullptr, SW_SHOWNORMAL);
}

void TAboutForm::OnCommand(int id, int code, HWND control)
{
    if (id == IDOK && code == BN_CLICKED)
        Button1Click();
    else if (id == IdLabel3 && code == STN_CLICKED)
        Label3Click();
    else
        ModalForm::OnCommand(id, code, control);
}

// The logo on the dialog's face: the colour of its bottom-left pixel is not drawn.
void TAboutForm::DrawImage1(const DRAWITEMSTRUCT& item)
{
    const RECT& r = item.rcItem;
    FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
    BITMAP bitmap{};
    if (!logo_ || !GetObjectW(logo_.get(), sizeof bitmap, &bitmap))
        return;
    UniqueMemoryDc source(CreateCompatibleDC(item.hDC));
    if (!source)
        return;
    SelectScope select(source.get(), logo_.get());
    COLORREF transparent = GetPixel(source.get(), 0, bitmap.bmHeight - 1);
    GdiTransparentBlt(item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, source.get(), 0, 0,
                      bitmap.bmWidth, bitmap.bmHeight, transparent);
}

LRESULT TAboutForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DRAWITEM:
        if (wParam == IdImage1) {
            DrawImage1(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == Label3_) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kLinkColor);
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == Label3_) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return ModalForm::HandleMessage(msg, wParam, lParam);
}
