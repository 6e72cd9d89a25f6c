#include "config/check.h"

#include <algorithm>
#include <optional>

#include "common/locale_text.h"
#include "common/product_keys.h"
#include "common/text.h"

namespace {

const std::wstring kRoot = L"HKEY_LOCAL_MACHINE\\";
const uint32_t kRegSz = 1, kRegExpandSz = 2, kRegDword = 4;

// Values that only "Upgrade Vorla" adds to an older configuration.
const wchar_t* const kUpgradeValues[] = {L"ForwardEafdss", L"SaveImage", L"Barcode239", L"QrCodePosX",
                                         L"QrCodePosY", L"QrCodeWidth"};

// Records the keys a run would write; the files are not its business.
struct KeyRecorder : ConfigWriter {
    std::vector<RegKeyData> keys;
    void KeepWayBack() override {}
    void WriteKey(const std::wstring& path, const std::vector<RegValue>& values) override
    {
        RegKeyData key{LocalMachinePath(path), {}, {}};
        for (const RegValue& value : values)
            key.values.push_back(RegDataOf(value));
        keys.push_back(key);
    }
    void RemoveKeyTree(const std::wstring&) override {}
    void MakeFolder(const std::wstring&) override {}
    void CopyNew(const std::wstring&, const std::wstring&) override {}
    void LinkNew(const std::wstring&, const std::wstring&) override {}
    void DrawAddress(const std::wstring&, const std::vector<std::wstring>&, const ShowMessageFn&) override {}
};

// The templates' presence decides nothing about the values.
struct TemplatesPresent : MachineProbe {
    std::wstring ProgramFolder() override { return {}; }
    bool ProgramFilesFolder(std::wstring&, unsigned long&) override { return true; }
    bool IsFolder(const std::wstring&) override { return true; }
    bool IsFile(const std::wstring&) override { return true; }
    std::vector<std::wstring> Printers() override { return {}; }
    bool HasFontFamily(const std::wstring&) override { return true; }
};

std::optional<std::wstring> TextOf(const RegValueData& value)
{
    if (value.type != kRegSz && value.type != kRegExpandSz)
        return std::nullopt;
    std::wstring text;
    for (size_t i = 0; i + 1 < value.data.size(); i += 2)
        text += static_cast<wchar_t>(value.data[i] | value.data[i + 1] << 8);
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

std::wstring Shown(const RegValueData& value)
{
    if (std::optional<std::wstring> text = TextOf(value))
        return L"\"" + *text + L"\"";
    if (value.type == kRegDword && value.data.size() == 4)
        return DecimalText(value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                           static_cast<uint32_t>(value.data[3]) << 24);
    return L"data of type " + DecimalText(value.type);
}

std::wstring TypeName(uint32_t type)
{
    switch (type) {
    case kRegSz:
        return L"REG_SZ";
    case kRegExpandSz:
        return L"REG_EXPAND_SZ";
    case kRegDword:
        return L"REG_DWORD";
    default:
        return L"type " + DecimalText(type);
    }
}

const RegKeyData* FindKey(const std::vector<RegKeyData>& tree, const std::wstring& path)
{
    for (const RegKeyData& key : tree)
        if (EqualsAsciiNoCase(key.path, path))
            return &key;
    return nullptr;
}

const RegValueData* FindValue(const RegKeyData& key, const std::wstring& name)
{
    for (const RegValueData& value : key.values)
        if (EqualsAsciiNoCase(value.name, name))
            return &value;
    return nullptr;
}

// The direct subkeys of path, in the tree's order.
std::vector<const RegKeyData*> ChildrenOf(const std::vector<RegKeyData>& tree, const std::wstring& path)
{
    std::vector<const RegKeyData*> children;
    for (const RegKeyData& key : tree)
        if (key.path.size() > path.size() + 1 && EqualsAsciiNoCase(key.path.substr(0, path.size()), path) &&
            key.path[path.size()] == L'\\' && key.path.find(L'\\', path.size() + 1) == std::wstring::npos)
            children.push_back(&key);
    return children;
}

bool IsUpgradeValue(const std::wstring& name)
{
    return std::any_of(std::begin(kUpgradeValues), std::end(kUpgradeValues),
                       [&name](const wchar_t* v) { return name == v; });
}

std::wstring FolderOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

class Inspection {
public:
    Inspection(MachineProbe& probe) : probe_(probe) {}

    // Each value of the layout table present with its type; the text of each, by name, after.
    template <size_t N>
    void Values(const RegKeyData& key, const std::array<LayoutValue, N>& table)
    {
        for (const LayoutValue& row : table) {
            const RegValueData* value = FindValue(key, row.name);
            const bool text = row.kind == RegKind::Text;
            if (!value)
                Add(key.path + L": " + row.name + L" is missing" +
                    (IsUpgradeValue(row.name) ? L" (the configuration was never upgraded: run Upgrade Vorla)" : L""));
            else if (text ? !TextOf(*value) : value->type != kRegDword || value->data.size() != 4)
                Add(key.path + L": " + row.name + L" is " + TypeName(value->type) + L", not " +
                    (text ? L"REG_SZ" : L"REG_DWORD"));
        }
    }

    void FileNamed(const RegKeyData& key, const wchar_t* name)
    {
        const RegValueData* value = FindValue(key, name);
        std::optional<std::wstring> path = value ? TextOf(*value) : std::nullopt;
        if (path && !probe_.IsFile(*path))
            Add(key.path + L": " + name + L" names no file: " + *path);
    }

    // The map folder (where EscFile is) holds the two pictures.
    void MapFolder(const RegKeyData& map)
    {
        const RegValueData* esc = FindValue(map, L"EscFile");
        std::optional<std::wstring> path = esc ? TextOf(*esc) : std::nullopt;
        if (!path)
            return;
        const std::wstring folder = FolderOf(*path);
        for (const wchar_t* picture : {kLogoFileName, kAddressFileName})
            if (!probe_.IsFile(folder + L"\\" + picture))
                Add(map.path + L": the map folder " + folder + L" lacks " + picture);
    }

    void Printer(const RegKeyData& section)
    {
        const RegValueData* value = FindValue(section, L"Printer");
        std::optional<std::wstring> name = value ? TextOf(*value) : std::nullopt;
        if (!name)
            return;
        for (const std::wstring& printer : printers_)
            if (SameTextLocale(printer, *name))
                return;
        Add(section.path + L": Printer names a printer this machine does not have: " + *name);
    }

    void Add(std::wstring line) { lines.push_back(std::move(line)); }
    void LoadPrinters() { printers_ = probe_.Printers(); }

    std::vector<std::wstring> lines;

private:
    MachineProbe& probe_;
    std::vector<std::wstring> printers_;
};

void InspectMap(Inspection& check, const std::vector<RegKeyData>& tree, const RegKeyData& map)
{
    check.Values(map, kMapValues);
    check.FileNamed(map, L"EscFile");
    check.MapFolder(map);
    for (const wchar_t* name : {kMasterSubkey, kCopySubkey}) {
        const RegKeyData* section = FindKey(tree, map.path + L"\\" + name);
        if (!section) {
            check.Add(map.path + L"\\" + name + L" is missing");
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

// Texts compare as text (REG_SZ or REG_EXPAND_SZ alike), anything else byte for byte.
bool SameData(const RegValueData& a, const RegValueData& b)
{
    const std::optional<std::wstring> ta = TextOf(a), tb = TextOf(b);
    if (ta && tb)
        return *ta == *tb;
    return a.type == b.type && a.data == b.data;
}

// The first place where the maps differ from what /configure would write.
std::optional<std::wstring> FirstDifference(const std::vector<RegKeyData>& tree, const std::vector<RegKeyData>& expected)
{
    const std::wstring suffix = L"; /configure with these switches would write ";
    for (const RegKeyData& want : expected) {
        const RegKeyData* have = FindKey(tree, want.path);
        if (!have)
            return want.path + L" is missing" + suffix + L"it";
        for (const RegValueData& value : want.values) {
            const RegValueData* actual = FindValue(*have, value.name);
            if (!actual)
                return want.path + L": " + value.name + L" is missing" + suffix + Shown(value);
            if (!SameData(*actual, value))
                return want.path + L": " + value.name + L" is " + Shown(*actual) + suffix + Shown(value);
        }
    }
    for (const RegKeyData* map : ChildrenOf(tree, kRoot + kMapsKeyPath))
        if (!FindKey(expected, map->path))
            return map->path + L" is there; /configure with these switches would not write it";
    return std::nullopt;
}

}  // namespace

std::vector<RegKeyData> ExpectedMaps(const ConfigRequest& request, int branch, const std::wstring& installDir)
{
    ConfigPaths paths;
    paths.BranchNo = branch;
    paths.InstallDir = installDir;
    TemplatesPresent probe;
    KeyRecorder recorder;
    const MapSettings settings = SettingsOf(request, paths);
    int counter = 0;
    const ShowMessageFn ignore = [](const std::wstring&) {};
    WriteMapsWith(settings, request.posSeries, L"POS", counter, paths.MapDir, probe, recorder, ignore);
    WriteMapsWith(settings, request.backSeries, L"BACK", counter, paths.MapDir, probe, recorder, ignore);
    return recorder.keys;
}

std::vector<std::wstring> ConfigurationProblems(const std::vector<RegKeyData>& tree, MachineProbe& probe,
                                                const std::vector<RegKeyData>* expected)
{
    Inspection check(probe);
    check.LoadPrinters();
    const RegKeyData* product = FindKey(tree, kRoot + kProductKeyPath);
    if (!product) {
        check.Add(kRoot + kProductKeyPath + L" is missing");
    } else {
        check.Values(*product, kProductValues);
        check.FileNamed(*product, L"ps2pdf_cmd");
        const std::wstring mapsPath = kRoot + kMapsKeyPath;
        const std::vector<const RegKeyData*> maps = ChildrenOf(tree, mapsPath);
        if (!FindKey(tree, mapsPath))
            check.Add(mapsPath + L" is missing");
        else if (maps.empty())
            check.Add(mapsPath + L" holds no map");
        for (const RegKeyData* map : maps)
            InspectMap(check, tree, *map);
    }
    if (!probe.HasFontFamily(L"Free 3 of 9 Extended"))
        check.Add(L"The barcode font Free 3 of 9 Extended is not installed");
    if (expected)
        if (std::optional<std::wstring> difference = FirstDifference(tree, *expected))
            check.Add(*difference);
    return check.lines;
}
