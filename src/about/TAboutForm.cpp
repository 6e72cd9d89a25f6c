#include "about/TAboutForm.h"

void TAboutForm::Create(HWND owner)
{
    CreateWindowOf(L"TAboutForm", L"About", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                   WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, 408, 191, 421,
                   174, owner, nullptr);
    SetClientSize(421, 174);
}
