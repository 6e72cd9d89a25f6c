// The process entry: creates the four forms, runs the message loop until the main window
// closes, then tidies the untranslated-texts file.
#include <windows.h>

#include <commctrl.h>

#include "about/TAboutForm.h"
#include "app/TMainForm.h"
#include "app/untranslated.h"
#include "common/errors.h"
#include "config/TConfigForm.h"
#include "jobs/TConvertPBForm.h"

static void HookMainForm(const MSG& msg, void* context)
{
    static_cast<TMainForm*>(context)->ApplicationEvents1Message(msg);
}

static void RunApplication(int showCommand)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    TMainForm MainForm;
    TAboutForm AboutForm;
    TConfigForm ConfigForm;
    TConvertPBForm ConvertPBForm;
    MainForm.Create(&AboutForm, &ConfigForm, &ConvertPBForm);
    MainForm.SetEndsApplication(true);
    AboutForm.Create(MainForm.Handle());
    ConfigForm.Create(MainForm.Handle());
    ConvertPBForm.Create(MainForm.Handle());

    SetMessageHook(HookMainForm, &MainForm);
    MainForm.Show(showCommand);
    while (PumpMessage(nullptr)) {
    }
    SetMessageHook(nullptr, nullptr);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand)
{
    try {
        RunApplication(showCommand);
    } catch (const AppError& e) {
        ShowMessage(nullptr, e.Message());
    } catch (const std::exception& e) {
        std::string what = e.what();
        ShowMessage(nullptr, std::wstring(what.begin(), what.end()));
    } catch (...) {
        ShowMessage(nullptr, L"");
    }
    TidyUntranslatedTexts(kUntranslatedTextsFile);
    return 0;
}
