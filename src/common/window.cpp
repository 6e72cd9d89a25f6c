#include "common/window.h"

#include "common/errors.h"
#include "common/fileio.h"

#include <unordered_set>

Window::~Window()
{
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

static UINT DpiOf(HWND hwnd)
{
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static auto fn = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = (fn && hwnd) ? fn(hwnd) : 0;
    if (dpi == 0) {
        WindowDc dc(nullptr);
        dpi = static_cast<UINT>(GetDeviceCaps(dc.get(), LOGPIXELSY));
    }
    return dpi ? dpi : 96;
}

int Window::Scale(int pixels) const
{
    return MulDiv(pixels, static_cast<int>(DpiOf(hwnd_)), 96);
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
    return static_cast<HFONT>(font_.get());
}

std::vector<HWND> Window::CreateControls(const ControlSpec* specs, size_t count)
{
    std::vector<HWND> handles;
    HFONT font = FormFont();
    for (size_t i = 0; i < count; ++i) {
        const ControlSpec& s = specs[i];
        HWND child = CreateWindowExW(s.exStyle, s.className, s.text, WS_CHILD | WS_VISIBLE | s.style,
                                     Scale(s.left), Scale(s.top), Scale(s.width), Scale(s.height), hwnd_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(s.id)),
                                     GetModuleHandleW(nullptr), nullptr);
        if (!child)
            throw Win32Error(L"CreateWindow() error ", GetLastError());
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        handles.push_back(child);
    }
    return handles;
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
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    // An error that escapes a handler is shown, and the program goes on with the state that
    // the handler left: exceptions must never unwind through the system's frames.
    try {
        LRESULT r = self->HandleMessage(msg, wParam, lParam);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return r;
    } catch (const AppError& e) {
        ShowMessage(hwnd, e.Message());
    } catch (const std::exception& e) {
        std::string what = e.what();
        ShowMessage(hwnd, std::wstring(what.begin(), what.end()));
    } catch (...) {
        ShowMessage(hwnd, L"");
    }
    return 0;
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

static MessageHook g_hook = nullptr;
static void* g_hookContext = nullptr;

void SetMessageHook(MessageHook hook, void* context)
{
    g_hook = hook;
    g_hookContext = context;
}

static bool Dispatch(MSG& msg, HWND dialog)
{
    if (msg.message == WM_QUIT)
        return false;
    if (g_hook)
        g_hook(msg, g_hookContext);
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
