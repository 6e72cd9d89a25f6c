#include "config/desired.h"

#include <set>

#include "common/codes.h"
#include "common/errors.h"
#include "common/paths.h"
#include "common/text.h"
#include "config/barcode239.h"
#include "config/map_layout.h"

namespace {

RegKeyData KeyOf(const std::wstring& path, const std::vector<RegValue>& values)
{
    RegKeyData key{path, {}, {}};
    for (const RegValue& value : values)
        key.values.push_back(RegDataOf(value));
    return key;
}

// One map: its folder, its files (the type's first folder gets its own, the later ones links to
// them), its key and both output sections.
DesiredPart MapPart(const Request& request, const MachinePaths& paths, const ProductRoot& root, bool pos,
                    size_t index, int n, const std::optional<std::string>& image)
{
    const std::wstring type = pos ? L"POS" : L"BACK";
    const std::vector<int>& series = pos ? request.pos : request.back;
    DesiredPart part;
    part.folder = MapFolderPath(paths.InstallDir, request.branch, series[index]);
    const std::wstring first = MapFolderPath(paths.InstallDir, request.branch, series[0]);
    const std::wstring names[] = {kEscFileName, kLogoFileName, kAddressFileName, MapXmlName(type)};
    if (index == 0) {
        part.files.push_back({DesiredFile::Source::Copy, part.folder + L"\\" + names[0], paths.EscSourcePath, {}, {}});
        part.files.push_back(
            {DesiredFile::Source::Copy, part.folder + L"\\" + names[1], paths.ProgramDir + L"\\" + names[1], {}, {}});
        part.files.push_back({DesiredFile::Source::Image, part.folder + L"\\" + names[2], L"", image, request.headerLines});
        part.files.push_back({DesiredFile::Source::Copy, part.folder + L"\\" + names[3],
                              paths.ProgramDir + L"\\" + TemplateXmlName(type), {}, {}});
    } else {
        for (const std::wstring& name : names)
            part.files.push_back({DesiredFile::Source::Link, part.folder + L"\\" + name, first + L"\\" + name, {}, {}});
    }
    // The alias names the series as the number it is ("01" gives AB_POS1).
    const MapFacts facts{type, DecimalText(series[index]), request.branch, part.folder,
                         pos ? request.posPrinter : request.backPrinter, pos ? request.uncPos : request.uncBack, {}};
    part.keys.push_back(KeyOf(root.FullPath(root.MapKey(n)), ResolveValues(kMapValues, facts)));
    part.keys.push_back(KeyOf(root.FullPath(root.MapSectionKey(n, kMasterSubkey)), ResolveValues(kMasterValues, facts)));
    part.keys.push_back(KeyOf(root.FullPath(root.MapSectionKey(n, kCopySubkey)), ResolveValues(kCopyValues, facts)));
    return part;
}

// The value in the key, replaced where it is there (in place) and added at the end where not.
void Put(RegKeyData& key, const RegValueData& value)
{
    for (RegValueData& there : key.values)
        if (EqualsAsciiNoCase(there.name, value.name)) {
            there = value;
            return;
        }
    key.values.push_back(value);
}

// The key, made with the keys above it up to the top where they are missing.
RegKeyData& KeyIn(std::vector<RegKeyData>& tree, const std::wstring& path, const std::wstring& top)
{
    for (RegKeyData& key : tree)
        if (EqualsAsciiNoCase(key.path, path))
            return key;
    const std::wstring parent = ParentPath(path);
    if (!EqualsAsciiNoCase(path, top) && IsRegKeyBelow(parent, top, true))
        KeyIn(tree, parent, top);
    tree.push_back(RegKeyData{path, {}, {}});
    return tree.back();
}

template <size_t N>
RegValueData TableValue(const std::array<LayoutValue, N>& table, const wchar_t* name)
{
    return RegDataOf(ResolveValue(*FindLayoutValue(table, name), MapFacts{}));
}

}  // namespace

std::vector<RegKeyData> DesiredState::Keys() const
{
    std::vector<RegKeyData> keys;
    for (const DesiredPart& part : parts)
        keys.insert(keys.end(), part.keys.begin(), part.keys.end());
    return keys;
}

std::vector<std::wstring> DesiredState::Folders() const
{
    std::vector<std::wstring> folders;
    for (const DesiredPart& part : parts)
        if (!part.folder.empty())
            folders.push_back(part.folder);
    return folders;
}

std::vector<DesiredFile> DesiredState::Files() const
{
    std::vector<DesiredFile> files;
    for (const DesiredPart& part : parts)
        files.insert(files.end(), part.files.begin(), part.files.end());
    return files;
}

TemplateFacts TemplatesIn(MachineProbe& probe, const std::wstring& programDir)
{
    return {probe.IsFile(programDir + L"\\" + TemplateXmlName(L"POS")),
            probe.IsFile(programDir + L"\\" + TemplateXmlName(L"BACK"))};
}

std::vector<std::wstring> MissingTemplates(const Request& request, const TemplateFacts& templates,
                                           const std::wstring& programDir)
{
    std::vector<std::wstring> missing;
    if (!templates.pos && !request.pos.empty())
        missing.push_back(programDir + L"\\" + TemplateXmlName(L"POS"));
    if (!templates.back && !request.back.empty())
        missing.push_back(programDir + L"\\" + TemplateXmlName(L"BACK"));
    return missing;
}

DesiredState Desired(const Request& request, const MachinePaths& paths, const ProductRoot& root,
                     const TemplateFacts& templates, const std::optional<std::string>& image)
{
    DesiredState state;
    state.parts.push_back({{}, {}, {}, {}, {KeyOf(root.FullPath(root.key), ResolveProductValues(paths.GhostscriptPath))}});
    state.parts.push_back({{}, root.FullPath(root.MapsKey()), {}, {}, {}});
    int n = 0;
    for (const bool pos : {true, false}) {
        // A type without its template is said even when the request has no series of it.
        if (!(pos ? templates.pos : templates.back)) {
            DesiredPart said;
            said.note = OutcomeMessage{MessageKind::Warning, codes::kTemplateMissing,
                                       L"Δεν βρέθηκε το αρχείο " + paths.ProgramDir + L"\\" +
                                           TemplateXmlName(pos ? L"POS" : L"BACK")};
            state.parts.push_back(std::move(said));
            continue;
        }
        const size_t count = (pos ? request.pos : request.back).size();
        for (size_t i = 0; i < count; ++i)
            state.parts.push_back(MapPart(request, paths, root, pos, i, ++n, image));
    }
    return state;
}

std::vector<RegKeyData> DesiredMaps(const Request& request, const std::wstring& installDir, const ProductRoot& root,
                                    const TemplateFacts& templates)
{
    MachinePaths paths;
    paths.InstallDir = installDir;
    std::vector<RegKeyData> keys = Desired(request, paths, root, templates).Keys();
    keys.erase(keys.begin());  // the product key
    return keys;
}

DesiredState DesiredUpgradeState(const std::vector<RegKeyData>& tree, const ProductRoot& root)
{
    DesiredState state;
    state.opensKeys = true;
    const std::wstring maps = root.FullPath(root.MapsKey());
    if (!FindRegKey(tree, maps)) {
        state.stops = OutcomeMessage{MessageKind::Failure, codes::kMapsMissing, OpenKeyFailure(root.MapsKey()).Message()};
        return state;
    }
    for (const RegKeyData* map : RegChildren(tree, maps)) {
        DesiredPart part;
        // A flag that is there keeps whatever it holds.
        RegKeyData flags{map->path, {}, {}};
        for (const wchar_t* flag : kUpgradeMapFlags)
            if (!FindRegValue(*map, flag))
                flags.values.push_back(TableValue(kMapValues, flag));
        part.keys.push_back(std::move(flags));
        for (const wchar_t* name : {kMasterSubkey, kCopySubkey}) {
            const RegKeyData* section = FindRegKey(tree, map->path + L"\\" + name);
            const RegValueData* barcode39 = section ? FindRegValue(*section, L"Barcode39") : nullptr;
            const std::optional<std::wstring> first = barcode39 ? RegTextOf(*barcode39) : std::wstring();
            if (!first) {
                state.parts.push_back(std::move(part));
                state.stops = OutcomeMessage{MessageKind::Failure, codes::kBarcode39Mistyped,
                                             L"Invalid data type for 'Barcode39'"};
                return state;
            }
            RegKeyData values{map->path + L"\\" + name, {}, {}};
            for (const wchar_t* value : kUpgradeSectionValues)
                values.values.push_back(std::wstring(value) == L"Barcode239"
                                            ? RegTextValue(value, Barcode239From(*first))
                                            : TableValue(kMasterValues, value));
            part.keys.push_back(std::move(values));
        }
        state.parts.push_back(std::move(part));
    }
    return state;
}

std::vector<RegKeyData> TreeAfter(std::vector<RegKeyData> tree, const DesiredState& state, const ProductRoot& root)
{
    const std::vector<RegKeyData> declared = state.Keys();
    const auto declaredKey = [&declared](const std::wstring& path) -> const RegKeyData* {
        return FindRegKey(declared, path);
    };
    const auto kept = [&declared](const std::wstring& path) {
        for (const RegKeyData& key : declared)
            if (IsRegKeyBelow(key.path, path, true))
                return true;
        return false;
    };
    for (const DesiredPart& part : state.parts)
        if (!part.replaces.empty()) {
            std::vector<RegKeyData> left;
            for (RegKeyData& key : tree) {
                if (!IsRegKeyBelow(key.path, part.replaces, true)) {
                    left.push_back(std::move(key));
                    continue;
                }
                if (!kept(key.path))
                    continue;
                const RegKeyData* wanted = declaredKey(key.path);
                std::vector<RegValueData> values;
                for (RegValueData& value : key.values)
                    if (wanted && FindRegValue(*wanted, value.name))
                        values.push_back(std::move(value));
                key.values = std::move(values);
                left.push_back(std::move(key));
            }
            tree = std::move(left);
        }
    const std::wstring top = root.FullPath(root.key);
    for (const RegKeyData& key : declared) {
        RegKeyData& there = KeyIn(tree, key.path, top);
        for (const RegValueData& value : key.values)
            Put(there, value);
    }
    return tree;
}

std::vector<RegKeyData> DesiredUpgrade(const std::vector<RegKeyData>& tree, const ProductRoot& root)
{
    return TreeAfter(tree, DesiredUpgradeState(tree, root), root);
}
