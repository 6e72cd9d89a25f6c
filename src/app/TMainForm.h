// The main window: the job list, the status bar and the menu of every command.
#pragma once
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "common/command_gate.h"
#include "jobs/port.h"
#include "common/window.h"
#include "jobs/joblist.h"

class TAboutForm;
class TConfigForm;
class TConvertPBForm;

// Menu command ids; also what tests send through WM_COMMAND.
enum MainMenuId : int {
    IdClearlist1 = 101,
    IdResubmitfiles1,
    IdResubmitfilesaction1,
    IdSplitfiles1,
    IdConvertPB,
    IdExit1,
    IdConfigureVorla1 = 201,
    IdUpgradeVorla,
    IdAbout1 = 301,
    // The list's own menu (right click), beside the menu bar.
    IdCopyRows = 401,
    IdSelectAllRows,
};

class TMainForm : public Window, public CommandPort {
public:
    TMainForm();

    // Creates the window (hidden); the dialogs the menu shows may be null (their items then do nothing).
    void Create(TAboutForm* about, TConfigForm* config, TConvertPBForm* convert);
    void Show(int showCommand);
    // The application's main window: destroying it ends the message loop.
    void SetEndsApplication(bool value) { endsApplication_ = value; }

    HWND ListView1() const { return ListView1_; }
    HWND StatusBar1() const { return StatusBar1_; }
    JobList& Jobs() { return Jobs_; }
    const std::wstring& ResultFileName() const { return ResultFile_.name; }

    // The rows that a drop of these paths gives (a drop, the paths given on the command line).
    void OpenPaths(const std::vector<std::wstring>& paths);
    // The drop route, for every message the window gets from any message loop: a WM_DROPFILES
    // gives its paths as the rows, at once or, during a command, when the command ends (the
    // handle is freed either way). True when the message was a drop.
    bool ApplicationEvents1Message(UINT msg, WPARAM wParam);
    // The selected rows to the clipboard as tab-separated text; every row selected.
    void CopyRows();
    void SelectAllRows();

    void ResubmitFiles(bool submit);

    // CommandPort
    void ShowStatus(const std::wstring& text) override;
    void ShowMessage(const std::wstring& text) override;
    void RowsChanged() override;
    void RowUpdated(size_t index) override;

    // Menu handlers.
    void Clearlist1Click();
    void Resubmitfiles1Click();
    void Resubmitfilesaction1Click();
    void Splitfiles1Click();
    void ConvertPBClick();
    void Exit1Click();
    void ConfigureVorla1Click();
    void UpgradeVorlaClick();
    void About1Click();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged() override;

private:
    void FormCreate();
    void FormDestroy();
    void CreateMenuBar();
    void CreateComponents();
    void LayoutComponents();
    void ShowListMenu(LPARAM where);
    void RunCommand(void (TMainForm::*handler)());
    LRESULT OnListNotify(NMHDR* header);

    // The temporary result file of the submission, deleted once when the window is destroyed,
    // or with the form if its window is still there then.
    class ResultFile {
    public:
        ResultFile() = default;
        ResultFile(const ResultFile&) = delete;
        ResultFile& operator=(const ResultFile&) = delete;
        ~ResultFile() { Delete(); }
        void Delete();
        std::wstring name;  // set at most once, never cleared

    private:
        bool deleted_ = false;
    };

    static const LayoutRow<TMainForm> kComponents[];
    HWND ListView1_ = nullptr;
    HWND StatusBar1_ = nullptr;
    JobList Jobs_;
    ResultFile ResultFile_;
    bool endsApplication_ = false;
    int columnsDpi_ = 96;  // the DPI that the column widths are for
    // Drops arrive as WM_DROPFILES from whichever loop takes them; commands run one at a time.
    CommandGate commands_;
    TAboutForm* AboutForm_ = nullptr;
    TConfigForm* ConfigForm_ = nullptr;
    TConvertPBForm* ConvertPBForm_ = nullptr;

};
