// The registry layer, under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER (always the 32-bit view, as the
// product sees it). It tells "absent" from "refused": an open gives an empty key either way and
// says which (Absent), value writes and typed reads throw AppError with the layer's own message.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "common/handles.h"
#include "common/product_keys.h"
#include "common/reg_text.h"

class RegistryKey {
public:
    RegistryKey() = default;
    // Opens root\path; empty (see Valid) when it does not exist (see Absent) or access is refused.
    static RegistryKey Open(HKEY root, const std::wstring& path, REGSAM access);
    // Opens root\path, creating it and missing parents; empty when that fails.
    static RegistryKey Create(HKEY root, const std::wstring& path, REGSAM access = KEY_ALL_ACCESS);

    bool Valid() const { return static_cast<bool>(key_); }
    // Empty because the key was not there; an empty key that is not absent was refused.
    bool Absent() const { return openError_ == ERROR_FILE_NOT_FOUND; }
    // Why the open failed (ERROR_SUCCESS when it did not).
    LONG OpenError() const { return openError_; }
    HKEY Get() const { return key_.get(); }
    void Close() { key_.reset(); }

    // Writes; throw AppError "Failed to set data for '<name>'" when refused (or the key is empty).
    void WriteString(const std::wstring& name, const std::wstring& value);  // REG_SZ with its NUL
    void WriteInteger(const std::wstring& name, DWORD value);               // REG_DWORD
    void WriteBool(const std::wstring& name, bool value);                   // REG_DWORD 1 or 0
    void WriteData(const RegValueData& value);                              // its type and bytes as given

    // The value's type (REG_SZ, REG_DWORD, ...); nullopt when it is absent.
    std::optional<DWORD> ValueType(const std::wstring& name) const;
    // A missing value reads as empty text; a value of another type than REG_SZ/REG_EXPAND_SZ
    // throws AppError "Invalid data type for '<name>'".
    std::wstring ReadString(const std::wstring& name) const;
    // Absent, or not a REG_DWORD: nullopt.
    std::optional<DWORD> TryReadInteger(const std::wstring& name) const;

private:
    explicit RegistryKey(HKEY key) : key_(key) {}
    explicit RegistryKey(LONG openError) : openError_(openError) {}
    UniqueHKey key_;
    LONG openError_ = ERROR_SUCCESS;
};

// The registry handle of a hive.
HKEY HiveKey(RegHive hive);

// Every key of hive\path with its values as stored, parents before their subkeys (subkeys in
// enumeration order); paths as .reg text names them ("HKEY_LOCAL_MACHINE\..."). Empty when the
// key is absent. A key that exists but cannot be read, or a read failing part way, throws
// AppError "Cannot read <path>: error <code>": a tree with a hole must never pass for the whole.
std::vector<RegKeyData> ReadKeyTree(const std::wstring& path, RegHive hive = RegHive::LocalMachine);

// Deletes root\path with every key below it; false when it was not there or could not be deleted.
bool DeleteKeyTree(HKEY root, const std::wstring& path);

