// The window base shared by every form: one window-procedure thunk that stores `this`,
// controls created from a layout table in 96-DPI pixels and bound to the form's members,
// the form font, the window's DPI, and the modal loop of the dialogs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "common/handles.h"

// One child control of a form's layout. Places are pixels at 96 DPI in the client area. A
// label ("STATIC") is never narrower or lower than its text in its font at the window's DPI;
// one of size 0 x 0 is exactly as big as its text. Other controls of size 0 x 0 are placed by
// the form itself.
struct ControlRow {
    int id;
    const wchar_t* className;  // L"BUTTON", L"EDIT", L"STATIC", L"COMBOBOX", ...
    const wchar_t* text;
    DWORD style;               // WS_CHILD | WS_VISIBLE are added
    int left, top, width, height;
    DWORD exStyle = 0;
};

// A row of a form's layout table: the control, and the form's member that holds its handle.
template <class Form>
struct LayoutRow {
    HWND Form::*member;
    ControlRow control;
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // Destroys the window if it is still there. The form's own handlers do not run then (that
    // part of the object is gone already), so a form keeps nothing that its window's
    // destruction needs: the messages go to the system's default handling.
    virtual ~Window();

    HWND Handle() const { return hwnd_; }
    // The window's DPI (the system's before the window exists).
    UINT Dpi() const;
    // Pixels at 96 DPI scaled to this window's DPI.
    int Scale(int pixels) const;

protected:
    // Registers the class on first use and creates the window; throws Win32Error on failure.
    void CreateWindowOf(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle,
                        int x, int y, int width, int height, HWND owner, HMENU menu);
    // Creates the controls of the layout table, in its order, with the form font; stores each
    // handle in its row's member, places them all (PlaceControls), and lets the form fit what
    // depends on the scale to the window's DPI (DpiChanged), as it does at every change.
    template <class Form, size_t N>
    void CreateControls(const LayoutRow<Form> (&rows)[N])
    {
        for (const LayoutRow<Form>& row : rows)
            static_cast<Form*>(this)->*row.member = CreateControl(row.control);
        PlaceControls();
        DpiChanged();
    }
    // Puts the table's controls at their places at the window's DPI, each label at least as big
    // as its text in its present font. Call again after a label's text or font changed.
    void PlaceControls();
    // "MS Sans Serif", height -11 at 96 DPI, at the window's DPI: the forms' font.
    HFONT FormFont();
    // Sizes the window so that its client area is width x height (96-DPI pixels).
    void SetClientSize(int width, int height);

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // After the window's DPI changed: the form font is new and set on the table's controls
    // already; the form makes its own fonts and pictures again for Dpi() and sets them. The
    // table's controls are placed afterwards, then the window takes its new rectangle. Also
    // called once at creation, by CreateControls, once the controls are placed.
    virtual void DpiChanged() {}
    // Top-level windows show the program's icon; dialogs show none.
    virtual bool ShowsIcon() const { return true; }
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND CreateControl(const ControlRow& row);
    void ChangeDpi(UINT dpi, const RECT& suggested);

    struct PlacedControl {
        HWND hwnd;
        ControlRow row;
    };
    HWND hwnd_ = nullptr;
    UINT dpi_ = 0;
    UniqueFont font_;
    std::vector<PlacedControl> controls_;
};

// Modal results, as the forms report them.
enum class ModalResult { None = 0, Ok = IDOK, Cancel = IDCANCEL };

// A dialog-like form: hidden until shown modally; Tab, Enter (the default button, IDOK) and
// Esc (IDCANCEL) work as in a dialog; the close box counts as Cancel.
class ModalForm : public Window {
public:
    ModalResult ShowModal(HWND owner);
    void SetModalResult(ModalResult result) { modalResult_ = result; }
    bool IsShowingModal() const { return showing_; }

protected:
    bool ShowsIcon() const override { return false; }
    virtual void FormShow() {}
    virtual void OnCommand(int id, int code, HWND control);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int defaultButton_ = IDOK;

private:
    ModalResult modalResult_ = ModalResult::None;
    bool showing_ = false;
};

// The message loop of the main window and of the modal forms. Takes and dispatches one
// message; dialog is the active modal form (for Tab/Enter/Esc) or null. Returns false when
// WM_QUIT was taken.
bool PumpMessage(HWND dialog);
// Dispatches what is queued now without waiting; false when WM_QUIT was taken (it is posted again).
bool PumpPending(HWND dialog = nullptr);

// The message box of every command: the text, one OK button, the program's title as caption.
void ShowMessage(HWND owner, const std::wstring& text);

// Text of a window or control.
std::wstring WindowText(HWND hwnd);
