// The window layer under the forms: the rule for drops and commands, how a form and its window
// end, and the forms at another scale.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>

#include "about/TAboutForm.h"
#include "app/TMainForm.h"
#include "common/command_gate.h"
#include "common/errors.h"
#include "config/TConfigForm.h"
#include "jobs/TConvertPBForm.h"
#include "support/win_test_support.h"

using Paths = std::vector<std::wstring>;

// Drops that come while a command runs wait for its end, also when it throws: the last one is
// opened, the ones before it are freed unopened, and no second command starts inside the first.
TEST(CommandGate, DropsDuringAThrowingCommandAreOpenedAfterItLastOneWins)
{
    std::vector<Paths> opened;
    CommandGate gate([&](const Paths& paths) { opened.push_back(paths); });
    HDROP first = MakeDrop({L"C:\\first.prn"});
    auto command = [&] {
        gate.Take(UniqueDrop(first));
        gate.Take(UniqueDrop(MakeDrop({L"C:\\last.prn", L"C:\\spool"})));
        gate.Run([&] { opened.push_back({L"a second command"}); });
        EXPECT_TRUE(opened.empty());
        throw AppError(L"failed");
    };
    EXPECT_THROW(gate.Run(command), AppError);
    EXPECT_EQ(opened, (std::vector<Paths>{{L"C:\\last.prn", L"C:\\spool"}}));
    EXPECT_EQ(GlobalSize(first), 0u) << "the first drop was not freed";
    EXPECT_FALSE(gate.CommandRunning());

    gate.Take(UniqueDrop(MakeDrop({L"C:\\after.prn"})));  // no command: opened at once
    EXPECT_EQ(opened.back(), Paths{L"C:\\after.prn"});
}

// A form's window goes with the form, and a window destroyed first (the main window's close)
// runs the form's own handlers and leaves the form without a handle; either way the result
// file of a submission goes with the main window.
TEST(FormLifetime, WindowGoesWithItsFormOrBeforeIt)
{
    TempFolder t;
    for (bool windowFirst : {false, true}) {
        SCOPED_TRACE(windowFirst ? "window destroyed first" : "form destroyed with its window");
        const std::wstring resultFile = t / L"VOR1.tmp";
        WriteBytes(resultFile, "answer");
        HWND main, dialog, edit;
        {
            TMainForm form;
            TConvertPBForm convert;
            form.Create(nullptr, nullptr, &convert);
            convert.Create(nullptr);
            main = form.Handle();
            dialog = convert.Handle();
            edit = convert.EditPOS();
            const_cast<std::wstring&>(form.ResultFileName()) = resultFile;
            if (windowFirst) {
                DestroyWindow(form.Handle());
                DestroyWindow(convert.Handle());
                EXPECT_EQ(form.Handle(), nullptr);
                EXPECT_EQ(convert.Handle(), nullptr);
                EXPECT_EQ(GetFileAttributesW(resultFile.c_str()), INVALID_FILE_ATTRIBUTES);
            }
        }
        EXPECT_FALSE(IsWindow(main));
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_FALSE(IsWindow(edit));
        EXPECT_EQ(GetFileAttributesW(resultFile.c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

namespace {

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

bool ShowsCaption(HWND control)
{
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (lstrcmpiW(className, L"Static") == 0)
        return (style & SS_TYPEMASK) != SS_OWNERDRAW;
    return lstrcmpiW(className, L"Button") == 0;
}

// The width of the control's caption in the control's own font.
int CaptionWidth(HWND control)
{
    const std::wstring text = WindowText(control);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

RECT RectIn(HWND parent, HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

// Moved to a monitor of 150 %, each dialog takes the rectangle it is offered, its fonts follow,
// no caption is cut and no control runs into another or out of the dialog.
TEST(FormScale, At144DpiNoCaptionIsCutAndNoControlOverlaps)
{
    TConfigForm config;
    TConvertPBForm convert;
    TAboutForm about;
    config.Create(nullptr);
    convert.Create(nullptr);
    about.Create(nullptr);
    const UINT dpi = 144;
    for (HWND form : {config.Handle(), convert.Handle(), about.Handle()}) {
        SCOPED_TRACE(Utf8(WindowText(form)));
        RECT suggested;
        GetWindowRect(form, &suggested);
        suggested.right = suggested.left + MulDiv(suggested.right - suggested.left, dpi, 96);
        suggested.bottom = suggested.top + MulDiv(suggested.bottom - suggested.top, dpi, 96);
        SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT now, client;
        GetWindowRect(form, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested));
        GetClientRect(form, &client);

        const std::vector<HWND> controls = Children(form);
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(controls.back(), WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(font.lfHeight, -MulDiv(11, dpi, 96));
        for (size_t i = 0; i < controls.size(); ++i) {
            const RECT r = RectIn(form, controls[i]);
            SCOPED_TRACE(Utf8(WindowText(controls[i])));
            if (ShowsCaption(controls[i])) {
                EXPECT_LE(CaptionWidth(controls[i]), r.right - r.left);
            }
            RECT inside;
            IntersectRect(&inside, &r, &client);
            EXPECT_TRUE(EqualRect(&inside, &r)) << "out of the dialog";
            for (size_t j = i + 1; j < controls.size(); ++j) {
                const RECT other = RectIn(form, controls[j]);
                RECT overlap;
                EXPECT_FALSE(IntersectRect(&overlap, &r, &other)) << "runs into " << Utf8(WindowText(controls[j]));
            }
        }
    }
}

namespace {

class FailingPaint : public Window {
public:
    void Create() { CreateWindowOf(L"FailingPaint", L"", WS_POPUP | WS_VISIBLE, 0, 0, 0, 50, 50, nullptr, nullptr); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_PAINT)
            throw AppError(L"paint failed");
        return Window::HandleMessage(msg, wParam, lParam);
    }
};

}  // namespace

// A paint that throws ends there; its error is shown from the queue after it, not inside it.
TEST(WindowErrors, AnErrorInAPaintIsShownAfterThePaint)
{
    MessageBoxWatcher boxes;
    FailingPaint window;
    window.Create();
    InvalidateRect(window.Handle(), nullptr, TRUE);
    UpdateWindow(window.Handle());
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_FALSE(GetUpdateRect(window.Handle(), nullptr, FALSE));
    PumpQueued();
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{L"paint failed"});
}
