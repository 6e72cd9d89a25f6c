#include "common/registry.h"

#include <algorithm>

#include "common/errors.h"

namespace {

[[noreturn]] void ThrowReadError(RegHive hive, const std::wstring& path, LONG code)
{
    throw Win32Error(std::wstring(L"Cannot read ") + HiveName(hive) + L"\\" + path + L": error ",
                     static_cast<unsigned long>(code));
}

// The key opened for reading; empty when it does not exist, an error when it is refused.
RegistryKey OpenForRead(RegHive hive, const std::wstring& path)
{
    RegistryKey key = RegistryKey::Open(HiveKey(hive), path, KEY_READ);
    if (!key.Valid() && !key.Absent())
        ThrowReadError(hive, path, key.OpenError());
    return key;
}

// Grows the buffers to what the key's largest value name and data need now.
void FitValueBuffers(HKEY key, RegHive hive, const std::wstring& path, std::vector<wchar_t>& name, std::vector<BYTE>& data)
{
    DWORD maxName = 0, maxData = 0;
    LONG r = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                              &maxData, nullptr, nullptr);
    if (r != ERROR_SUCCESS)
        ThrowReadError(hive, path, r);
    // Never smaller than before, and at least one byte: a null data buffer would read no data.
    name.resize(std::max<size_t>({name.size() * 2, maxName + 1, 256}));
    data.resize(std::max<size_t>({data.size() * 2, maxData, 1}));
}

std::vector<RegValueData> ReadValues(HKEY key, RegHive hive, const std::wstring& path)
{
    std::vector<RegValueData> values;
    std::vector<wchar_t> name;
    std::vector<BYTE> data;
    FitValueBuffers(key, hive, path, name, data);
    for (DWORD index = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
        LONG r = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (r == ERROR_NO_MORE_ITEMS)
            return values;
        if (r == ERROR_MORE_DATA) {  // the value grew since the key was measured
            FitValueBuffers(key, hive, path, name, data);
            continue;
        }
        if (r != ERROR_SUCCESS)
            ThrowReadError(hive, path, r);
        values.push_back({std::wstring(name.data(), nameLength), type,
                          std::vector<uint8_t>(data.begin(), data.begin() + size)});
        ++index;
    }
}

std::vector<std::wstring> ReadSubkeyNames(HKEY key, RegHive hive, const std::wstring& path)
{
    std::vector<std::wstring> names;
    wchar_t name[256];  // key names have at most 255 characters
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        LONG r = RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS)
            return names;
        if (r != ERROR_SUCCESS)
            ThrowReadError(hive, path, r);
        names.emplace_back(name, length);
    }
}

void ReadKeyInto(RegHive hive, const std::wstring& path, std::vector<RegKeyData>& keys)
{
    const RegistryKey key = OpenForRead(hive, path);
    if (!key.Valid())  // absent, or deleted since its parent listed it
        return;
    keys.push_back({HiveName(hive) + std::wstring(L"\\") + path, {}, ReadValues(key.Get(), hive, path)});
    for (const std::wstring& name : ReadSubkeyNames(key.Get(), hive, path))
        ReadKeyInto(hive, path + L"\\" + name, keys);
}

}  // namespace

HKEY HiveKey(RegHive hive)
{
    return hive == RegHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::vector<RegKeyData> ReadKeyTree(const std::wstring& path, RegHive hive)
{
    std::vector<RegKeyData> keys;
    ReadKeyInto(hive, path, keys);
    return keys;
}

RegistryKey RegistryKey::Open(HKEY root, const std::wstring& path, REGSAM access)
{
    HKEY key = nullptr;
    const LONG r = RegOpenKeyExW(root, path.c_str(), 0, access | KEY_WOW64_32KEY, &key);
    if (r != ERROR_SUCCESS)
        return RegistryKey(r);
    return RegistryKey(key);
}

RegistryKey RegistryKey::Create(HKEY root, const std::wstring& path, REGSAM access)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access | KEY_WOW64_32KEY,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return {};
    return RegistryKey(key);
}

static void SetValue(HKEY key, const std::wstring& name, DWORD type, const void* data, DWORD size)
{
    if (!key || RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        throw SetDataFailure(name);
}

void RegistryKey::WriteData(const RegValueData& value)
{
    SetValue(key_.get(), value.name, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
}

void RegistryKey::WriteString(const std::wstring& name, const std::wstring& value)
{
    SetValue(key_.get(), name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RegistryKey::WriteInteger(const std::wstring& name, DWORD value)
{
    SetValue(key_.get(), name, REG_DWORD, &value, sizeof value);
}

void RegistryKey::WriteBool(const std::wstring& name, bool value)
{
    WriteInteger(name, value ? 1 : 0);
}

std::wstring RegistryKey::ReadString(const std::wstring& name) const
{
    DWORD type = 0, size = 0;
    if (!key_ || RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw AppError(L"Invalid data type for '" + name + L"'");
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) !=
        ERROR_SUCCESS)
        throw AppError(L"Failed to get data for '" + name + L"'");
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return value;
}

std::optional<DWORD> RegistryKey::ValueType(const std::wstring& name) const
{
    DWORD type = 0;
    if (!key_ || RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return type;
}

std::optional<DWORD> RegistryKey::TryReadInteger(const std::wstring& name) const
{
    DWORD type = 0, value = 0, size = sizeof value;
    if (!key_ || RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                  &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

bool DeleteKeyTree(HKEY root, const std::wstring& path)
{
    RegistryKey key = RegistryKey::Open(root, path, KEY_ALL_ACCESS);
    if (!key.Valid())
        return false;
    bool ok = RegDeleteTreeW(key.Get(), nullptr) == ERROR_SUCCESS;
    key.Close();
    using RegDeleteKeyExWFn = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    auto deleteEx = reinterpret_cast<RegDeleteKeyExWFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExW")));
    LONG r = deleteEx ? deleteEx(root, path.c_str(), KEY_WOW64_32KEY, 0) : RegDeleteKeyW(root, path.c_str());
    return ok && r == ERROR_SUCCESS;
}
