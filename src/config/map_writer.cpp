#include "config/map_writer.h"

#include "config/machine.h"

void WriteValues(RegistryKey& key, const std::vector<RegValue>& values)
{
    for (const RegValue& value : values)
        key.WriteData(RegDataOf(value));
}

void WriteMaps(const MapSettings& settings, const std::wstring& seriesText, const std::wstring& mapType,
               int& mapCounter, std::wstring& MapDir, const ShowMessageFn& showMessage)
{
    LiveMachineProbe probe({}, nullptr);
    MachineWriter writer(MachineWriter::BackupPolicy::None);
    const std::wstring last = WriteMapsWith({settings, &probe, &writer, showMessage, {}}, seriesText, mapType, mapCounter);
    if (!last.empty())
        MapDir = last;
}
