#include "config/address_bitmap.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/errors.h"
#include "common/fileio.h"
#include "common/handles.h"

namespace {
constexpr int kBitsPerPixel = 8;
constexpr int kPaletteSize = 256;
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct PaletteBitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[kPaletteSize];
};

// Rows of a bottom-up DIB are padded to whole DWORDs.
constexpr int kStride = (kAddressWidth * kBitsPerPixel + 31) / 32 * 4;

PaletteBitmapInfo HalftoneBitmapInfo()
{
    PaletteBitmapInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = kAddressWidth;
    info.header.biHeight = kAddressHeight;
    info.header.biPlanes = 1;
    info.header.biBitCount = kBitsPerPixel;
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage = kStride * kAddressHeight;
    info.header.biClrUsed = kPaletteSize;

    WindowDc screen(nullptr);
    UniquePalette palette(CreateHalftonePalette(screen.get()));
    if (!palette)
        throw Win32Error(L"CreateHalftonePalette() error ", GetLastError());
    PALETTEENTRY entries[kPaletteSize] = {};
    UINT count = GetPaletteEntries(palette.get(), 0, kPaletteSize, entries);
    for (UINT i = 0; i < count && i < kPaletteSize; ++i)
        info.colors[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
    return info;
}

UniqueFont ArialFont(int height, bool bold)
{
    UniqueFont font(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
    if (!font)
        throw Win32Error(L"CreateFont() error ", GetLastError());
    return font;
}

SIZE TextSize(HDC dc, const std::wstring& text)
{
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void DrawAt(HDC dc, int x, int y, const std::wstring& text)
{
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

// Lines 1 and 3 have their label in bold, the rest follows in regular type at once.
void DrawLines(HDC dc, const std::vector<std::wstring>& lines, const HeaderFit& fit)
{
    UniqueFont regular = ArialFont(fit.fontHeight, false);
    UniqueFont bold = ArialFont(fit.fontHeight, true);
    for (int i = 0; i < kAddressLineCount; ++i) {
        int y = HeaderLineTop(fit.block.height, i);
        if (HasBoldLabel(i)) {
            LabelParts parts = SplitLabel(lines[i]);
            int boldWidth = 0;
            {
                SelectScope select(dc, bold.get());
                DrawAt(dc, kAddressLeft, y, parts.bold);
                boldWidth = TextSize(dc, parts.bold).cx;
            }
            SelectScope select(dc, regular.get());
            DrawAt(dc, kAddressLeft + boldWidth, y, parts.regular);
        } else {
            SelectScope select(dc, regular.get());
            DrawAt(dc, kAddressLeft, y, lines[i]);
        }
    }
}

// The BMP file: file header, info header, colour table, pixel rows.
std::string BitmapFileBytes(const PaletteBitmapInfo& info, const void* bits)
{
    BITMAPFILEHEADER file{};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + sizeof info.colors;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = offset;
    file.bfSize = offset + info.header.biSizeImage;
    std::string bytes(file.bfSize, '\0');
    std::memcpy(&bytes[0], &file, sizeof file);
    std::memcpy(&bytes[sizeof file], &info.header, sizeof info.header);
    std::memcpy(&bytes[sizeof file + sizeof info.header], info.colors, sizeof info.colors);
    std::memcpy(&bytes[offset], bits, info.header.biSizeImage);
    return bytes;
}

// Truncates and rewrites the file itself (not a new file under its name), so that hard links
// to it keep showing the same contents.
void WriteWholeFile(const std::wstring& path, const std::string& bytes)
{
    UniqueFile file = OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file)
        throw CreateFileFailure(path);
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw AppError(L"Stream write error");
}
}  // namespace

TextBlockSize MeasureLines(HDC canvas, const std::vector<std::wstring>& lines)
{
    TextBlockSize block;
    size_t count = std::min<size_t>(lines.size(), kAddressMeasuredLines);
    for (size_t i = 0; i < count; ++i) {
        SIZE size = TextSize(canvas, lines[i]);
        block.width = std::max<int>(block.width, size.cx);
        block.height += size.cy;
    }
    return block;
}

std::optional<AddressImage> DrawAddressImage(const std::vector<std::wstring>& lines)
{
    if (lines.size() != kAddressLineCount)
        return std::nullopt;

    PaletteBitmapInfo info = HalftoneBitmapInfo();
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                         &bits, nullptr, 0));
    if (!bitmap || !bits)
        throw Win32Error(L"CreateDIBSection() error ", GetLastError());
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc)
        throw Win32Error(L"CreateCompatibleDC() error ", GetLastError());

    HeaderFit fit;
    {
        SelectScope selectBitmap(dc.get(), bitmap.get());
        RECT all{0, 0, kAddressWidth, kAddressHeight};
        UniqueBrush white(CreateSolidBrush(kWhite));
        FillRect(dc.get(), &all, white.get());

        fit = FitHeaderFont([&](int fontHeight) {
            UniqueFont font = ArialFont(fontHeight, false);
            SelectScope selectFont(dc.get(), font.get());
            return MeasureLines(dc.get(), lines);
        });

        SetTextColor(dc.get(), GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc.get(), kWhite);
        SetBkMode(dc.get(), OPAQUE);
        DrawLines(dc.get(), lines, fit);
        GdiFlush();
    }
    return AddressImage{BitmapFileBytes(info, bits), fit};
}

std::optional<HeaderFit> RenderAddressBitmap(const std::wstring& path, const std::vector<std::wstring>& lines,
                                             const ShowMessageFn& showMessage)
{
    std::optional<AddressImage> image = DrawAddressImage(lines);
    if (!image)
        return std::nullopt;
    try {
        WriteWholeFile(path, image->fileBytes);
    } catch (const AppError& e) {
        showMessage(e.Message());
    }
    return image->fit;
}
