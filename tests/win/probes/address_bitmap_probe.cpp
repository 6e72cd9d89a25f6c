// Renders one branch header for the image check (address_bitmap_check.py):
//   address_bitmap_probe <out.bmp> <lines.txt>
// lines.txt holds the header lines in UTF-8, separated by LF. Prints the fit it was drawn with
// ("fit <font height> <width> <height>"), the messages shown ("message <text>", UTF-8) and the
// system's halftone palette ("palette r,g,b r,g,b ...") on stdout.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/fileio.h"
#include "common/handles.h"
#include "common/text.h"
#include "common/utf.h"
#include "config/address_bitmap.h"

namespace {

void PrintHalftonePalette()
{
    WindowDc screen(nullptr);
    UniquePalette palette(CreateHalftonePalette(screen.get()));
    PALETTEENTRY entries[256] = {};
    UINT count = GetPaletteEntries(palette.get(), 0, 256, entries);
    std::printf("palette");
    for (UINT i = 0; i < count; ++i)
        std::printf(" %d,%d,%d", entries[i].peRed, entries[i].peGreen, entries[i].peBlue);
    std::printf("\n");
}
}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: address_bitmap_probe <out.bmp> <lines.txt>\n");
        return 2;
    }
    try {
        std::vector<std::wstring> lines = SplitList(WideOfUtf8Lossy(ReadFileBytes(argv[2], 1 << 20)), L"\n");
        auto fit = RenderAddressBitmap(argv[1], lines, [](const std::wstring& message) {
            std::printf("message %s\n", Utf8Of(message).c_str());
        });
        if (fit)
            std::printf("fit %d %d %d\n", fit->fontHeight, fit->block.width, fit->block.height);
        PrintHalftonePalette();
    } catch (const AppError& e) {
        std::printf("error %s\n", Utf8Of(e.Message()).c_str());
        return 1;
    }
    return 0;
}
