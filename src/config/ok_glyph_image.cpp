#include "config/ok_glyph_image.h"

#include <cstring>

#include "common/errors.h"
#include "config/ok_glyph.h"

namespace {
struct Palette16BitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[16];
};

constexpr int kStride = (kOkGlyphWidth * 4 + 31) / 32 * 4;

// Button states in the order of the image list (PBS_NORMAL .. PBS_STYLUSHOT).
constexpr bool kDisabledState[] = {false, false, false, true, false, false};

// A true-colour frame, whatever the screen's depth, so that the transparent colour stays exact.
UniqueBitmap TrueColorBitmap(int size)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        throw Win32Error(L"CreateDIBSection() error ", GetLastError());
    return bitmap;
}
}  // namespace

UniqueBitmap MakeOkGlyphStrip()
{
    Palette16BitmapInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = kOkGlyphWidth;
    info.header.biHeight = -kOkGlyphHeight;  // top-down, as the pixels are listed
    info.header.biPlanes = 1;
    info.header.biBitCount = 4;
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = 16;
    for (size_t i = 0; i < kOkGlyphPalette.size(); ++i) {
        uint32_t c = kOkGlyphPalette[i];
        info.colors[i] = RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0};
    }
    void* bits = nullptr;
    UniqueBitmap strip(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                        &bits, nullptr, 0));
    if (!strip || !bits)
        throw Win32Error(L"CreateDIBSection() error ", GetLastError());
    const std::vector<uint8_t> pixels = OkGlyphPixels();
    auto* out = static_cast<uint8_t*>(bits);
    std::memset(out, 0, static_cast<size_t>(kStride) * kOkGlyphHeight);
    for (int y = 0; y < kOkGlyphHeight; ++y)
        for (int x = 0; x < kOkGlyphWidth; ++x) {
            uint8_t index = pixels[static_cast<size_t>(y) * kOkGlyphWidth + x];
            out[y * kStride + x / 2] |= (x % 2 == 0) ? static_cast<uint8_t>(index << 4) : index;
        }
    GdiFlush();
    return strip;
}

UniqueImageList MakeTwoStateGlyphImage(HBITMAP strip, int frameSize)
{
    BITMAP stripInfo{};
    if (!GetObjectW(strip, sizeof stripInfo, &stripInfo) || stripInfo.bmWidth < 2 || stripInfo.bmHeight < 1)
        throw Win32Error(L"GetObject() error ", GetLastError());
    const int sourceFrame = stripInfo.bmWidth / 2;
    WindowDc screen(nullptr);
    UniqueMemoryDc source(CreateCompatibleDC(screen.get()));
    UniqueMemoryDc target(CreateCompatibleDC(screen.get()));
    if (!source || !target)
        throw Win32Error(L"CreateCompatibleDC() error ", GetLastError());
    SelectScope useStrip(source.get(), strip);
    const COLORREF transparent = GetPixel(source.get(), 0, stripInfo.bmHeight - 1);

    UniqueImageList image(ImageList_Create(frameSize, frameSize, ILC_COLOR24 | ILC_MASK, 6, 0));
    if (!image)
        throw Win32Error(L"ImageList_Create() error ", GetLastError());
    for (bool disabled : kDisabledState) {
        UniqueBitmap frame = TrueColorBitmap(frameSize);
        {
            SelectScope useFrame(target.get(), frame.get());
            SetStretchBltMode(target.get(), COLORONCOLOR);
            StretchBlt(target.get(), 0, 0, frameSize, frameSize, source.get(), disabled ? sourceFrame : 0, 0,
                       sourceFrame, stripInfo.bmHeight, SRCCOPY);
        }
        if (ImageList_AddMasked(image.get(), frame.get(), transparent) < 0)
            throw Win32Error(L"ImageList_AddMasked() error ", GetLastError());
    }
    return image;
}
