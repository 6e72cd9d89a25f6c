// The branch header image ("address.bmp"): five lines of text in Arial on a white
// 487 x 102 bitmap of 8 bits per pixel with the system halftone palette.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/show_message.h"
#include "config/address_layout.h"

// The widest of the first four lines and the sum of their heights, each measured with the
// canvas's current font.
TextBlockSize MeasureLines(HDC canvas, const std::vector<std::wstring>& lines);

// The header drawn, as the bytes of its BMP file, and the fit it was drawn with; nothing unless
// there are exactly five lines. Drawing failures throw AppError.
struct AddressImage {
    std::string fileBytes;
    HeaderFit fit;
};
std::optional<AddressImage> DrawAddressImage(const std::vector<std::wstring>& lines);

// Draws the header and writes it to path as a BMP file, overwriting the file in place (other
// hard links to it show the new image). Lines other than exactly five: no file, no message.
// A file that cannot be written is reported through showMessage ("Cannot create file <path>")
// and the caller goes on; drawing failures throw AppError. Returns the fit the lines were
// drawn with, or nothing when no image was drawn.
std::optional<HeaderFit> RenderAddressBitmap(const std::wstring& path, const std::vector<std::wstring>& lines,
                                             const ShowMessageFn& showMessage);
