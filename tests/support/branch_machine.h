// A branch machine for "Configure Vorla" in the test prefix, and the real configuration dialog
// driven through its own controls: Vorla's folder and Ghostscript under Program Files, printers
// in Wine's printer registry, the barcode font loaded privately, the templates beside
// win_tests.exe (tests/win/config_form.cmake). Registry and folders are read back with the raw API.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>
#include <sddl.h>
// <winspool.h> turns AddPrinter into a macro: with it included here, machine::AddPrinter has the same
// expanded name in branch_machine.cpp and in every test that calls it, whatever else they include.
#include <winspool.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/TMainForm.h"
#include "common/fileio.h"
#include "common/product_keys.h"
#include "config/TConfigForm.h"
#include "support/win_test_support.h"

// Tests that touch the product's own key (HKLM\SOFTWARE\Kelvane\Vorla) or the branch machine
// here run one at a time: CTest queues every suite named Branch... behind one lock
// (tests/CMakeLists.txt). The branch machine's helpers call this; it fails a test of any other suite.
void ExpectLocked();

namespace machine {

inline const REGSAM kView = KEY_WOW64_32KEY;
inline const wchar_t kVorlaKey[] = L"SOFTWARE\\Kelvane\\Vorla";
inline const wchar_t kMapsKey[] = L"SOFTWARE\\Kelvane\\Vorla\\maps";
inline const wchar_t kPrintersKey[] = L"System\\CurrentControlSet\\Control\\Print\\Printers";
inline const wchar_t kPosPrinter[] = L"POS Receipt Printer";
inline const wchar_t kBackPrinter[] = L"Back Office Laser";
inline const wchar_t kDone[] = L"Η εντολή ολοκληρώθηκε";
inline const wchar_t kHeader[] = L"ΚΑΤΑΣΤΗΜΑ 12: Ερμού 1\r\nΑθήνα\r\nΕΔΡΑ: Πειραιώς 150\r\nΤηλ. 210 0000000\r\nΑΦΜ 0";

// ---- Registry, read and cleaned with the raw API (32-bit view)

std::optional<std::wstring> ReadText(const std::wstring& path, const wchar_t* name);
bool KeyExists(const std::wstring& path);
// The names of the form maps.
std::set<std::wstring> MapNames();
void WriteText(const std::wstring& path, const wchar_t* name, const std::wstring& value);
void DeleteValue(const std::wstring& path, const wchar_t* name);
void DeleteTree(const std::wstring& parent, const std::wstring& child, REGSAM view = kView);
// Maps left by an earlier configuration: "1" .. "count", each with its Master and Copy.
void WriteOldMaps(int count);
// The key of map n, or one of its sections.
std::wstring MapKey(int n, const wchar_t* section = nullptr);
// The Alias of maps 1, 2, ... in turn.
std::vector<std::wstring> Aliases();

// ---- Files and printers

std::wstring ProgramFilesFolder();
std::set<std::wstring> FolderEntries(const std::wstring& folder);
DWORD LinkCount(const std::wstring& path);
void AddPrinter(const std::wstring& name);
void RemovePrinter(const std::wstring& name);
std::set<std::wstring> PrinterKeys();

// ---- The dialog's controls

void Choose(HWND combo, const std::wstring& entry);
std::wstring SelectedEntry(HWND combo);
std::vector<std::wstring> Entries(HWND combo);

// While it lives, everyone may read the key (not its subkeys) but nobody may write or delete it;
// or the key has the access that sddl gives (the key alone, not its subkeys).
class KeyLocked {
public:
    explicit KeyLocked(const std::wstring& path, const wchar_t* sddl = L"D:P(A;;KR;;;WD)",
                       HKEY hive = HKEY_LOCAL_MACHINE)
    {
        EXPECT_EQ(RegOpenKeyExW(hive, path.c_str(), 0, READ_CONTROL | WRITE_DAC | kView, &key_),
                  ERROR_SUCCESS);
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        EXPECT_EQ(RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size), ERROR_SUCCESS);
        PSECURITY_DESCRIPTOR readOnly = nullptr;
        EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &readOnly, nullptr));
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

// Everything "Configure Vorla" checks, made where missing and taken away again at the end,
// with the product key and the map folders of the runs. Pieces can be removed for a test.
class BranchMachine {
public:
    BranchMachine()
        : installDir(ProgramFilesFolder() + L"\\Kelvane\\Kelvane Vorla"),
          ghostscript(ProgramFilesFolder() + L"\\gs\\gs9.14\\bin\\gswin32c.exe"),
          escFile(ProgramFolder() + L"\\generic_ab.esc")
    {
        ExpectLocked();
        for (const wchar_t* made : {L"\\Kelvane", L"\\gs"})
            if (!IsExistingFolder(ProgramFilesFolder() + made))
                madeFolders_.push_back(ProgramFilesFolder() + made);
        MakeFolders(installDir);
        if (!IsExistingFile(ghostscript))
            WriteBytes(ghostscript, "placeholder");
        // A test killed before its end (a timeout, a mutant that hung) leaves its map folders
        // behind: each test starts from Vorla's folder as a new branch machine has it, empty.
        for (const std::wstring& name : FolderEntries(installDir))
            RemoveTree(installDir + L"\\" + name);
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

// The barcode font installed for every process of the prefix (the fixture loads it for this one
// only), under the name given in the Fonts folder; its path, or empty when it cannot be copied.
inline std::wstring InstallBarcodeFontForEveryProcess(const wchar_t* fileName)
{
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring font = std::wstring(windows) + L"\\Fonts\\" + fileName;
    return CopyFileW((ProgramFolder() + L"\\config_form\\barcode.ttf").c_str(), font.c_str(), FALSE) ? font
                                                                                                       : std::wstring();
}

}  // namespace machine

// A product root of the running test's own below HKEY_CURRENT_USER
// (Software\vorlasched-test\<suite>.<test>), so that engine tests run beside each other.
ProductRoot ScratchProductRoot();
