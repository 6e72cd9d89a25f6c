// "Convert POS and BACK" through the real dialog: keys, characters and clicks are posted to its
// own controls before the modal loop starts, and the rows are read back from the main window.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <functional>

#include "app/TMainForm.h"
#include "common/handles.h"
#include "common/window.h"
#include "jobs/TConvertPBForm.h"
#include "support/win_test_support.h"

namespace {

using Rows = std::vector<std::vector<std::wstring>>;

JobList InitialJobs()
{
    JobList rows{JobRow(L"C:\\s\\a_x.prn"), JobRow(L"C:\\s\\b_x.prn"), JobRow(L"C:\\s\\c_x.prn"),
                 JobRow(L"C:\\s\\d_x.prn")};
    rows[0].SetDirections(L"AB_POS1_COPY");
    rows[1].SetDirections(L"AB_BACK2_COPY");
    rows[3].SetDirections(L"CENTRAL_COPY");
    rows[3].SetResult(L"OK 1");
    return rows;
}

// What the list view shows after a conversion with these edit texts.
Rows Converted(const std::wstring& pos, const std::wstring& back)
{
    return {{L"C:\\s\\a_x.prn", pos, L""},
            {L"C:\\s\\b_x.prn", back, L""},
            {L"C:\\s\\c_x.prn", L"", L""},
            {L"C:\\s\\d_x.prn", L"CENTRAL_COPY", L"OK 1"}};
}
const Rows kUnchanged = Converted(L"AB_POS1_COPY", L"AB_BACK2_COPY");

void Post(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    ASSERT_TRUE(PostMessageW(hwnd, msg, wParam, lParam));
}

void Type(HWND edit, const std::wstring& text)
{
    for (wchar_t c : text)
        Post(edit, WM_CHAR, c, 1);
}

void Key(HWND control, UINT key)
{
    Post(control, WM_KEYDOWN, key, 1);
    Post(control, WM_KEYUP, key, 0xC0000001);
}

// What a showing of the dialog offers, seen from inside its modal loop.
struct Offer {
    bool shown = false;
    std::wstring pos, back;
    bool okIsDefault = false;
};
const TConvertPBForm* g_looked = nullptr;
Offer g_offer;

// A thread timer fires only once the modal loop has run out of queued input: it looks at the
// dialog, then confirms it with OK.
void CALLBACK LookThenConfirm(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    const TConvertPBForm& f = *g_looked;
    g_offer = {IsWindowVisible(f.Handle()) != FALSE, WindowText(f.EditPOS()), WindowText(f.EditBACK()),
               (GetWindowLongW(f.BitBtn1(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON};
    PostMessageW(f.BitBtn1(), BM_CLICK, 0, 0);
}

// The main window and its convert dialog, created afresh, with the rows of InitialJobs.
class ConvertSession {
public:
    ConvertSession()
    {
        main.Create(nullptr, nullptr, &dialog);
        dialog.Create(main.Handle());
        Reset();
    }

    void Reset()
    {
        main.Jobs() = InitialJobs();
        main.RowsChanged();
    }

    // Runs the menu command with the input posted just before. A close request posted behind
    // that input is still queued afterwards only when the input itself closed the dialog.
    bool RunCommand()
    {
        EXPECT_TRUE(PostMessageW(dialog.Handle(), WM_CLOSE, 0, 0));
        SendMessageW(main.Handle(), WM_COMMAND, IdConvertPB, 0);
        MSG sentinel;
        bool closedByInput = PeekMessageW(&sentinel, dialog.Handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
        PumpQueued();
        return closedByInput;
    }

    // Runs the menu command, looks at what the dialog offers and confirms it.
    Offer RunCommandLooking()
    {
        g_looked = &dialog;
        g_offer = {};
        EXPECT_NE(SetTimer(nullptr, 0, USER_TIMER_MINIMUM, LookThenConfirm), 0u);
        SendMessageW(main.Handle(), WM_COMMAND, IdConvertPB, 0);
        PumpQueued();
        return g_offer;
    }

    Rows ShownRows() { return ListViewRows(main.ListView1()); }

    TMainForm main;
    TConvertPBForm dialog;
};

}  // namespace

TEST(ConvertPBForm, InputDecidesTheRowsAndIsOfferedAgain)
{
    struct Case {
        const char* what;
        std::function<void(TConvertPBForm&)> input;
        Rows rows;                  // after the command
        const wchar_t* offeredPos;  // what the next showing offers
        const wchar_t* offeredBack;
    };
    const std::wstring greek = L"\u03a0\u03af\u03c3\u03c9 2";
    const Case cases[] = {
        {"OK at once", [](TConvertPBForm& f) { Post(f.BitBtn1(), BM_CLICK); }, Converted(L"AB_POS", L"AB_BACK"),
         L"AB_POS", L"AB_BACK"},
        {"typing replaces the selected EditPOS text, OK clicked",
         [](TConvertPBForm& f) {
             Type(f.EditPOS(), L"X");
             Post(f.BitBtn1(), BM_CLICK);
         },
         Converted(L"X", L"AB_BACK"), L"X", L"AB_BACK"},
        {"Tab to EditBACK, type, Enter",
         [&greek](TConvertPBForm& f) {
             Key(f.EditPOS(), VK_TAB);
             Type(f.EditBACK(), greek);
             Key(f.EditBACK(), VK_RETURN);
         },
         Converted(L"AB_POS", greek), L"AB_POS", greek.c_str()},
        {"EditBACK emptied",
         [](TConvertPBForm& f) {
             Key(f.EditPOS(), VK_TAB);
             Type(f.EditBACK(), L"\b");
             Post(f.BitBtn1(), BM_CLICK);
         },
         Converted(L"AB_POS", L""), L"AB_POS", L""},
        {"Cancel keeps what was typed but changes no row",
         [](TConvertPBForm& f) {
             Type(f.EditPOS(), L"X");
             Post(f.BitBtn2(), BM_CLICK);
         },
         kUnchanged, L"X", L"AB_BACK"},
        {"Enter on Cancel, reached by Tab",
         [](TConvertPBForm& f) {
             Type(f.EditPOS(), L"X");
             Key(f.EditPOS(), VK_TAB);
             Key(f.EditBACK(), VK_TAB);
             Key(f.BitBtn1(), VK_TAB);
             Key(f.BitBtn2(), VK_RETURN);
         },
         kUnchanged, L"X", L"AB_BACK"},
        {"Esc",
         [](TConvertPBForm& f) {
             Type(f.EditPOS(), L"X");
             Key(f.EditPOS(), VK_ESCAPE);
         },
         kUnchanged, L"X", L"AB_BACK"},
        {"close box", [](TConvertPBForm& f) { Post(f.Handle(), WM_SYSCOMMAND, SC_CLOSE); }, kUnchanged, L"AB_POS",
         L"AB_BACK"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ConvertSession session;
        c.input(session.dialog);
        ASSERT_TRUE(session.RunCommand()) << "the input did not close the dialog";
        EXPECT_EQ(session.ShownRows(), c.rows);
        EXPECT_FALSE(IsWindowVisible(session.dialog.Handle()));
        EXPECT_TRUE(IsWindowEnabled(session.main.Handle()));

        // The next showing offers the texts last typed, with OK as the default button again,
        // and confirming it at once converts with them.
        session.Reset();
        Offer offer = session.RunCommandLooking();
        EXPECT_TRUE(offer.shown);
        EXPECT_EQ(offer.pos, c.offeredPos);
        EXPECT_EQ(offer.back, c.offeredBack);
        EXPECT_TRUE(offer.okIsDefault);
        EXPECT_EQ(session.ShownRows(), Converted(c.offeredPos, c.offeredBack));
    }
}

// Counts the strongly green and strongly red pixels that the control paints of itself.
void CountColours(HWND control, int& green, int& red)
{
    RECT r;
    GetClientRect(control, &r);
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32}};
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(bitmap && dc);
    SelectScope use(dc.get(), bitmap.get());
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    green = red = 0;
    for (long i = 0; i < r.right * r.bottom; ++i) {
        uint32_t p = static_cast<const uint32_t*>(bits)[i];
        int cr = (p >> 16) & 0xFF, cg = (p >> 8) & 0xFF, cb = p & 0xFF;
        green += cg > 120 && cr < 80 && cb < 80;
        red += cr > 150 && cg < 60 && cb < 60;
    }
}

TEST(ConvertPBForm, LayoutTabOrderAndButtons)
{
    ConvertSession session;
    const TConvertPBForm& f = session.dialog;
    EXPECT_EQ(WindowText(f.Handle()), L"Convert TODO");
    EXPECT_FALSE(GetWindowLongW(f.Handle(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX)) << "fixed border";
    RECT outer, client;
    GetWindowRect(f.Handle(), &outer);
    GetClientRect(f.Handle(), &client);
    EXPECT_EQ(outer.left, 192);
    EXPECT_EQ(outer.top, 118);
    EXPECT_EQ(client.right, f.Scale(278));
    EXPECT_EQ(client.bottom, f.Scale(138));

    struct Control {
        HWND hwnd;
        const wchar_t* text;
        int left, top, width, height;  // width 0: a label, sized to its text
    };
    const Control controls[] = {
        {f.Label1(), L"Convert all POS to", 24, 16, 0, 0},  {f.EditPOS(), L"AB_POS", 136, 8, 121, 21},
        {f.Label2(), L"Convert all BACK to", 24, 56, 0, 0}, {f.EditBACK(), L"AB_BACK", 136, 48, 121, 21},
        {f.BitBtn1(), L"OK", 57, 96, 75, 25},                {f.BitBtn2(), L"Cancel", 145, 96, 75, 25},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(WindowText(c.hwnd), c.text);
        RECT r;
        GetWindowRect(c.hwnd, &r);
        MapWindowPoints(nullptr, f.Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, f.Scale(c.left));
        EXPECT_EQ(r.top, f.Scale(c.top));
        if (c.width) {
            EXPECT_EQ(r.right - r.left, f.Scale(c.width));
            EXPECT_EQ(r.bottom - r.top, f.Scale(c.height));
        } else {
            EXPECT_LE(r.right, f.Scale(136)) << "a label runs into its edit";
        }
    }

    // Tab order EditPOS, EditBACK, BitBtn1, BitBtn2, and round again; OK (Enter) and Cancel (Esc).
    HWND at = GetNextDlgTabItem(f.Handle(), nullptr, FALSE);
    for (HWND expected : {f.EditPOS(), f.EditBACK(), f.BitBtn1(), f.BitBtn2(), f.EditPOS()}) {
        EXPECT_EQ(at, expected);
        at = GetNextDlgTabItem(f.Handle(), at, FALSE);
    }
    EXPECT_EQ(GetDlgCtrlID(f.BitBtn1()), IDOK);
    EXPECT_EQ(GetDlgCtrlID(f.BitBtn2()), IDCANCEL);
    EXPECT_EQ(GetWindowLongW(f.BitBtn1(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

    // Glyphs: a green check on OK, a red cross on Cancel, each left of its caption.
    const int glyphArea = f.Scale(16) * f.Scale(16);
    int green = 0, red = 0;
    CountColours(f.BitBtn1(), green, red);
    EXPECT_GT(green, glyphArea / 8);
    EXPECT_EQ(red, 0);
    CountColours(f.BitBtn2(), green, red);
    EXPECT_GT(red, glyphArea / 8);
    EXPECT_EQ(green, 0);
    for (HWND button : {f.BitBtn1(), f.BitBtn2()}) {
        BUTTON_IMAGELIST list{};
        ASSERT_TRUE(SendMessageW(button, BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list)));
        EXPECT_EQ(ImageList_GetImageCount(list.himl), 1);
        EXPECT_EQ(list.uAlign, static_cast<UINT>(BUTTON_IMAGELIST_ALIGN_LEFT));
    }
}
