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

// The glyphs of a form's OK and Cancel buttons, kept as long as the buttons.
class OkCancelGlyphs {
public:
    // Shows ok left of the OK button's caption and the red cross, size x size pixels, left of
    // Cancel's, each margin pixels (4 at 96 DPI, scaled by the caller) from the button's edge.
    void Show(HWND okButton, HWND cancelButton, UniqueImageList ok, int size, int margin);

private:
    UniqueImageList ok_;
    UniqueImageList cancel_;
};

// The margin of a button's glyph at 96 DPI.
constexpr int kGlyphMargin = 4;
