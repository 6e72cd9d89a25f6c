// "Configure Vorla" through the real dialog on a branch machine made in the test prefix: Vorla's
// folder and Ghostscript under Program Files, printers in Wine's printer registry, the barcode
// font loaded privately, the templates beside win_tests.exe. Each run opens the dialog from the
// main window's menu and works it through its own controls; registry, folders and image are
// read back with the raw API.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/TMainForm.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/text_lines.h"
#include "config/TConfigForm.h"
#include "config/ok_glyph.h"
#include "config/printers.h"
#include "support/win_test_support.h"

namespace {

const REGSAM kView = KEY_WOW64_32KEY;
const wchar_t kVorlaKey[] = L"SOFTWARE\\Kelvane\\Vorla";
const wchar_t kMapsKey[] = L"SOFTWARE\\Kelvane\\Vorla\\maps";
const wchar_t kPrintersKey[] = L"System\\CurrentControlSet\\Control\\Print\\Printers";
const wchar_t kPosPrinter[] = L"POS Receipt Printer";
const wchar_t kBackPrinter[] = L"Back Office Laser";

const wchar_t kDone[] = L"Η εντολή ολοκληρώθηκε";
const wchar_t kNoUncPos[] = L"Δεν δηλώσατε UNC path (POS). Η εγκατάσταση θα προχωρήσει χωρίς αυτό!";
const wchar_t kNoUncBack[] = L"Δεν δηλώσατε UNC path (BackOffice). Η εγκατάσταση θα προχωρήσει χωρίς αυτό!";
const wchar_t kBadBranch[] = L"Δεν μπορείτε να δημιουργήσετε το υποκ/μα ";
const wchar_t kFiveLines[] = L"Χρειάζονται 5 γραμμές ακριβώς για το Υποκατάστημα!";

const wchar_t kHeader[] = L"ΚΑΤΑΣΤΗΜΑ 12: Ερμού 1\r\nΑθήνα\r\nΕΔΡΑ: Πειραιώς 150\r\nΤηλ. 210 0000000\r\nΑΦΜ 0";

// ---- Registry, read and cleaned with the raw API

std::optional<std::wstring> ReadText(const std::wstring& path, const wchar_t* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | kView, &key) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t), type = 0;
    LONG r = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS || type != REG_SZ)
        return std::nullopt;
    return std::wstring(buffer);
}

bool KeyExists(const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | kView, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::set<std::wstring> MapNames()
{
    std::set<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMapsKey, 0, KEY_READ | kView, &key) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(key);
    return names;
}

void WriteText(const std::wstring& path, const wchar_t* name, const std::wstring& value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kView, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void DeleteTree(const std::wstring& parent, const std::wstring& child, REGSAM view = kView)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, parent.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
        return;
    RegDeleteTreeW(key, child.c_str());
    RegDeleteKeyW(key, child.c_str());
    RegCloseKey(key);
}

// Maps left by an earlier configuration: "1" .. "count", each with its Master and Copy.
void WriteOldMaps(int count)
{
    for (int n = 1; n <= count; ++n) {
        std::wstring key = std::wstring(kMapsKey) + L"\\" + std::to_wstring(n);
        WriteText(key, L"Alias", L"OLD" + std::to_wstring(n));
        WriteText(key + L"\\Master", L"Printer", L"old");
        WriteText(key + L"\\Copy", L"Printer", L"old");
    }
}

// While it lives, everyone may read the key (not its subkeys) but nobody may write or delete it.
class KeyLocked {
public:
    explicit KeyLocked(const std::wstring& path)
    {
        EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL | WRITE_DAC | kView, &key_),
                  ERROR_SUCCESS);
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        EXPECT_EQ(RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size), ERROR_SUCCESS);
        PSECURITY_DESCRIPTOR readOnly = nullptr;
        EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                                          &readOnly, nullptr));
        EXPECT_EQ(RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
        LocalFree(readOnly);
    }
    ~KeyLocked()
    {
        EXPECT_EQ(RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data()), ERROR_SUCCESS);
        RegCloseKey(key_);
    }
    KeyLocked(const KeyLocked&) = delete;
    KeyLocked& operator=(const KeyLocked&) = delete;

private:
    HKEY key_ = nullptr;
    std::vector<BYTE> saved_;
};

// ---- Files

std::wstring ProgramFilesFolder()
{
    wchar_t folder[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, folder), S_OK);
    return folder;
}

std::set<std::wstring> FolderEntries(const std::wstring& folder)
{
    std::set<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (wcscmp(entry.cFileName, L".") && wcscmp(entry.cFileName, L".."))
            names.insert(entry.cFileName);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

DWORD LinkCount(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    bool ok = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return ok ? info.nNumberOfLinks : 0;
}

// Renames a file or folder away while it lives.
class Hidden {
public:
    explicit Hidden(std::wstring path) : path_(std::move(path))
    {
        EXPECT_TRUE(MoveFileW(path_.c_str(), (path_ + L".away").c_str())) << Utf8(path_);
    }
    ~Hidden() { MoveFileW((path_ + L".away").c_str(), path_.c_str()); }
    Hidden(const Hidden&) = delete;
    Hidden& operator=(const Hidden&) = delete;

private:
    std::wstring path_;
};

// ---- The branch machine

void AddPrinter(const std::wstring& name)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kPrintersKey) + L"\\" + name).c_str(), 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                   static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void RemovePrinter(const std::wstring& name)
{
    DeleteTree(kPrintersKey, name, 0);
}

std::set<std::wstring> PrinterKeys()
{
    std::set<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPrintersKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(key);
    return names;
}

// Everything "Configure Vorla" checks, made where missing and taken away again at the end,
// with the product key and the map folders of the runs. Pieces can be removed for a test.
class BranchMachine {
public:
    BranchMachine()
        : installDir(ProgramFilesFolder() + L"\\Kelvane\\Kelvane Vorla"),
          ghostscript(ProgramFilesFolder() + L"\\gs\\gs9.14\\bin\\gswin32c.exe"),
          escFile(ProgramFolder() + L"\\generic_ab.esc")
    {
        for (const wchar_t* made : {L"\\Kelvane", L"\\gs"})
            if (!IsExistingFolder(ProgramFilesFolder() + made))
                madeFolders_.push_back(ProgramFilesFolder() + made);
        MakeFolders(installDir);
        if (!IsExistingFile(ghostscript))
            WriteBytes(ghostscript, "placeholder");
        entriesBefore_ = FolderEntries(installDir);
        printersBefore_ = PrinterKeys();
        for (const std::wstring& name : printersBefore_)
            RemovePrinter(name);
        for (const wchar_t* name : {L"CutePDF Writer", kPosPrinter, kBackPrinter})
            AddPrinter(name);
        LoadFont(L"barcode.ttf");
        DeleteTree(L"SOFTWARE\\Kelvane", L"Vorla");
        for (const wchar_t* name : {L"generic_ab.esc", L"ab1.bmp", L"abPOS.xml", L"abBACK.xml"})
            EXPECT_TRUE(IsExistingFile(ProgramFolder() + L"\\" + name)) << "template missing: " << Utf8(name);
    }

    ~BranchMachine()
    {
        DeleteTree(L"SOFTWARE\\Kelvane", L"Vorla");
        for (const std::wstring& font : fonts_)
            RemoveFontResourceExW(font.c_str(), FR_PRIVATE, nullptr);
        for (const std::wstring& name : PrinterKeys())
            RemovePrinter(name);
        for (const std::wstring& name : printersBefore_)
            AddPrinter(name);
        for (const std::wstring& name : FolderEntries(installDir))
            if (!entriesBefore_.count(name))
                RemoveTree(installDir + L"\\" + name);
        for (const std::wstring& folder : madeFolders_)
            RemoveTree(folder);
    }

    // The test fonts are made by the build beside win_tests.exe (config_form.cmake).
    void LoadFont(const std::wstring& file)
    {
        std::wstring path = ProgramFolder() + L"\\config_form\\" + file;
        ASSERT_GT(AddFontResourceExW(path.c_str(), FR_PRIVATE, nullptr), 0) << Utf8(path);
        fonts_.push_back(path);
    }
    void UnloadFonts()
    {
        for (const std::wstring& font : fonts_)
            EXPECT_TRUE(RemoveFontResourceExW(font.c_str(), FR_PRIVATE, nullptr)) << Utf8(font);
        fonts_.clear();
    }
    std::wstring MapFolder(const wchar_t* bbbbss) const { return installDir + L"\\" + bbbbss; }
    std::set<std::wstring> NewEntries() const
    {
        std::set<std::wstring> added;
        for (const std::wstring& name : FolderEntries(installDir))
            if (!entriesBefore_.count(name))
                added.insert(name);
        return added;
    }

    const std::wstring installDir;
    const std::wstring ghostscript;
    const std::wstring escFile;

private:
    std::vector<std::wstring> madeFolders_;
    std::set<std::wstring> entriesBefore_;
    std::set<std::wstring> printersBefore_;
    std::vector<std::wstring> fonts_;
};

// ---- Driving the dialog

// Runs steps inside whatever message loop is pumping, one per posted message, each only while
// no message box of the dialog is up; after the last step it asks the dialog to close.
class StepRunner {
public:
    explicit StepRunner(HWND dialog) : dialog_(dialog)
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VorlaConfigSteps";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~StepRunner() { DestroyWindow(hwnd_); }
    StepRunner(const StepRunner&) = delete;
    StepRunner& operator=(const StepRunner&) = delete;

    void Start(std::vector<std::function<void()>> steps)
    {
        steps_ = std::move(steps);
        next_ = 0;
        active_ = true;
        finished_ = false;
        PostMessageW(hwnd_, WM_APP, 0, 0);
    }
    // Whether the close request after the last step was made; stops what is still queued.
    bool Stop()
    {
        active_ = false;
        return finished_;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<StepRunner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg != WM_APP || !self)
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        self->Next();
        return 0;
    }
    void Next()
    {
        if (!active_ || finished_)
            return;
        if (!IsWindowEnabled(dialog_)) {  // a message box of the dialog is up
            Sleep(1);
        } else if (next_ < steps_.size()) {
            steps_[next_++]();
        } else {
            finished_ = true;
            PostMessageW(dialog_, WM_CLOSE, 0, 0);
            return;
        }
        PostMessageW(hwnd_, WM_APP, 0, 0);
    }

    HWND dialog_;
    HWND hwnd_ = nullptr;
    std::vector<std::function<void()>> steps_;
    size_t next_ = 0;
    bool active_ = false;
    bool finished_ = false;
};

struct Outcome {
    std::vector<std::wstring> messages;  // in the order shown
    bool closed = false;                 // the dialog closed by itself
    bool closeRequested = false;         // and asked for its own close in the queue
};

void Choose(HWND combo, const std::wstring& entry)
{
    LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(entry.c_str()));
    ASSERT_NE(index, CB_ERR) << Utf8(entry);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::wstring SelectedEntry(HWND combo)
{
    LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return L"<none>";
    wchar_t text[256] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::wstring> Entries(HWND combo)
{
    std::vector<std::wstring> entries;
    for (LRESULT i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.push_back(text);
    }
    return entries;
}

class ConfigSession {
public:
    ConfigSession()
    {
        main.Create(nullptr, &dialog, nullptr);
        dialog.Create(main.Handle());
        SetWindowTextW(dialog.EditBranch(), L"12");
        SetWindowTextW(dialog.EditPos(), L"1,2,4");
        SetWindowTextW(dialog.EditBack(), L"9,10,12");
        SetWindowTextW(dialog.Memo1(), kHeader);
    }

    // "Configure Vorla" with these steps done in the open dialog.
    Outcome Run(std::vector<std::function<void()>> steps)
    {
        MessageBoxWatcher watcher;
        StepRunner runner(dialog.Handle());
        runner.Start(std::move(steps));
        SendMessageW(main.Handle(), WM_COMMAND, IdConfigureVorla1, 0);
        Outcome outcome;
        outcome.closed = !runner.Stop();
        MSG close;
        outcome.closeRequested = PeekMessageW(&close, dialog.Handle(), WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
        PumpQueued();
        outcome.messages = watcher.Texts();
        return outcome;
    }

    // Both printers chosen, then OK pressed.
    Outcome RunOk()
    {
        return Run({[this] { ChoosePrinters(); }, [this] { Press(dialog.BitBtnOk()); }});
    }
    void ChoosePrinters()
    {
        Choose(dialog.ComboPrn(), kPosPrinter);
        Choose(dialog.ComboBack(), kBackPrinter);
    }
    static void Press(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

    TMainForm main;
    TConfigForm dialog;
};

std::wstring MapKey(int n, const wchar_t* section = nullptr)
{
    std::wstring key = std::wstring(kMapsKey) + L"\\" + std::to_wstring(n);
    return section ? key + L"\\" + section : key;
}

std::vector<std::wstring> Aliases()
{
    std::vector<std::wstring> aliases;
    for (int n = 1; n <= static_cast<int>(MapNames().size()); ++n)
        aliases.push_back(ReadText(MapKey(n), L"Alias").value_or(L"<none>"));
    return aliases;
}

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

TEST(RegistryConfigForm, KeysEnterAndEscape)
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

TEST(RegistryConfigForm, MainRunWritesTheProductValuesMapsFoldersAndImage)
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
    session.dialog.RenderAddressBitmap(temp / L"memo.bmp");
    EXPECT_EQ(ReadBytes(temp / L"memo.bmp"), image);
    SetWindowTextW(session.dialog.Memo1(), L"ΑΛΛΟ: κείμενο\r\nβ\r\nΕΔΡΑ: γ\r\nδ\r\nε");
    session.dialog.RenderAddressBitmap(temp / L"other.bmp");
    EXPECT_NE(ReadBytes(temp / L"other.bmp"), image);
}

TEST(RegistryConfigForm, EveryRunRebuildsAllMapsAndCancelKeepsThem)
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

TEST(RegistryConfigForm, EachMachineCheckFailsInTurnAndClosesTheDialog)
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

TEST(RegistryConfigForm, EntriesCheckedAfterTheMachine)
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

TEST(RegistryConfigForm, BothSeriesEmptyWriteTheProductValuesAndNoMap)
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

TEST(RegistryConfigForm, RegistryRefusalsStopTheRunAndKeepTheDialogOpen)
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

    // Old maps that cannot be removed would stand beside the new ones: the run stops before them.
    WriteOldMaps(7);
    {
        KeyLocked locked(kMapsKey);
        Outcome run = session.RunOk();
        EXPECT_EQ(run.messages, Messages({L"Failed to delete key 'maps'"}));
        EXPECT_FALSE(run.closed);
        EXPECT_TRUE(ReadText(kVorlaKey, L"ps2pdf_cmd").has_value());
    }
    EXPECT_EQ(Aliases(), (std::vector<std::wstring>{L"OLD1", L"OLD2", L"OLD3", L"OLD4", L"OLD5", L"OLD6", L"OLD7"}));
}

TEST(RegistryConfigForm, PrinterListsAreSortedWithoutCaseDuplicatesAndRefilledOnEveryShowing)
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
