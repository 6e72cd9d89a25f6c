#include "config/upgrade.h"

#include <optional>

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

// Barcode39 as text: empty when it is missing; none for a value of another type, which stops
// the run.
std::optional<std::wstring> Barcode39Of(const RegKeyData* section)
{
    const RegValueData* value = section ? FindRegValue(*section, L"Barcode39") : nullptr;
    if (!value)
        return std::wstring();
    return RegTextOf(*value);
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

// The second barcode rebuilt from the first one, and the QR-code placement; none when the first
// one is of another type.
std::optional<std::vector<RegValue>> OutputSectionValues(const RegKeyData* section)
{
    const std::optional<std::wstring> barcode39 = Barcode39Of(section);
    if (!barcode39)
        return std::nullopt;
    std::vector<RegValue> values;
    for (const wchar_t* name : kUpgradeSectionValues)
        values.push_back(TableValue(kMasterValues, name));
    values.front().text = Barcode239From(*barcode39);  // Barcode239
    return values;
}

// Each map in the order the registry lists them; the first failure ends the run, with its code,
// and leaves what was already written in place. A write that fails throws AppError.
std::optional<OutcomeMessage> UpgradeMaps(const std::vector<RegKeyData>& maps, ConfigWriter& writer,
                                          const ProductRoot& root)
{
    const std::wstring mapsPath = root.FullPath(root.MapsKey());
    if (!FindRegKey(maps, mapsPath))
        return OutcomeMessage{MessageKind::Failure, codes::kMapsMissing, OpenKeyFailure(root.MapsKey()).Message()};
    const std::vector<const RegKeyData*> children = RegChildren(maps, mapsPath);
    if (!children.empty())
        try {
            writer.Backup({});
        } catch (const AppError& e) {
            return OutcomeMessage{MessageKind::Failure, codes::kBackupFailed, e.Message()};
        }
    for (const RegKeyData* map : children) {
        const std::wstring name = map->path.substr(mapsPath.size() + 1);
        const std::wstring mapPath = root.MapsKey() + L"\\" + name;
        writer.UpdateKey(mapPath, false, MissingFlags(*map));
        for (const wchar_t* section : {kMasterSubkey, kCopySubkey}) {
            const std::optional<std::vector<RegValue>> values =
                OutputSectionValues(FindRegKey(maps, map->path + L"\\" + section));
            if (!values)
                return OutcomeMessage{MessageKind::Failure, codes::kBarcode39Mistyped,
                                      L"Invalid data type for 'Barcode39'"};
            writer.UpdateKey(mapPath + L"\\" + section, true, *values);
        }
    }
    return std::nullopt;
}

}  // namespace

bool RunUpgrade(const std::vector<RegKeyData>& maps, ConfigWriter& writer, const MessageLog& log,
                      const ProductRoot& root)
{
    std::optional<OutcomeMessage> failure;
    try {
        failure = UpgradeMaps(maps, writer, root);
    } catch (const AppError& e) {
        failure = OutcomeMessage{MessageKind::Failure, codes::kMapWriteFailed, e.Message()};
    }
    if (failure) {
        log(failure->kind, failure->code.c_str(), failure->text);
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
