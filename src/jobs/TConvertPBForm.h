// The dialog of "Convert POS and BACK" ("Convert TODO"): two edits read after OK.
#pragma once
#include <string>

#include "common/window.h"

class TConvertPBForm : public ModalForm {
public:
    void Create(HWND owner);
    std::wstring PosText() const { return L"AB_POS"; }
    std::wstring BackText() const { return L"AB_BACK"; }
};
