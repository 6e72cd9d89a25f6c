#include "joblist.h"

void JobRow::SetDirections(std::wstring text)
{
    directions = std::move(text);
    if (subItems == 0)
        subItems = 1;
}

void JobRow::SetResult(std::wstring text)
{
    result = std::move(text);
    subItems = 2;
}

void JobRow::ClearSubItems()
{
    directions.clear();
    result.clear();
    subItems = 0;
}

const std::wstring& JobRow::SubItem(int index) const
{
    static const std::wstring empty;
    if (index == 0 && subItems >= 1)
        return directions;
    if (index == 1 && subItems >= 2)
        return result;
    return empty;
}
