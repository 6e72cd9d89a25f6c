// The window base shared by every form: one window-procedure thunk that stores `this`,
// controls created from a layout table in 96-DPI pixels, and the modal loop of the dialogs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "common/handles.h"

// One child control of a form's layout. Places are pixels at 96 DPI in the client area.
struct ControlSpec {
    int id;
    const wchar_t* className;  // L"BUTTON", L"EDIT", L"STATIC", L"COMBOBOX", ...
    const wchar_t* text;
    DWORD style;               // WS_CHILD | WS_VISIBLE are added
    int left, top, width, height;
    DWORD exStyle = 0;
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return hwnd_; }
    // Pixels at 96 DPI scaled to this window's DPI.
    int Scale(int pixels) const;

protected:
    // Registers the class on first use and creates the window; throws Win32Error on failure.
    void CreateWindowOf(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle,
                        int x, int y, int width, int height, HWND owner, HMENU menu);
    // Creates the controls of a layout table with the form's font; returns their handles in order.
    std::vector<HWND> CreateControls(const ControlSpec* specs, size_t count);
    // "MS Sans Serif", height -11 at 96 DPI: the forms' font.
    HFONT FormFont();
    // Sizes the window so that its client area is width x height (96-DPI pixels).
    void SetClientSize(int width, int height);

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Top-level windows show the program's icon; dialogs show none.
    virtual bool ShowsIcon() const { return true; }
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Thunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    UniqueGdiObject font_;
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

// The message loop. Every message taken from the queue, in the main loop and in the modal
// loops alike, is first shown to the hook (the main window's drop handling).
using MessageHook = void (*)(const MSG& msg, void* context);
void SetMessageHook(MessageHook hook, void* context);
// Takes and dispatches one message; dialog is the active modal form (for Tab/Enter/Esc) or
// null. Returns false when WM_QUIT was taken.
bool PumpMessage(HWND dialog);
// Dispatches what is queued now without waiting; false when WM_QUIT was taken (it is posted again).
bool PumpPending(HWND dialog = nullptr);

// The message box of every command: the text, one OK button, the program's title as caption.
void ShowMessage(HWND owner, const std::wstring& text);

// Text of a window or control.
std::wstring WindowText(HWND hwnd);
