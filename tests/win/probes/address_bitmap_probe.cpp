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
#include "config/address_bitmap.h"

namespace {
std::wstring FromUtf8(const std::string& bytes)
{
    std::wstring text(bytes.size(), L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

std::string Utf8(const std::wstring& text)
{
    std::string bytes(text.size() * 4, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<size_t>(n > 0 ? n : 0));
    return bytes;
}

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
        std::vector<std::wstring> lines = SplitList(FromUtf8(ReadFileBytes(argv[2], 1 << 20)), L"\n");
        auto fit = RenderAddressBitmap(argv[1], lines, [](const std::wstring& message) {
            std::printf("message %s\n", Utf8(message).c_str());
        });
        if (fit)
            std::printf("fit %d %d %d\n", fit->fontHeight, fit->block.width, fit->block.height);
        PrintHalftonePalette();
    } catch (const AppError& e) {
        std::printf("error %s\n", Utf8(e.Message()).c_str());
        return 1;
    }
    return 0;
}
