// The auto-configuration dialog ("Auto configure").
#pragma once
#include "common/window.h"

class TConfigForm : public ModalForm {
public:
    void Create(HWND owner);
};
