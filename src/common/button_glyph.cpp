#include "common/button_glyph.h"

#include <iterator>
#include <utility>

#include "common/errors.h"

namespace {

const COLORREF kTransparent = RGB(255, 0, 255);

// Points of a 16 x 16 design, scaled to the glyph's size.
POINT At(int x, int y, int size)
{
    return {MulDiv(x, size, 16), MulDiv(y, size, 16)};
}

void DrawPolygon(HDC dc, const POINT* points, int count, COLORREF fill, COLORREF edge)
{
    UniqueBrush brush(CreateSolidBrush(fill));
    UniquePen pen(CreatePen(PS_SOLID, 1, edge));
    SelectScope useBrush(dc, brush.get());
    SelectScope usePen(dc, pen.get());
    Polygon(dc, points, count);
}

void DrawCheck(HDC dc, int size)
{
    const POINT check[] = {At(1, 9, size), At(4, 6, size), At(6, 8, size),
                           At(12, 2, size), At(15, 5, size), At(6, 14, size)};
    DrawPolygon(dc, check, static_cast<int>(std::size(check)), RGB(0, 168, 0), RGB(0, 80, 0));
}

void DrawCross(HDC dc, int size)
{
    const POINT falling[] = {At(2, 4, size), At(4, 2, size), At(14, 12, size), At(12, 14, size)};
    const POINT rising[] = {At(12, 2, size), At(14, 4, size), At(4, 14, size), At(2, 12, size)};
    DrawPolygon(dc, falling, static_cast<int>(std::size(falling)), RGB(216, 0, 0), RGB(128, 0, 0));
    DrawPolygon(dc, rising, static_cast<int>(std::size(rising)), RGB(216, 0, 0), RGB(128, 0, 0));
}

}  // namespace

UniqueImageList MakeGlyphImage(ButtonGlyph glyph, int size)
{
    WindowDc screen(nullptr);
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), size, size));
    UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    if (!bitmap || !dc)
        throw Win32Error(L"CreateCompatibleBitmap() error ", GetLastError());
    {
        SelectScope useBitmap(dc.get(), bitmap.get());
        RECT all{0, 0, size, size};
        UniqueBrush background(CreateSolidBrush(kTransparent));
        FillRect(dc.get(), &all, background.get());
        if (glyph == ButtonGlyph::Ok)
            DrawCheck(dc.get(), size);
        else
            DrawCross(dc.get(), size);
    }
    UniqueImageList image(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 1, 0));
    if (!image)
        throw Win32Error(L"ImageList_Create() error ", GetLastError());
    if (ImageList_AddMasked(image.get(), bitmap.get(), kTransparent) < 0)
        throw Win32Error(L"ImageList_AddMasked() error ", GetLastError());
    return image;
}

bool ShowButtonGlyph(HWND button, const UniqueImageList& image, int margin)
{
    BUTTON_IMAGELIST list{};
    list.himl = image.get();
    list.margin = {margin, 0, 0, 0};
    list.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    return SendMessageW(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list)) != FALSE;
}

void OkCancelGlyphs::Show(HWND okButton, HWND cancelButton, UniqueImageList ok, int size, int margin)
{
    ok_ = std::move(ok);
    cancel_ = MakeGlyphImage(ButtonGlyph::Cancel, size);
    ShowButtonGlyph(okButton, ok_, margin);
    ShowButtonGlyph(cancelButton, cancel_, margin);
}
