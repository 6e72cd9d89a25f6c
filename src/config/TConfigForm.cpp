#include "config/TConfigForm.h"

void TConfigForm::Create(HWND owner)
{
    CreateWindowOf(L"TConfigForm", L"Auto configure", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                   WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, CW_USEDEFAULT, CW_USEDEFAULT, 570, 342, owner, nullptr);
    SetClientSize(570, 342);
}
