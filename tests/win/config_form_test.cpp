// "Configure Vorla" through the real dialog on a branch machine made in the test prefix: Vorla's
// folder and Ghostscript under Program Files, printers in Wine's printer registry, the barcode
// font loaded privately, the templates beside win_tests.exe. Each run opens the dialog from the
// main window's menu and works it through its own controls; registry, folders and image are
// read back with the raw API.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/TMainForm.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/text_lines.h"
#include "common/window.h"
#include "config/TConfigForm.h"
#include "config/address_bitmap.h"
#include "config/ok_glyph.h"
#include "config/printers.h"
#include "support/branch_machine.h"
#include "support/win_test_support.h"

using namespace machine;

namespace {

const wchar_t kNoUncPos[] = L"Δεν δηλώσατε UNC path (POS). Η εγκατάσταση θα προχωρήσει χωρίς αυτό!";
const wchar_t kNoUncBack[] = L"Δεν δηλώσατε UNC path (BackOffice). Η εγκατάσταση θα προχωρήσει χωρίς αυτό!";
const wchar_t kBadBranch[] = L"Δεν μπορείτε να δημιουργήσετε το υποκ/μα ";
const wchar_t kFiveLines[] = L"Χρειάζονται 5 γραμμές ακριβώς για το Υποκατάστημα!";

std::vector<std::wstring> Messages(std::initializer_list<std::wstring> texts)
{
    return texts;
}

}  // namespace

TEST(ConfigForm, LayoutAndDefaults)
{
    TConfigForm dialog;
    dialog.Create(nullptr);
    EXPECT_EQ(WindowText(dialog.Handle()), L"Auto configure");
    RECT client{};
    GetClientRect(dialog.Handle(), &client);
    EXPECT_EQ(client.right, 570);
    EXPECT_EQ(client.bottom, 342);

    // The drop-down lists' closed boxes keep the height of the edits beside them.
    for (HWND combo : {dialog.ComboPrn(), dialog.ComboBack()}) {
        RECT r{};
        GetWindowRect(combo, &r);
        EXPECT_EQ(r.right - r.left, 145);
        EXPECT_EQ(r.bottom - r.top, 21);
        EXPECT_EQ(GetWindowLongW(combo, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    }

    // Tab order, from the first tab stop round to it again.
    std::vector<HWND> order;
    HWND at = GetNextDlgTabItem(dialog.Handle(), nullptr, FALSE);
    for (int i = 0; i < 10; ++i, at = GetNextDlgTabItem(dialog.Handle(), at, FALSE))
        order.push_back(at);
    EXPECT_EQ(order, (std::vector<HWND>{dialog.EditBranch(), dialog.EditPos(), dialog.EditBack(), dialog.ComboPrn(),
                                        dialog.ComboBack(), dialog.EditUncPos(), dialog.EditUncBack(),
                                        dialog.Memo1(), dialog.BitBtnOk(), dialog.BitBtn2()}));
    EXPECT_EQ(at, dialog.EditBranch());

    const LONG memo = GetWindowLongW(dialog.Memo1(), GWL_STYLE);
    EXPECT_EQ(memo & (ES_MULTILINE | WS_HSCROLL | WS_VSCROLL), ES_MULTILINE | WS_HSCROLL | WS_VSCROLL);
    EXPECT_EQ(LOWORD(SendMessageW(dialog.Handle(), DM_GETDEFID, 0, 0)), IDOK);
    EXPECT_EQ(GetWindowLongW(dialog.BitBtnOk(), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);

    // The default header: five lines, the first and third of the form label, colon, value.
    const std::vector<std::wstring> lines = SplitTextLines(WindowText(dialog.Memo1()));
    ASSERT_EQ(lines.size(), 5u);
    for (int i : {0, 2}) {
        size_t colon = lines[i].find(L':');
        EXPECT_TRUE(colon != std::wstring::npos && colon > 0 && colon + 1 < lines[i].size()) << Utf8(lines[i]);
    }
    for (auto [edit, folder] : {std::pair{dialog.EditUncPos(), L"\\STORE_FILES$\\POS"},
                                std::pair{dialog.EditUncBack(), L"\\STORE_FILES$\\BACK"}}) {
        const std::wstring unc = WindowText(edit);
        EXPECT_EQ(unc.rfind(L"\\\\", 0), 0u) << Utf8(unc);
        EXPECT_EQ(unc.substr(unc.size() - wcslen(folder)), folder);
    }
}

TEST(ConfigForm, OkGlyphShowsACheckAndAGreyDisabledForm)
{
    TConfigForm dialog;
    dialog.Create(nullptr);
    BUTTON_IMAGELIST list{};
    ASSERT_TRUE(SendMessageW(dialog.BitBtnOk(), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list)));
    ASSERT_NE(list.himl, nullptr);
    ASSERT_EQ(ImageList_GetImageCount(list.himl), 6);
    int width = 0, height = 0;
    ImageList_GetIconSize(list.himl, &width, &height);
    EXPECT_EQ(width, kOkGlyphFrame);
    EXPECT_EQ(height, kOkGlyphFrame);

    // Each state drawn on white: which colours it shows.
    auto colours = [&](int image) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all{0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ImageList_Draw(list.himl, image, dc, 0, 0, ILD_TRANSPARENT);
        GdiFlush();
        std::set<DWORD> seen;
        for (int i = 0; i < width * height; ++i)
            seen.insert(static_cast<const DWORD*>(bits)[i] & 0xFFFFFF);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return seen;
    };
    const DWORD green = 0x008000, navy = 0x000080, grey = 0x808080, white = 0xFFFFFF, olive = 0x808000;
    for (int state : {0, 1, 2, 4, 5})
        EXPECT_EQ(colours(state), (std::set<DWORD>{white, green, navy})) << "state " << state;
    EXPECT_EQ(colours(3), (std::set<DWORD>{white, grey})) << "disabled";
    EXPECT_EQ(colours(0).count(olive), 0u);
}

TEST(ConfigForm, PrinterEnumerationRetriesWhenPrintersChangeMeanwhile)
{
    // A scripted enumeration: each call answers with the next entry of the script.
    struct Answer {
        DWORD needed;
        DWORD error;  // 0: success with the names
        std::vector<std::wstring> names;
    };
    auto scripted = [](std::vector<Answer> script, int& calls) {
        return [script, &calls](BYTE* buffer, DWORD size, DWORD* needed, DWORD* returned) -> BOOL {
            const Answer& a = script.at(static_cast<size_t>(calls++));
            *needed = a.needed;
            *returned = 0;
            if (!buffer || size < a.needed || a.error) {
                SetLastError(a.error ? a.error : ERROR_INSUFFICIENT_BUFFER);
                return FALSE;
            }
            auto* entries = reinterpret_cast<PRINTER_INFO_1W*>(buffer);
            auto* text = reinterpret_cast<wchar_t*>(entries + a.names.size());
            for (const std::wstring& name : a.names) {
                entries[*returned] = PRINTER_INFO_1W{0, nullptr, text, nullptr};
                text = std::copy(name.begin(), name.end(), text);
                *text++ = L'\0';
                ++*returned;
            }
            return TRUE;
        };
    };
    const DWORD room = 2 * sizeof(PRINTER_INFO_1W) + 64;
    struct Case {
        const char* what;
        std::vector<Answer> script;
        std::vector<std::wstring> names;
        const wchar_t* error;  // null: no error
        int calls;
    };
    const Case cases[] = {
        {"no printers: one query", {{0, 0, {}}}, {}, nullptr, 1},
        {"steady", {{room, 0, {}}, {room, 0, {L"A", L"B"}}}, {L"A", L"B"}, nullptr, 2},
        {"a printer added after the size query",
         {{room / 2, 0, {}}, {room, 0, {}}, {room, 0, {L"A", L"B"}}},
         {L"A", L"B"},
         nullptr,
         3},
        {"other failure", {{room, 0, {}}, {room, ERROR_ACCESS_DENIED, {}}}, {}, L"EnumPrinters() error 5", 2},
        {"the buffer never fits",
         {{8, 0, {}}, {16, 0, {}}, {24, 0, {}}, {32, 0, {}}, {40, 0, {}}, {48, 0, {}}},
         {},
         L"EnumPrinters() error 122",
         6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int calls = 0;
        try {
            EXPECT_EQ(EnumeratePrinterNames(scripted(c.script, calls)), c.names);
            EXPECT_EQ(c.error, nullptr);
        } catch (const AppError& e) {
            EXPECT_EQ(e.Message(), c.error ? c.error : L"<no error>");
        }
        EXPECT_EQ(calls, c.calls);
    }
}

TEST(BranchConfigFormRun, KeysEnterAndEscape)
{
    BranchMachine machine;
    ConfigSession session;
    TConfigForm& dialog = session.dialog;
    auto key = [](HWND control, UINT vk) {
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
        PostMessageW(control, WM_KEYDOWN, vk, scan | 1);
        PostMessageW(control, WM_KEYUP, vk, scan | 0xC0000001);
    };

    // Enter in a single-line field presses OK: the branch text "x" is refused.
    SetWindowTextW(dialog.EditBranch(), L"x");
    Outcome enter = session.Run({[&] { session.ChoosePrinters(); }, [&] { key(dialog.EditBranch(), VK_RETURN); }});
    EXPECT_EQ(enter.messages, Messages({std::wstring(kBadBranch) + L"0"}));
    EXPECT_FALSE(enter.closed);

    // Enter in the memo starts a line there; OK then finds six lines and closes the dialog.
    Outcome memo = session.Run({[&] {
                                    SetFocus(dialog.Memo1());
                                    SendMessageW(dialog.Memo1(), EM_SETSEL, 0, 0);
                                    key(dialog.Memo1(), VK_RETURN);
                                },
                                [] {},  // the key's character is queued behind this step
                                [&] { session.Press(dialog.BitBtnOk()); }});
    EXPECT_EQ(memo.messages, Messages({kFiveLines}));
    EXPECT_TRUE(memo.closed);
    EXPECT_EQ(WindowText(dialog.Memo1()), std::wstring(L"\r\n") + kHeader);

    Outcome escape = session.Run({[&] { key(dialog.EditPos(), VK_ESCAPE); }});
    EXPECT_TRUE(escape.messages.empty());
    EXPECT_TRUE(escape.closed);
    EXPECT_FALSE(KeyExists(kVorlaKey));
}

TEST(BranchConfigFormRun, MainRunWritesTheProductValuesMapsFoldersAndImage)
{
    BranchMachine machine;
    ConfigSession session;
    const std::wstring uncPos = WindowText(session.dialog.EditUncPos());
    const std::wstring uncBack = WindowText(session.dialog.EditUncBack());

    Outcome run = session.RunOk();
    EXPECT_EQ(run.messages, Messages({kDone}));
    EXPECT_FALSE(run.closed);

    EXPECT_EQ(ReadText(kVorlaKey, L"ps2pdf_cmd"), ProgramFilesFolder() + L"\\gs\\gs9.14\\bin\\gswin32c.exe");
    EXPECT_EQ(ReadText(kVorlaKey, L"ps2pdf_params"),
              L"-dBATCH -dNOPAUSE -dNOOUTERSAVE -dUseCIEColor -sProcessColorModel=DeviceCMYK -sDEVICE=pdfwrite");
    EXPECT_EQ(Aliases(), (std::vector<std::wstring>{L"AB_POS1", L"AB_POS2", L"AB_POS4", L"AB_BACK9", L"AB_BACK10",
                                                    L"AB_BACK12"}));
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        const bool pos = n <= 3;
        EXPECT_EQ(ReadText(MapKey(n, L"Master"), L"Printer"), pos ? kPosPrinter : kBackPrinter);
        EXPECT_EQ(ReadText(MapKey(n, L"Copy"), L"Printer"), L"CutePDF Writer");
        EXPECT_EQ(ReadText(MapKey(n, L"Copy"), L"PrnOutDir"), pos ? uncPos : uncBack);
    }
    EXPECT_EQ(ReadText(MapKey(1), L"EscFile"), machine.MapFolder(L"001201") + L"\\generic_ab.esc");
    EXPECT_EQ(ReadText(MapKey(6, L"Copy"), L"XmlFile"), machine.MapFolder(L"001212") + L"\\ab_BACK.xml");

    EXPECT_EQ(machine.NewEntries(),
              (std::set<std::wstring>{L"001201", L"001202", L"001204", L"001209", L"001210", L"001212"}));
    for (const wchar_t* folder : {L"001201", L"001209"}) {
        SCOPED_TRACE(Utf8(folder));
        const bool pos = folder[5] == L'1';
        const std::wstring xml = pos ? L"ab_POS.xml" : L"ab_BACK.xml";
        EXPECT_EQ(FolderEntries(machine.MapFolder(folder)),
                  (std::set<std::wstring>{L"generic_ab.esc", L"ab1.bmp", L"address.bmp", xml}));
        EXPECT_EQ(ReadBytes(machine.MapFolder(folder) + L"\\" + xml),
                  ReadBytes(ProgramFolder() + (pos ? L"\\abPOS.xml" : L"\\abBACK.xml")));
        // The type's first folder and its two later folders share each file.
        EXPECT_EQ(LinkCount(machine.MapFolder(folder) + L"\\address.bmp"), 3u);
    }

    // The header image: a 487 x 102 bitmap of 8 bits, drawn from the memo's lines.
    const std::string image = ReadBytes(machine.MapFolder(L"001201") + L"\\address.bmp");
    ASSERT_GT(image.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header{};
    memcpy(&header, image.data() + sizeof(BITMAPFILEHEADER), sizeof header);
    EXPECT_EQ(image.substr(0, 2), "BM");
    EXPECT_EQ(header.biWidth, 487);
    EXPECT_EQ(abs(header.biHeight), 102);
    EXPECT_EQ(header.biBitCount, 8);
    TempFolder temp;
    const auto drawMemo = [&](const std::wstring& path) {
        RenderAddressBitmap(path, SplitTextLines(WindowText(session.dialog.Memo1())), [](const std::wstring&) {});
    };
    drawMemo(temp / L"memo.bmp");
    EXPECT_EQ(ReadBytes(temp / L"memo.bmp"), image);
    SetWindowTextW(session.dialog.Memo1(), L"ΑΛΛΟ: κείμενο\r\nβ\r\nΕΔΡΑ: γ\r\nδ\r\nε");
    drawMemo(temp / L"other.bmp");
    EXPECT_NE(ReadBytes(temp / L"other.bmp"), image);
}

TEST(BranchConfigFormRun, EveryRunRebuildsAllMapsAndCancelKeepsThem)
{
    BranchMachine machine;
    WriteOldMaps(8);
    ConfigSession session;
    EXPECT_EQ(session.RunOk().messages, Messages({kDone}));
    EXPECT_EQ(MapNames(), (std::set<std::wstring>{L"1", L"2", L"3", L"4", L"5", L"6"}));

    // The dialog offers what was typed; the printers are chosen again after the lists are refilled.
    EXPECT_EQ(WindowText(session.dialog.EditBranch()), L"12");
    SetWindowTextW(session.dialog.EditPos(), L"5");
    SetWindowTextW(session.dialog.EditBack(), L"7");
    Outcome second = session.RunOk();
    EXPECT_EQ(second.messages, Messages({kDone}));
    EXPECT_EQ(Aliases(), (std::vector<std::wstring>{L"AB_POS5", L"AB_BACK7"}));
    EXPECT_EQ(MapNames().size(), 2u);
    EXPECT_TRUE(IsExistingFile(machine.MapFolder(L"001201") + L"\\address.bmp"));  // folders stay

    Outcome cancel = session.Run({[&] { session.Press(session.dialog.BitBtn2()); }});
    EXPECT_TRUE(cancel.closed);
    EXPECT_TRUE(cancel.messages.empty());
    EXPECT_EQ(Aliases(), (std::vector<std::wstring>{L"AB_POS5", L"AB_BACK7"}));
}

TEST(BranchConfigFormRun, EachMachineCheckFailsInTurnAndClosesTheDialog)
{
    struct Case {
        const char* what;
        std::function<std::vector<std::shared_ptr<Hidden>>(BranchMachine&, TConfigForm&)> breakIt;
        std::function<std::wstring(BranchMachine&)> message;
        bool closeRequested;
    };
    using Pieces = std::vector<std::shared_ptr<Hidden>>;
    auto installMessage = [](BranchMachine& m) { return L"Ο κατάλογος " + m.installDir + L" δεν υπάρχει!"; };
    auto text = [](const wchar_t* t) { return [t](BranchMachine&) { return std::wstring(t); }; };
    const Case cases[] = {
        {"Vorla's folder missing",
         [](BranchMachine& m, TConfigForm&) { return Pieces{std::make_shared<Hidden>(m.installDir)}; },
         installMessage, false},
        {"Vorla's folder and Ghostscript missing: the first check speaks",
         [](BranchMachine& m, TConfigForm&) {
             return Pieces{std::make_shared<Hidden>(m.installDir), std::make_shared<Hidden>(m.ghostscript)};
         },
         installMessage, false},
        {"Ghostscript missing",
         [](BranchMachine& m, TConfigForm&) { return Pieces{std::make_shared<Hidden>(m.ghostscript)}; },
         text(L"Πρέπει να εγκαταστήσετε το GhostScript 9.0 πρώτα!"), false},
        {"escape file missing beside the program",
         [](BranchMachine& m, TConfigForm&) { return Pieces{std::make_shared<Hidden>(m.escFile)}; },
         [](BranchMachine& m) { return L"Δεν βρέθηκε το αρχείο " + m.escFile; }, false},
        {"PDF printer missing",
         [](BranchMachine&, TConfigForm&) {
             RemovePrinter(L"CutePDF Writer");
             return Pieces{};
         },
         text(L"Εγκαταστήστε πρώτα τον εκτυπωτή CutePDF Writer!"), true},
        {"no printers at all",
         [](BranchMachine&, TConfigForm&) {
             for (const std::wstring& name : PrinterKeys())
                 RemovePrinter(name);
             return Pieces{};
         },
         text(L"Εγκαταστήστε πρώτα τον εκτυπωτή CutePDF Writer!"), true},
        {"barcode font missing",
         [](BranchMachine& m, TConfigForm&) {
             m.UnloadFonts();
             return Pieces{};
         },
         text(L"Εγκαταστήστε πρώτα τo font Free 3 of 9 Extended"), true},
        {"barcode font named in other letter case",
         [](BranchMachine& m, TConfigForm&) {
             m.UnloadFonts();
             m.LoadFont(L"barcode-case.ttf");
             return Pieces{};
         },
         text(L"Εγκαταστήστε πρώτα τo font Free 3 of 9 Extended"), true},
        {"header of four lines",
         [](BranchMachine&, TConfigForm& d) {
             SetWindowTextW(d.Memo1(), L"Α: 1\r\nΒ\r\nΓ: 3\r\nΔ");
             return Pieces{};
         },
         text(kFiveLines), false},
        {"header of six lines, the sixth not empty",
         [](BranchMachine&, TConfigForm& d) {
             SetWindowTextW(d.Memo1(), (std::wstring(kHeader) + L"\r\nΣΤ").c_str());
             return Pieces{};
         },
         text(kFiveLines), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BranchMachine machine;
        ConfigSession session;
        Pieces away = c.breakIt(machine, session.dialog);
        // Empty UNC fields and a bad branch would speak after the checks, if the run got there.
        SetWindowTextW(session.dialog.EditUncPos(), L"");
        SetWindowTextW(session.dialog.EditBranch(), L"0");
        Outcome run = session.Run({[&] {
                                       if (SendMessageW(session.dialog.ComboPrn(), CB_GETCOUNT, 0, 0) == 3)
                                           session.ChoosePrinters();
                                   },
                                   [&] { session.Press(session.dialog.BitBtnOk()); }});
        EXPECT_EQ(run.messages, Messages({c.message(machine)}));
        EXPECT_TRUE(run.closed);
        EXPECT_EQ(run.closeRequested, c.closeRequested);
        EXPECT_FALSE(KeyExists(kVorlaKey));
    }
}

TEST(BranchConfigFormRun, EntriesCheckedAfterTheMachine)
{
    struct Case {
        const char* what;
        std::function<void(ConfigSession&)> enter;  // run in the open dialog before OK
        std::vector<std::wstring> messages;
        bool written;
        std::function<void()> machine = nullptr;    // run on the machine before the dialog opens
    };
    auto branch = [](const wchar_t* text) {
        return [text](ConfigSession& s) {
            SetWindowTextW(s.dialog.EditBranch(), text);
            s.ChoosePrinters();
        };
    };
    auto refused = [](const wchar_t* number) { return std::wstring(kBadBranch) + number; };
    const Case cases[] = {
        {"branch 0012 is branch 12", branch(L"0012"), {kDone}, true},
        {"branch 12a", branch(L"12a"), {refused(L"0")}, false},
        {"branch 0", branch(L"0"), {refused(L"0")}, false},
        {"branch empty", branch(L""), {refused(L"0")}, false},
        {"branch 10000", branch(L"10000"), {refused(L"10000")}, false},
        {"branch -5", branch(L"-5"), {refused(L"-5")}, false},
        {"a mistyped series list",
         [](ConfigSession& s) {
             SetWindowTextW(s.dialog.EditPos(), L"1,,2");
             s.ChoosePrinters();
         },
         {L"Σειρές POS: η 2η σειρά «» είναι κενή!"}, false},
        {"no POS printer", [](ConfigSession& s) { Choose(s.dialog.ComboBack(), kBackPrinter); },
         {L"Πρέπει να επιλέξετε εκτυπωτή POS πρώτα!"}, false},
        {"no back-office printer", [](ConfigSession& s) { Choose(s.dialog.ComboPrn(), kPosPrinter); },
         {L"Πρέπει να επιλέξετε εκτυπωτή backoffice πρώτα!"}, false},
        {"both UNC fields empty, then a bad branch",
         [](ConfigSession& s) {
             SetWindowTextW(s.dialog.EditUncPos(), L"");
             SetWindowTextW(s.dialog.EditUncBack(), L"");
             SetWindowTextW(s.dialog.EditBranch(), L"abc");
         },
         {kNoUncPos, kNoUncBack, refused(L"0")}, false},
        {"both UNC fields empty",
         [](ConfigSession& s) {
             SetWindowTextW(s.dialog.EditUncPos(), L"");
             SetWindowTextW(s.dialog.EditUncBack(), L"");
             s.ChoosePrinters();
         },
         {kNoUncPos, kNoUncBack, kDone}, true},
        {"UNC fields of blanks only",
         [](ConfigSession& s) {
             SetWindowTextW(s.dialog.EditUncPos(), L" ");
             SetWindowTextW(s.dialog.EditUncBack(), L"  ");
             s.ChoosePrinters();
         },
         {kDone}, true},
        {"PDF printer in other letter case", [](ConfigSession& s) { s.ChoosePrinters(); }, {kDone}, true,
         [] {
             RemovePrinter(L"CutePDF Writer");
             AddPrinter(L"cutepdf WRITER");
         }},
        {"header of five lines and a final line break",
         [](ConfigSession& s) {
             SetWindowTextW(s.dialog.Memo1(), (std::wstring(kHeader) + L"\r\n").c_str());
             s.ChoosePrinters();
         },
         {kDone}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BranchMachine machine;
        if (c.machine)
            c.machine();
        ConfigSession session;
        Outcome run = session.Run({[&] { c.enter(session); }, [&] { session.Press(session.dialog.BitBtnOk()); }});
        EXPECT_EQ(run.messages, c.messages);
        EXPECT_FALSE(run.closed);
        EXPECT_EQ(KeyExists(kVorlaKey), c.written);
        if (c.written) {
            EXPECT_TRUE(IsExistingFolder(machine.MapFolder(L"001201")));
            EXPECT_EQ(ReadText(MapKey(1, L"Copy"), L"PrnOutDir"), WindowText(session.dialog.EditUncPos()));
        }
    }
}

TEST(BranchConfigFormRun, BothSeriesEmptyWriteTheProductValuesAndNoMap)
{
    BranchMachine machine;
    WriteOldMaps(3);
    ConfigSession session;
    SetWindowTextW(session.dialog.EditPos(), L"");
    SetWindowTextW(session.dialog.EditBack(), L"");
    Outcome run = session.RunOk();
    EXPECT_EQ(run.messages, Messages({kDone}));
    EXPECT_TRUE(ReadText(kVorlaKey, L"ps2pdf_cmd").has_value());
    EXPECT_TRUE(ReadText(kVorlaKey, L"ps2pdf_params").has_value());
    EXPECT_TRUE(MapNames().empty());
    EXPECT_TRUE(machine.NewEntries().empty());
}

TEST(BranchConfigFormRun, RegistryRefusalsStopTheRunAndKeepTheDialogOpen)
{
    BranchMachine machine;
    ConfigSession session;

    // The product key cannot be written: nothing changes, the old maps included.
    WriteOldMaps(2);
    {
        KeyLocked locked(kVorlaKey);
        Outcome run = session.RunOk();
        EXPECT_EQ(run.messages, Messages({L"Failed to set data for 'ps2pdf_cmd'"}));
        EXPECT_FALSE(run.closed);
    }
    EXPECT_FALSE(ReadText(kVorlaKey, L"ps2pdf_cmd").has_value());
    EXPECT_EQ(Aliases(), (std::vector<std::wstring>{L"OLD1", L"OLD2"}));

    // An old map that cannot be removed would stand beside the new ones: the run stops before
    // it writes any map (it deletes what it no longer writes first).
    WriteOldMaps(7);
    {
        KeyLocked locked(std::wstring(kMapsKey) + L"\\7");
        Outcome run = session.RunOk();
        EXPECT_EQ(run.messages, Messages({L"Failed to delete key '7'"}));
        EXPECT_FALSE(run.closed);
        EXPECT_TRUE(ReadText(kVorlaKey, L"ps2pdf_cmd").has_value());
    }
    EXPECT_EQ(Aliases(), (std::vector<std::wstring>{L"OLD1", L"OLD2", L"OLD3", L"OLD4", L"OLD5", L"OLD6", L"OLD7"}));
}

TEST(BranchConfigFormRun, PrinterListsAreSortedWithoutCaseDuplicatesAndRefilledOnEveryShowing)
{
    BranchMachine machine;
    ConfigSession session;
    // Key names are unique; the names the printers report may differ in letter case only.
    AddPrinter(L"beta");
    AddPrinter(L"Alpha");
    WriteText(std::wstring(kPrintersKey) + L"\\alpha two", L"Name", L"ALPHA");
    const std::vector<std::wstring> expected{L"Alpha", kBackPrinter, L"beta", L"CutePDF Writer", kPosPrinter};

    std::vector<std::wstring> shown[2];
    std::wstring selected[2];
    Outcome first = session.Run({[&] {
        shown[0] = Entries(session.dialog.ComboPrn());
        shown[1] = Entries(session.dialog.ComboBack());
        selected[0] = SelectedEntry(session.dialog.ComboPrn());
        selected[1] = SelectedEntry(session.dialog.ComboBack());
        session.ChoosePrinters();
    }});
    EXPECT_TRUE(first.messages.empty());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(shown[i], expected);
        EXPECT_EQ(selected[i], L"<none>");
    }

    RemovePrinter(L"beta");
    session.Run({[&] {
        shown[0] = Entries(session.dialog.ComboPrn());
        selected[0] = SelectedEntry(session.dialog.ComboPrn());
        selected[1] = SelectedEntry(session.dialog.ComboBack());
    }});
    EXPECT_EQ(shown[0], (std::vector<std::wstring>{L"Alpha", kBackPrinter, L"CutePDF Writer", kPosPrinter}));
    EXPECT_EQ(selected[0], L"<none>");
    EXPECT_EQ(selected[1], L"<none>");
}
