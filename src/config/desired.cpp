#include "config/desired.h"

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

// One type's maps, numbered on from n.
void DeclareType(DesiredState& state, const Request& request, const MachinePaths& paths, const ProductRoot& root,
                 bool pos, int& n)
{
    const std::wstring type = pos ? L"POS" : L"BACK";
    const std::vector<int>& series = pos ? request.pos : request.back;
    std::wstring first;
    for (size_t i = 0; i < series.size(); ++i) {
        const std::wstring folder = MapFolderPath(paths.InstallDir, request.branch, series[i]);
        state.folders.push_back(folder);
        const std::wstring names[] = {kEscFileName, kLogoFileName, kAddressFileName, MapXmlName(type)};
        if (i == 0) {
            first = folder;
            state.files.push_back({DesiredFile::Source::Copy, folder + L"\\" + names[0], paths.EscSourcePath});
            state.files.push_back({DesiredFile::Source::Copy, folder + L"\\" + names[1], paths.ProgramDir + L"\\" + names[1]});
            state.files.push_back({DesiredFile::Source::Image, folder + L"\\" + names[2], L""});
            state.files.push_back(
                {DesiredFile::Source::Copy, folder + L"\\" + names[3], paths.ProgramDir + L"\\" + TemplateXmlName(type)});
        } else {
            for (const std::wstring& name : names)
                state.files.push_back({DesiredFile::Source::Link, folder + L"\\" + name, first + L"\\" + name});
        }
        const MapFacts facts{type, DecimalText(series[i]), request.branch, folder,
                             pos ? request.posPrinter : request.backPrinter, pos ? request.uncPos : request.uncBack, {}};
        ++n;
        state.keys.push_back(KeyOf(root.FullPath(root.MapKey(n)), ResolveValues(kMapValues, facts)));
        state.keys.push_back(KeyOf(root.FullPath(root.MapSectionKey(n, kMasterSubkey)), ResolveValues(kMasterValues, facts)));
        state.keys.push_back(KeyOf(root.FullPath(root.MapSectionKey(n, kCopySubkey)), ResolveValues(kCopyValues, facts)));
    }
}

}  // namespace

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
                     const TemplateFacts& templates)
{
    DesiredState state;
    state.keys.push_back(KeyOf(root.FullPath(root.key), ResolveProductValues(paths.GhostscriptPath)));
    state.keys.push_back(RegKeyData{root.FullPath(root.MapsKey()), {}, {}});
    int n = 0;
    if (templates.pos)
        DeclareType(state, request, paths, root, true, n);
    if (templates.back)
        DeclareType(state, request, paths, root, false, n);
    return state;
}

std::vector<RegKeyData> DesiredMaps(const Request& request, const std::wstring& installDir, const ProductRoot& root,
                                    const TemplateFacts& templates)
{
    MachinePaths paths;
    paths.InstallDir = installDir;
    std::vector<RegKeyData> keys = Desired(request, paths, root, templates).keys;
    keys.erase(keys.begin(), keys.begin() + 2);
    return keys;
}

namespace {

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

template <size_t N>
RegValueData TableValue(const std::array<LayoutValue, N>& table, const wchar_t* name)
{
    return RegDataOf(ResolveValue(*FindLayoutValue(table, name), MapFacts{}));
}

RegKeyData& KeyIn(std::vector<RegKeyData>& tree, const std::wstring& path)
{
    for (RegKeyData& key : tree)
        if (EqualsAsciiNoCase(key.path, path))
            return key;
    tree.push_back(RegKeyData{path, {}, {}});
    return tree.back();
}

}  // namespace

std::vector<RegKeyData> DesiredUpgrade(std::vector<RegKeyData> tree, const ProductRoot& root)
{
    const std::wstring maps = root.FullPath(root.MapsKey());
    if (!FindRegKey(tree, maps))
        return tree;
    std::vector<std::wstring> mapPaths;
    for (const RegKeyData* map : RegChildren(tree, maps))
        mapPaths.push_back(map->path);
    for (const std::wstring& map : mapPaths) {
        for (const wchar_t* flag : kUpgradeMapFlags)
            if (!FindRegValue(KeyIn(tree, map), flag))
                Put(KeyIn(tree, map), TableValue(kMapValues, flag));
        for (const wchar_t* name : {kMasterSubkey, kCopySubkey}) {
            const RegKeyData* section = FindRegKey(tree, map + L"\\" + name);
            const RegValueData* barcode39 = section ? FindRegValue(*section, L"Barcode39") : nullptr;
            const std::optional<std::wstring> first = barcode39 ? RegTextOf(*barcode39) : std::wstring();
            if (!first)
                return tree;
            RegKeyData& written = KeyIn(tree, map + L"\\" + name);
            for (const wchar_t* value : kUpgradeSectionValues)
                Put(written, std::wstring(value) == L"Barcode239" ? RegTextValue(value, Barcode239From(*first))
                                                                 : TableValue(kMasterValues, value));
        }
    }
    return tree;
}
