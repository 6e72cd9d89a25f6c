#include "common/message_later.h"

#include <deque>

#include "common/window.h"

namespace {

const UINT kShowLater = WM_APP + 0x2F0;

struct LaterMessage {
    HWND owner;
    std::wstring text;
};

std::deque<LaterMessage>& LaterMessages()
{
    static std::deque<LaterMessage> messages;
    return messages;
}

LRESULT CALLBACK LaterMessageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != kShowLater)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    std::deque<LaterMessage>& messages = LaterMessages();
    if (!messages.empty()) {
        LaterMessage message = std::move(messages.front());
        messages.pop_front();
        ShowMessage(IsWindow(message.owner) ? message.owner : nullptr, message.text);
    }
    return 0;
}

// A message-only window of its own, so that the message is shown even when the window that
// asked for it is gone by then.
HWND LaterMessageWindow()
{
    static HWND window = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = LaterMessageProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VorlaMessageLater";
        RegisterClassExW(&wc);
        return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                               nullptr);
    }();
    return window;
}

}  // namespace

void ShowMessageLater(HWND owner, const std::wstring& text)
{
    LaterMessages().push_back({owner, text});
    if (!PostMessageW(LaterMessageWindow(), kShowLater, 0, 0))
        LaterMessages().pop_back();
}
