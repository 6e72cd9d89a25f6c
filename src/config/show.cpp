#include "config/show.h"

#include "common/text.h"
#include "config/change_plan.h"
#include "config/check.h"
#include "config/desired.h"
#include "config/map_layout.h"

namespace {

std::optional<std::wstring> TextValue(const std::vector<RegKeyData>& tree, const std::wstring& key,
                                      const wchar_t* name)
{
    const RegKeyData* found = FindRegKey(tree, key);
    const RegValueData* value = found ? FindRegValue(*found, name) : nullptr;
    return value ? RegTextOf(*value) : std::nullopt;
}

// One map read back: its type and series from the alias, the branch from its file type's
// BBBBSS, its printer and output folder.
struct ShownMap {
    bool pos = true;
    int series = 0;
    int branch = 0;
    std::wstring printer, outDir;
};

std::optional<int> NumberAfter(const std::wstring& text, const std::wstring& prefix)
{
    if (text.size() <= prefix.size() || text.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    int number = 0;
    const std::wstring digits = text.substr(prefix.size());
    if (digits.find_first_not_of(L"0123456789") != std::wstring::npos || !ParseInt32(digits, number))
        return std::nullopt;
    return number;
}

std::optional<ShownMap> ReadMap(const std::vector<RegKeyData>& tree, const std::wstring& map)
{
    ShownMap shown;
    const std::wstring alias = TextValue(tree, map, L"Alias").value_or(L"");
    std::optional<int> series = NumberAfter(alias, L"AB_POS");
    if (!series) {
        shown.pos = false;
        series = NumberAfter(alias, L"AB_BACK");
    }
    const std::wstring copy = map + L"\\" + kCopySubkey;
    const std::wstring seriesText = BranchSeriesText(0, series.value_or(0)).substr(4);
    const std::optional<int> bbbbss = NumberAfter(TextValue(tree, copy, L"PrnExType").value_or(L""), L"psa;1;");
    const std::wstring full = bbbbss ? TextValue(tree, copy, L"PrnExType")->substr(6) : L"";
    if (!series || !bbbbss || full.size() <= seriesText.size() ||
        full.compare(full.size() - seriesText.size(), seriesText.size(), seriesText) != 0 ||
        !ParseInt32(full.substr(0, full.size() - seriesText.size()), shown.branch))
        return std::nullopt;
    shown.series = *series;
    shown.printer = TextValue(tree, map + L"\\" + kMasterSubkey, L"Printer").value_or(L"");
    shown.outDir = TextValue(tree, copy, L"PrnOutDir").value_or(L"");
    return shown;
}

// Why the request does not give the tree: the first change that its plan would make below the
// maps key.
std::wstring FirstDifference(const std::vector<RegKeyData>& tree, const DesiredState& desired, const ProductRoot& root)
{
    const std::wstring maps = root.FullPath(root.MapsKey());
    std::vector<OutcomeMessage> notes;
    for (const PlannedChange& step : Diff(tree, desired, nullptr, notes, root).steps) {
        const Change& change = step.change;
        if (!IsRegKeyBelow(change.path, maps))
            continue;
        const std::wstring what = change.path + (change.name.empty() ? L"" : L": " + change.name);
        switch (change.action) {
        case ChangeAction::Removed: return what + L" is there, and no request writes it";
        case ChangeAction::Created: return what + L" is missing, and every request that gives the other maps writes it";
        default: return what + L" holds what no request writes";
        }
    }
    return {};
}

std::wstring JoinSeries(const std::vector<int>& series)
{
    std::wstring text;
    for (int number : series)
        text += (text.empty() ? L"" : L",") + DecimalText(number);
    return text;
}

}  // namespace

ShownRequest ShowRequest(const std::vector<RegKeyData>& tree, const std::wstring& installDir,
                         const std::wstring& ghostscriptPath, const ProductRoot& root)
{
    ShownRequest shown;
    const std::wstring product = root.FullPath(root.key), maps = root.FullPath(root.MapsKey());
    for (const RegValue& value : ResolveProductValues(ghostscriptPath))
        if (TextValue(tree, product, value.name.c_str()) != value.text) {
            shown.whyNone = product + L": " + value.name + L" is not what /configure writes";
            return shown;
        }
    if (!FindRegKey(tree, maps)) {
        shown.whyNone = maps + L" is missing, and every request writes it";
        return shown;
    }
    const std::vector<const RegKeyData*> children = RegChildren(tree, maps);
    if (children.empty()) {
        shown.whyNone = maps + L" holds no map, so nothing tells the branch number";
        return shown;
    }
    // The maps in order give the series; the diff at the end tells whether they are in the
    // request's order (POS first) and hold exactly what it writes.
    Request request;
    for (size_t n = 1; n <= children.size(); ++n) {
        const std::wstring map = root.FullPath(root.MapKey(static_cast<int>(n)));
        const std::optional<ShownMap> read = FindRegKey(tree, map) ? ReadMap(tree, map) : std::nullopt;
        if (!read) {
            shown.whyNone = map + (FindRegKey(tree, map) ? L" is not a map that a request writes"
                                                         : L" is missing: a request numbers its maps from 1 without gaps");
            return shown;
        }
        if (request.pos.empty() && request.back.empty())
            request.branch = read->branch;
        (read->pos ? request.pos : request.back).push_back(read->series);
        std::wstring& printer = read->pos ? request.posPrinter : request.backPrinter;
        std::wstring& outDir = read->pos ? request.uncPos : request.uncBack;
        if ((read->pos ? request.pos : request.back).size() == 1) {
            printer = read->printer;
            outDir = read->outDir;
        }
    }
    ConfigRequest entered{DecimalText(request.branch), JoinSeries(request.pos), JoinSeries(request.back),
                          request.posPrinter, request.backPrinter, request.uncPos, request.uncBack, {}};
    const RequestCheck check = CheckRequest(entered);
    if (!check.request) {
        shown.whyNone = check.text;
        return shown;
    }
    MachinePaths paths;
    paths.InstallDir = installDir;
    paths.GhostscriptPath = ghostscriptPath;
    shown.whyNone = FirstDifference(tree, Desired(request, paths, root), root);
    if (shown.whyNone.empty())
        shown.request = request;
    return shown;
}

std::vector<std::pair<std::string, std::wstring>> RequestSwitches(const Request& request)
{
    return {{"branch", DecimalText(request.branch)}, {"pos", JoinSeries(request.pos)},
            {"back", JoinSeries(request.back)},       {"posprinter", request.posPrinter},
            {"backprinter", request.backPrinter},     {"posunc", request.uncPos},
            {"backunc", request.uncBack}};
}
