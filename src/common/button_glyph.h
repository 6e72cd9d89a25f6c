// The small pictures that OK and Cancel buttons show left of their captions, drawn in code.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include "common/handles.h"

enum class ButtonGlyph {
    Ok,      // a green check mark
    Cancel,  // a red cross
};

struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ImageList_Destroy(h); }
};
using UniqueImageList = UniqueResource<ImageListTraits>;

// An image list holding the glyph once, size x size pixels, its background transparent.
// Throws Win32Error when the picture cannot be made.
UniqueImageList MakeGlyphImage(ButtonGlyph glyph, int size);

// Shows the image list's picture left of the button's caption (Common Controls 6). The button
// does not own the list: keep it alive as long as the button. False when the button refused it.
bool ShowButtonGlyph(HWND button, const UniqueImageList& image, int margin);
