#include "config/config_writer.h"

#include "common/text.h"

RegValueData RegDataOf(const RegValue& value)
{
    if (value.kind == RegKind::Text)
        return RegTextValue(value.name, value.text);
    return RegDwordValue(value.name, value.kind == RegKind::Flag ? (value.number != 0 ? 1 : 0) : value.number);
}

void RecordWriter::Record(const std::wstring& path, const std::vector<RegValue>& values)
{
    const std::wstring full = std::wstring(HiveName(hive_)) + L"\\" + path;
    RegKeyData* key = nullptr;
    for (RegKeyData& known : keys_)
        if (EqualsAsciiNoCase(known.path, full))
            key = &known;
    if (!key) {
        keys_.push_back(RegKeyData{full, {}, {}});
        key = &keys_.back();
    }
    for (const RegValue& value : values)
        key->values.push_back(RegDataOf(value));
}

void RecordWriter::WriteKey(const std::wstring& path, const std::vector<RegValue>& values)
{
    Record(path, values);
}

void RecordWriter::UpdateKey(const std::wstring& path, bool, const std::vector<RegValue>& values)
{
    Record(path, values);
}

void RecordWriter::RemoveKeyTree(const std::wstring& path)
{
    removedKeys_.push_back(std::wstring(HiveName(hive_)) + L"\\" + path);
}
