#include "jobs/convert.h"

#include "common/locale_text.h"

void ConvertDirections(JobList& rows, const std::wstring& posText, const std::wstring& backText)
{
    for (JobRow& row : rows) {
        if (!row.HasDirections())
            continue;
        const std::wstring upper = UpperLocale(row.directions);
        if (upper.find(L"POS") != std::wstring::npos)
            row.SetDirections(posText);
        else if (upper.find(L"BACK") != std::wstring::npos)
            row.SetDirections(backText);
    }
}
