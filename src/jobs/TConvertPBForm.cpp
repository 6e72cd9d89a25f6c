#include "jobs/TConvertPBForm.h"

void TConvertPBForm::Create(HWND owner)
{
    CreateWindowOf(L"TConvertPBForm", L"Convert TODO", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                   WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, 192,
                   118, 278, 138, owner, nullptr);
    SetClientSize(278, 138);
}
