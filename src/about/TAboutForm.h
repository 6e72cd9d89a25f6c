// The About dialog: program name, version from the version resource, the maker's link.
#pragma once
#include "common/window.h"

class TAboutForm : public ModalForm {
public:
    void Create(HWND owner);
};
