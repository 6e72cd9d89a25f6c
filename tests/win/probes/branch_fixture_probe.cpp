// Runs the configuration dialog's machine checks on the Wine prefix it is started in, for the
// branch fixture check (branch_fixture_check.sh). Prints the printers the dialog lists
// ("printers <name>|<name>|...") and each message it shows ("message <text>"), in UTF-8; exits
// 0 when the checks pass.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "common/text_lines.h"
#include "common/window.h"
#include "config/TConfigForm.h"
#include "config/machine.h"
#include "support/win_test_support.h"

int wmain()
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    bool passed = false;
    std::wstring printers;
    std::vector<std::wstring> printerList;
    std::vector<std::wstring> messages;
    {
        MessageBoxWatcher watcher;
        TConfigForm dialog;
        dialog.Create(nullptr);
        dialog.FormShow();
        for (LRESULT i = 0; i < SendMessageW(dialog.ComboPrn(), CB_GETCOUNT, 0, 0); ++i) {
            wchar_t name[256] = {};
            SendMessageW(dialog.ComboPrn(), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
            printers += (i ? L"|" : L"") + std::wstring(name);
            printerList.push_back(name);
        }
        // The dialog's checks, through the engine: they read no entry but the header's lines.
        ConfigRequest request;
        request.headerLines = SplitTextLines(WindowText(dialog.Memo1()));
        LiveMachineProbe probe(printerList, dialog.Handle());
        MachinePaths paths;
        passed = CheckMachine(request, probe, paths,
                              [&](const std::wstring& text) { ShowMessage(dialog.Handle(), text); }) ==
                 MachineCheck::Passed;
        messages = watcher.Texts();
    }
    std::printf("printers %s\n", Utf8(printers).c_str());
    for (const std::wstring& message : messages)
        std::printf("message %s\n", Utf8(message).c_str());
    return passed ? 0 : 1;
}
