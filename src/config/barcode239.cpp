#include "config/barcode239.h"

#include <vector>

#include "common/text.h"

std::wstring Barcode239From(std::wstring_view barcode39)
{
    std::vector<std::wstring> fields = SplitList(barcode39, L";", 4);
    fields[1] = L"1600";
    fields[2] = L"300";
    fields[3] = L"0";
    return JoinList(fields, L';');
}
