#include "config/upgrade.h"

#include "common/codes.h"
#include "common/errors.h"
#include "common/outcome.h"
#include "common/registry.h"
#include "config/barcode239.h"
#include "config/machine.h"
#include "config/map_layout.h"

const wchar_t kUpgradeDone[] = L"Done!";

namespace {

// A constant of the layout table by name, as the map writer writes it.
template <size_t N>
RegValue TableValue(const std::array<LayoutValue, N>& table, const wchar_t* name)
{
    return ResolveValue(*FindLayoutValue(table, name), MapFacts{});
}

// Barcode39 as text: empty when it is missing; a value of another type stops the run.
std::wstring Barcode39Of(const RegKeyData* section)
{
    const RegValueData* value = section ? FindRegValue(*section, L"Barcode39") : nullptr;
    if (!value)
        return {};
    std::optional<std::wstring> text = RegTextOf(*value);
    if (!text)
        throw CodedError(codes::kBarcode39Mistyped, L"Invalid data type for 'Barcode39'");
    return *text;
}

// The flags that older configurations lack; a flag that is there keeps whatever it holds.
std::vector<RegValue> MissingFlags(const RegKeyData& map)
{
    std::vector<RegValue> flags;
    for (const wchar_t* name : kUpgradeMapFlags)
        if (!FindRegValue(map, name))
            flags.push_back(TableValue(kMapValues, name));
    return flags;
}

// The second barcode rebuilt from the first one, and the QR-code placement.
std::vector<RegValue> OutputSectionValues(const RegKeyData* section)
{
    std::vector<RegValue> values;
    for (const wchar_t* name : kUpgradeSectionValues)
        values.push_back(TableValue(kMasterValues, name));
    values.front().text = Barcode239From(Barcode39Of(section));  // Barcode239
    return values;
}

// Each map in the order the registry lists them; the first failure ends the run and leaves
// what was already written in place.
void UpgradeMaps(const std::vector<RegKeyData>& maps, ConfigWriter& writer, const ProductRoot& root)
{
    const std::wstring mapsPath = root.FullPath(root.MapsKey());
    if (!FindRegKey(maps, mapsPath))
        throw CodedError(codes::kMapsMissing, OpenKeyFailure(root.MapsKey()).Message());
    const std::vector<const RegKeyData*> children = RegChildren(maps, mapsPath);
    if (!children.empty())
        try {
            writer.Backup({});
        } catch (const AppError& e) {
            throw CodedError(codes::kBackupFailed, e.Message());
        }
    for (const RegKeyData* map : children) {
        const std::wstring name = map->path.substr(mapsPath.size() + 1);
        const std::wstring mapPath = root.MapsKey() + L"\\" + name;
        writer.UpdateKey(mapPath, false, MissingFlags(*map));
        for (const wchar_t* section : {kMasterSubkey, kCopySubkey}) {
            const std::vector<RegValue> values = OutputSectionValues(FindRegKey(maps, map->path + L"\\" + section));
            writer.UpdateKey(mapPath + L"\\" + section, true, values);
        }
    }
}

}  // namespace

bool RunUpgrade(const std::vector<RegKeyData>& maps, ConfigWriter& writer, const MessageLog& log,
                      const ProductRoot& root)
{
    try {
        UpgradeMaps(maps, writer, root);
    } catch (const CodedError& e) {
        log(MessageKind::Failure, e.Code(), e.Message());
        return false;
    } catch (const AppError& e) {
        log(MessageKind::Failure, codes::kMapWriteFailed, e.Message());
        return false;
    }
    log(MessageKind::Success, codes::kUpgradeDone, kUpgradeDone);
    return true;
}

bool RunUpgrade(const std::vector<RegKeyData>& maps, ConfigWriter& writer, const ShowMessageFn& show,
                const ProductRoot& root)
{
    Outcome outcome;
    return RunUpgrade(maps, writer, MessageLog(outcome, show), root);
}

bool UpgradeMachine(ConfigWriter& writer, const ShowMessageFn& show, const ProductRoot& root)
{
    Outcome outcome;
    return UpgradeMachine(writer, MessageLog(outcome, show), root);
}

bool UpgradeMachine(ConfigWriter& writer, const MessageLog& log, const ProductRoot& root)
{
    std::vector<RegKeyData> maps;
    try {
        maps = ReadKeyTree(root.MapsKey(), root.hive);
    } catch (const AppError&) {
        // unreadable counts as not there, as opening it for reading would fail
    }
    return RunUpgrade(maps, writer, log, root);
}
