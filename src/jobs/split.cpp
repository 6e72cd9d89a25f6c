#include "jobs/split.h"

#include <algorithm>

#include "common/errors.h"
#include "common/fileio.h"
#include "common/locale_text.h"
#include "common/text.h"
#include "jobs/analysis.h"
#include "jobs/jobinfo.h"

namespace {

// The print job's path: the ".pri" extension, in whatever case, replaced by ".prn".
std::wstring PrintFileCaption(const std::wstring& infoFilePath)
{
    return infoFilePath.substr(0, infoFilePath.size() - 4) + L".prn";
}

// Turns the row into its print job's row when its file holds a forwarding directive; a file
// that cannot be read, or holds no directive, leaves the row untouched.
void SplitRow(JobRow& row)
{
    std::wstring value;
    try {
        value = ReadJobInfo(row.caption);
    } catch (const AppError&) {
        return;
    }
    if (!IsForwardingDirective(value))
        return;
    std::wstring destination = DirectiveDestination(value);
    row.caption = PrintFileCaption(row.caption);
    row.ClearSubItems();
    row.SetDirections(std::move(destination));
}

}  // namespace

void SplitPriRows(JobList& rows)
{
    // Changed in place: an error on the way leaves every row whole.
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [](const JobRow& row) {
                                  return !IsJobInfoFilePath(row.caption) || IsExistingFolder(row.caption);
                              }),
               rows.end());
    for (JobRow& row : rows)
        SplitRow(row);
    // A merge sort stays safe and keeps equal captions in their order even where the
    // locale's comparison is not a perfect ordering of every text.
    std::stable_sort(rows.begin(), rows.end(), [](const JobRow& a, const JobRow& b) {
        return CompareTextLocale(a.caption, b.caption, false) < 0;
    });
}
