#include "config/check.h"

#include <algorithm>
#include <optional>

#include "common/codes.h"
#include "common/locale_text.h"
#include "common/paths.h"
#include "common/product_keys.h"
#include "common/text.h"
#include "config/change_plan.h"

namespace {

std::wstring Shown(const RegValueData& value)
{
    if (std::optional<std::wstring> text = RegTextOf(value))
        return L"\"" + *text + L"\"";
    if (std::optional<uint32_t> number = RegDwordOf(value))
        return DecimalText(*number);
    return L"data of type " + DecimalText(value.type);
}

class Inspection {
public:
    // upgraded: some map holds a value that only an upgrade or a configuration of this version
    // writes, so a value of those that is missing elsewhere was lost, not never written.
    Inspection(MachineProbe& probe, bool upgraded) : upgraded_(upgraded), probe_(probe), printers_(probe.Printers()) {}

    // Each value of the layout table present with its type; the text of each, by name, after.
    template <size_t N>
    void Values(const RegKeyData& key, const std::array<LayoutValue, N>& table)
    {
        for (const LayoutValue& row : table) {
            const RegValueData* value = FindRegValue(key, row.name);
            const bool text = row.kind == RegKind::Text;
            const bool notUpgraded = AddedByUpgrade(row.name) && !upgraded_;
            if (!value)
                Add(notUpgraded ? codes::kValueNotUpgraded : codes::kValueMissing,
                    key.path + L": " + row.name + L" is missing" +
                        (notUpgraded                 ? L" (the configuration was never upgraded: run Upgrade Vorla)"
                         : AddedByUpgrade(row.name) ? L" (the upgrade writes it: run /upgrade)"
                                                    : L""),
                    key.path, row.name);
            else if (text ? !RegTextOf(*value) : value->type != kRegDword || value->data.size() != 4)
                Add(codes::kValueMistyped,
                    key.path + L": " + row.name + L" is " + RegTypeName(value->type) + L", not " +
                        (text ? L"REG_SZ" : L"REG_DWORD"),
                    key.path, row.name);
        }
    }

    void FileNamed(const RegKeyData& key, const wchar_t* name)
    {
        const RegValueData* value = FindRegValue(key, name);
        std::optional<std::wstring> path = value ? RegTextOf(*value) : std::nullopt;
        if (path && !probe_.IsFile(*path))
            Add(codes::kFileMissing, key.path + L": " + name + L" names no file: " + *path, key.path, name, *path);
    }

    // The map folder (where EscFile is) holds the two pictures.
    void MapFolder(const RegKeyData& map)
    {
        const RegValueData* esc = FindRegValue(map, L"EscFile");
        std::optional<std::wstring> path = esc ? RegTextOf(*esc) : std::nullopt;
        if (!path)
            return;
        const std::wstring folder = ParentPath(*path);
        for (const wchar_t* picture : {kLogoFileName, kAddressFileName})
            if (!probe_.IsFile(folder + L"\\" + picture))
                Add(codes::kMapFolderIncomplete, map.path + L": the map folder " + folder + L" lacks " + picture, map.path,
                    L"EscFile", folder + L"\\" + picture);
    }

    void Printer(const RegKeyData& section)
    {
        const RegValueData* value = FindRegValue(section, L"Printer");
        std::optional<std::wstring> name = value ? RegTextOf(*value) : std::nullopt;
        if (!name)
            return;
        if (MatchPrinter(printers_, *name))
            return;
        Add(codes::kPrinterMissing, section.path + L": Printer names a printer this machine does not have: " + *name,
            section.path, L"Printer");
    }

    // The first map folder of each type holds the image this header draws.
    void HeaderImage(const std::vector<const RegKeyData*>& maps, const std::vector<RegKeyData>& tree,
                     const std::string& image)
    {
        std::vector<std::wstring> typesSeen;
        for (const RegKeyData* map : maps) {
            const RegKeyData* master = FindRegKey(tree, map->path + L"\\" + kMasterSubkey);
            const RegValueData* xml = master ? FindRegValue(*master, L"XmlFile") : nullptr;
            const RegValueData* esc = FindRegValue(*map, L"EscFile");
            std::optional<std::wstring> xmlPath = xml ? RegTextOf(*xml) : std::nullopt;
            std::optional<std::wstring> escPath = esc ? RegTextOf(*esc) : std::nullopt;
            if (!xmlPath || !escPath)
                continue;
            const std::wstring type = UpperLocale(xmlPath->substr(ParentPath(*xmlPath).size()));
            if (std::find(typesSeen.begin(), typesSeen.end(), type) != typesSeen.end())
                continue;
            typesSeen.push_back(type);
            const std::wstring path = ParentPath(*escPath) + L"\\" + kAddressFileName;
            if (probe_.FileBytes(path, image.size() + 1) != image)
                Add(codes::kAddressBmpDiffers, path + L": address.bmp differs from the image of this header", {}, {}, path);
        }
    }

    void Add(const char* code, std::wstring text, std::wstring key = {}, std::wstring value = {}, std::wstring file = {})
    {
        problems.push_back(Problem{code, std::move(text), std::move(key), std::move(value), std::move(file)});
    }

    std::vector<Problem> problems;

private:
    bool upgraded_;
    MachineProbe& probe_;
    std::vector<std::wstring> printers_;
};

void InspectMap(Inspection& check, const std::vector<RegKeyData>& tree, const RegKeyData& map)
{
    check.Values(map, kMapValues);
    check.FileNamed(map, L"EscFile");
    check.MapFolder(map);
    for (const wchar_t* name : {kMasterSubkey, kCopySubkey}) {
        const RegKeyData* section = FindRegKey(tree, map.path + L"\\" + name);
        if (!section) {
            check.Add(codes::kSectionMissing, map.path + L"\\" + name + L" is missing", map.path + L"\\" + name);
            continue;
        }
        if (name == kMasterSubkey)
            check.Values(*section, kMasterValues);
        else
            check.Values(*section, kCopyValues);
        check.FileNamed(*section, L"XmlFile");
        check.Printer(*section);
    }
}

std::wstring Shown(const std::wstring& name, const ChangeSide& side)
{
    return Shown(RegValueData{name, side.type, side.data});
}

// Every place below the maps key that the plan of the declared state would change: a key
// missing (its values said with it) or there that the request does not write (the topmost only,
// with what it holds), a value missing, other (the same bytes under another type are another
// value) or there that the run would remove.
std::vector<Problem> MapsDiffering(const std::vector<RegKeyData>& tree, const DesiredState& desired,
                                   const ProductRoot& root)
{
    const std::wstring maps = root.FullPath(root.MapsKey());
    std::vector<OutcomeMessage> notes;
    std::vector<Problem> found;
    const std::wstring suffix = L"; /configure with these switches would ";
    std::vector<std::wstring> created;
    for (const PlannedChange& step : Diff(tree, desired, nullptr, notes, root).steps) {
        const Change& change = step.change;
        const std::wstring& path = change.path;
        if (!IsRegKeyBelow(path, maps))
            continue;  // the product values and the maps key itself are checked on their own
        const bool key = change.target == ChangeTarget::Key, removed = change.action == ChangeAction::Removed;
        if (key && change.action == ChangeAction::Created)
            created.push_back(PathCompareKey(path));
        else if (!key && std::find(created.begin(), created.end(), PathCompareKey(path)) != created.end())
            continue;  // said with its key
        std::wstring text;
        if (key)
            text = path + (removed ? L" is there" + suffix + L"not write it" : L" is missing" + suffix + L"write it");
        else if (removed)
            text = path + L": " + change.name + L" is there" + suffix + L"remove it";
        else if (!change.before)
            text = path + L": " + change.name + L" is missing" + suffix + L"write " + Shown(change.name, *change.after);
        else
            text = path + L": " + change.name + L" is " + Shown(change.name, *change.before) +
                   (change.before->type != change.after->type ? L" of type " + RegTypeName(change.before->type) : L"") +
                   suffix + L"write " + Shown(change.name, *change.after);
        found.push_back(Problem{codes::kMapsDiffer, std::move(text), path, change.name, {}, change.after, change.before});
    }
    return found;
}

// Whether the upgrade's plan alone mends the problem's value: it writes that value, and writes
// what the request would write where the problem says.
bool MendedByUpgrade(const Problem& problem, const std::vector<PlannedChange>& upgrade)
{
    for (const PlannedChange& step : upgrade) {
        const Change& change = step.change;
        if (change.target == ChangeTarget::Value && change.action == ChangeAction::Written && !problem.value.empty() &&
            EqualsAsciiNoCase(change.path, problem.key) && EqualsAsciiNoCase(change.name, problem.value))
            return !problem.expected ||
                   (change.after->type == problem.expected->type && change.after->data == problem.expected->data);
    }
    return false;
}

// Each problem of the registry names the command that mends it: /upgrade where the upgrade's plan
// mends it, /configure otherwise.
void NameRemedies(std::vector<Problem>& problems, const std::vector<RegKeyData>& tree, const ProductRoot& root)
{
    static const char* const kRegistryCodes[] = {codes::kProductKeyMissing, codes::kMapsMissing,   codes::kMapsEmpty,
                                                 codes::kSectionMissing,    codes::kValueMissing,  codes::kValueNotUpgraded,
                                                 codes::kValueMistyped,     codes::kMapsDiffer};
    std::optional<Plan> upgrade;  // worked out for the first such problem
    for (Problem& problem : problems)
        for (const char* code : kRegistryCodes)
            if (problem.code == code) {
                if (!upgrade) {
                    std::vector<OutcomeMessage> notes;
                    upgrade = Diff(tree, DesiredUpgradeState(tree, root), nullptr, notes, root);
                }
                problem.remedy = MendedByUpgrade(problem, upgrade->steps) ? "/upgrade" : "/configure";
            }
}

}  // namespace

std::vector<Problem> FindConfigurationProblems(const std::vector<RegKeyData>& tree, MachineProbe& probe,
                                               const CheckExpectation& expected, const ProductRoot& root)
{
    bool upgraded = false;
    for (const RegKeyData& key : tree)
        for (const RegValueData& value : key.values)
            upgraded = upgraded || AddedByUpgrade(value.name);
    Inspection check(probe, upgraded || expected.desired);
    const std::vector<RegKeyData> declared = expected.desired ? expected.desired->Keys() : std::vector<RegKeyData>();
    const std::wstring productPath = root.FullPath(root.key);
    const RegKeyData* product = FindRegKey(tree, productPath);
    std::vector<const RegKeyData*> maps;
    if (!product) {
        check.Add(codes::kProductKeyMissing, productPath + L" is missing", productPath);
    } else {
        check.Values(*product, kProductValues);
        check.FileNamed(*product, L"ps2pdf_cmd");
        const std::wstring mapsPath = root.FullPath(root.MapsKey());
        maps = RegChildren(tree, mapsPath);
        if (!FindRegKey(tree, mapsPath))
            check.Add(codes::kMapsMissing, mapsPath + L" is missing", mapsPath);
        else if (maps.empty())
            check.Add(codes::kMapsEmpty, mapsPath + L" holds no map", mapsPath);
        // A map that the request does not write is one difference, not a map of missing values.
        for (const RegKeyData* map : maps)
            if (!expected.desired || FindRegKey(declared, map->path))
                InspectMap(check, tree, *map);
    }
    if (!probe.HasFontFamily(L"Free 3 of 9 Extended"))
        check.Add(codes::kBarcodeFontMissing, L"The barcode font Free 3 of 9 Extended is not installed");
    if (expected.desired)
        for (Problem& difference : MapsDiffering(tree, *expected.desired, root))
            check.problems.push_back(std::move(difference));
    if (expected.headerImage)
        check.HeaderImage(maps, tree, *expected.headerImage);
    for (const std::wstring& missing : expected.missingTemplates)
        check.Add(codes::kTemplateMissing,
                  L"The form template " + missing + L" is missing: /configure writes no map of its type", {}, {}, missing);
    NameRemedies(check.problems, tree, root);
    return check.problems;
}

std::vector<std::wstring> ConfigurationProblems(const std::vector<RegKeyData>& tree, MachineProbe& probe,
                                                const CheckExpectation& expected, const ProductRoot& root)
{
    std::vector<std::wstring> lines;
    for (Problem& problem : FindConfigurationProblems(tree, probe, expected, root))
        lines.push_back(std::move(problem.text));
    return lines;
}
