// The second barcode description of a Master or Copy section, derived from the first one.
#pragma once
#include <string>
#include <string_view>

// Barcode239 for a section whose Barcode39 record is barcode39: fields 2, 3 and 4 become
// "1600", "300" and "0"; every other field is kept as it is, fields beyond the fourth included.
// A record of fewer than four fields (an empty one too) is first filled up with empty fields.
std::wstring Barcode239From(std::wstring_view barcode39);
