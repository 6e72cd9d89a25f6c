#include "common/product_keys.h"

#include "common/text.h"

const wchar_t kProductKeyPath[] = L"SOFTWARE\\Kelvane\\Vorla";
const wchar_t kMapsKeyPath[] = L"SOFTWARE\\Kelvane\\Vorla\\maps";

const wchar_t* HiveName(RegHive hive)
{
    return hive == RegHive::CurrentUser ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE";
}

std::wstring ProductRoot::MapsKey() const
{
    return key + L"\\maps";
}

std::wstring ProductRoot::MapKey(int mapNumber) const
{
    return MapsKey() + L"\\" + DecimalText(mapNumber);
}

std::wstring ProductRoot::MapSectionKey(int mapNumber, const wchar_t* section) const
{
    return MapKey(mapNumber) + L"\\" + section;
}

std::wstring ProductRoot::FullPath(const std::wstring& path) const
{
    return std::wstring(HiveName(hive)) + L"\\" + path;
}
