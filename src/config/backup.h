// The registry backup taken before "Configure Vorla" deletes the maps: a .reg file that
// "reg import FILE /reg:32" turns back into the product key as it stood.
#pragma once
#include <string>
#include <vector>

#include "common/reg_text.h"

// Every key of HKLM\path (32-bit view) with its values as stored, parents before their subkeys
// (subkeys in enumeration order); empty when the key is absent. Throws AppError on a read
// failure part way.
std::vector<RegKeyData> ReadKeyTree(const std::wstring& path);

// The .reg text that brings SOFTWARE\Kelvane\Vorla back to how it stands now: it first deletes
// the maps key, then lists every key and value of the Vorla key. Values named in
// writtenProductValues that are absent now are listed as removed ("name"=-), so a restore also
// takes away product values a later run added. When the Vorla key does not exist at all, the
// text deletes the whole Vorla key instead.
std::wstring VorlaRestoreText(const std::vector<std::wstring>& writtenProductValues);

// %ProgramData%\Kelvane\vorlasched\backups
std::wstring DefaultBackupFolder();

// Writes VorlaRestoreText to folder\Vorla-YYYYMMDD-HHMMSS.reg (local time; folder and parents
// created), UTF-16 LE with BOM. Never overwrites a file: a name already taken gets "-2", "-3", ...
// Then keeps only the newest 20 backups in the folder (the new one always among them; other
// files are left alone). Returns the file's full path. When the file cannot be written, throws
// AppError "Cannot write backup <path>: error <code>" and leaves no file.
std::wstring BackupVorlaKey(const std::vector<std::wstring>& writtenProductValues,
                            const std::wstring& folder = DefaultBackupFolder());
