// The configuration dialog's OK glyph as the button shows it.
#pragma once
#include <windows.h>

#include "common/button_glyph.h"
#include "common/handles.h"

// The glyph strip as a 4-bit bitmap of 36 x 18 pixels with its 16-colour table.
UniqueBitmap MakeOkGlyphStrip();

// An image list of frameSize x frameSize images for a button's six states (normal, hot,
// pressed, disabled, defaulted, stylus-hot): the strip's disabled image for the disabled
// state, its usable image for the others, each scaled to frameSize. The colour of the strip's
// bottom-left pixel is transparent. Throws Win32Error when the pictures cannot be made.
UniqueImageList MakeTwoStateGlyphImage(HBITMAP strip, int frameSize);
