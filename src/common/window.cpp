#include "common/window.h"

#include "common/error_text.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/message_later.h"

#include <algorithm>
#include <exception>
#include <unordered_set>

namespace {

UINT SystemDpi()
{
    WindowDc dc(nullptr);
    const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// The window's own DPI where the system knows one (per-monitor awareness), else the system's.
UINT DpiOfWindow(HWND hwnd)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static auto fn = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = fn ? fn(hwnd) : 0;
    return dpi ? dpi : SystemDpi();
}

SIZE TextSize(HWND control, const std::wstring& text)
{
    WindowDc dc(control);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    SelectScope select(dc.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    RECT r{0, 0, 0, 0};
    DrawTextW(dc.get(), text.empty() ? L" " : text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return {r.right - r.left, r.bottom - r.top};
}

bool IsLabel(const ControlRow& row)
{
    return lstrcmpiW(row.className, L"STATIC") == 0 && (row.style & SS_TYPEMASK) != SS_OWNERDRAW;
}

std::wstring TextOf(const std::exception_ptr& failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return ErrorText(e);
    } catch (...) {
        return L"";
    }
}

// A command's error is shown at once, as its handler's guard would. Any other is shown after
// the message: a box opened inside a paint, or inside the submission's loop that only paints,
// would run its own loop in the middle of it.
void ReportFailure(HWND hwnd, UINT msg, const std::exception_ptr& failure)
{
    const std::wstring text = TextOf(failure);
    if (msg == WM_COMMAND) {
        ShowMessage(hwnd, text);
        return;
    }
    if (msg == WM_PAINT)
        ValidateRect(hwnd, nullptr);  // the paint ends here; it would only fail again
    ShowMessageLater(hwnd, text);
}

}  // namespace

Window::~Window()
{
    // The thunk lets go of the object after WM_NCDESTROY.
    if (hwnd_)
        DestroyWindow(hwnd_);
}

UINT Window::Dpi() const
{
    return dpi_ ? dpi_ : SystemDpi();
}

int Window::Scale(int pixels) const
{
    return MulDiv(pixels, static_cast<int>(Dpi()), 96);
}

void Window::CreateWindowOf(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle,
                            int x, int y, int width, int height, HWND owner, HMENU menu)
{
    static std::unordered_set<std::wstring> registered;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (registered.insert(className).second) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Thunk;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hIcon = ShowsIcon() ? LoadIconW(instance, MAKEINTRESOURCEW(1)) : nullptr;
        wc.lpszClassName = className;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw Win32Error(L"RegisterClass() error ", GetLastError());
    }
    HWND hwnd = CreateWindowExW(exStyle, className, caption.c_str(), style, x, y, width, height, owner, menu,
                                instance, this);
    if (!hwnd)
        throw Win32Error(L"CreateWindow() error ", GetLastError());
}

HFONT Window::FormFont()
{
    if (!font_) {
        LOGFONTW lf{};
        lf.lfHeight = -Scale(11);
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
        font_.reset(CreateFontIndirectW(&lf));
    }
    return font_.get();
}

HWND Window::CreateControl(const ControlRow& row)
{
    HWND child = CreateWindowExW(row.exStyle, row.className, row.text, WS_CHILD | WS_VISIBLE | row.style,
                                 Scale(row.left), Scale(row.top), Scale(row.width), Scale(row.height), hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), GetModuleHandleW(nullptr),
                                 nullptr);
    if (!child)
        throw Win32Error(L"CreateWindow() error ", GetLastError());
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont()), FALSE);
    controls_.push_back({child, row});
    return child;
}

void Window::PlaceControls()
{
    for (const PlacedControl& c : controls_) {
        const ControlRow& s = c.row;
        int width = Scale(s.width);
        int height = Scale(s.height);
        if (IsLabel(s)) {
            const SIZE text = TextSize(c.hwnd, WindowText(c.hwnd));
            width = std::max<int>(width, text.cx);
            height = std::max<int>(height, text.cy);
        } else if (s.width == 0 && s.height == 0) {
            continue;
        }
        SetWindowPos(c.hwnd, nullptr, Scale(s.left), Scale(s.top), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(c.hwnd, nullptr, TRUE);
    }
}

void Window::ChangeDpi(UINT dpi, const RECT& suggested)
{
    dpi_ = dpi;
    UniqueFont old = std::move(font_);  // freed once no control uses it
    for (const PlacedControl& c : controls_)
        SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont()), FALSE);
    DpiChanged();
    PlaceControls();
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Window::SetClientSize(int width, int height)
{
    RECT r{0, 0, Scale(width), Scale(height)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), GetMenu(hwnd_) != nullptr,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER |
                 SWP_NOACTIVATE);
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(msg, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Window::Thunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        self->dpi_ = DpiOfWindow(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    // An error that escapes a handler is reported, and the program goes on with the state that
    // the handler left: exceptions must never unwind through the system's frames.
    LRESULT result = 0;
    try {
        if (msg == WM_DPICHANGED)
            self->ChangeDpi(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        else
            result = self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        ReportFailure(hwnd, msg, std::current_exception());
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

// ---- Modal forms

ModalResult ModalForm::ShowModal(HWND owner)
{
    modalResult_ = ModalResult::None;
    showing_ = true;
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    FormShow();
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    if (first)
        SetFocus(first);
    bool quit = false;
    while (modalResult_ == ModalResult::None) {
        if (!PumpMessage(Handle())) {
            quit = true;
            break;
        }
    }
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
    ShowWindow(Handle(), SW_HIDE);
    if (owner)
        SetActiveWindow(owner);
    showing_ = false;
    if (quit) {
        PostQuitMessage(0);
        return ModalResult::Cancel;
    }
    return modalResult_;
}

void ModalForm::OnCommand(int id, int, HWND)
{
    if (id == IDCANCEL)
        SetModalResult(ModalResult::Cancel);
}

LRESULT ModalForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(defaultButton_, DC_HASDEFID);
    case WM_CLOSE:
        // The close box (and a posted close request) counts as Cancel; the form is only hidden.
        SetModalResult(ModalResult::Cancel);
        return 0;
    default:
        return Window::HandleMessage(msg, wParam, lParam);
    }
}

// ---- Message loop

static bool Dispatch(MSG& msg, HWND dialog)
{
    if (msg.message == WM_QUIT)
        return false;
    if (dialog && IsDialogMessageW(dialog, &msg))
        return true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

bool PumpMessage(HWND dialog)
{
    MSG msg;
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0)
        return false;
    return Dispatch(msg, dialog);
}

bool PumpPending(HWND dialog)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!Dispatch(msg, dialog)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
    }
    return true;
}

void ShowMessage(HWND owner, const std::wstring& text)
{
    MessageBoxW(owner, text.c_str(), ProgramTitle().c_str(), MB_OK);
}

std::wstring WindowText(HWND hwnd)
{
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}
