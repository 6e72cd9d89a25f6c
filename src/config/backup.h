// The registry backup taken before "Configure Vorla" deletes the maps: a .reg file that
// "reg import FILE /reg:32" turns back into the product key as it stood.
#pragma once
#include <string>
#include <vector>

#include "common/product_keys.h"
#include "common/reg_text.h"

// The .reg text that brings SOFTWARE\Kelvane\Vorla back to how it stands now: it first deletes
// the maps key, then lists every key and value of the Vorla key. Values named in
// writtenProductValues that are absent now are listed as removed ("name"=-), so a restore also
// takes away product values a later run added. When the Vorla key does not exist at all, the
// text deletes the whole Vorla key instead.
std::wstring VorlaRestoreText(const std::vector<std::wstring>& writtenProductValues, const ProductRoot& root = {});

// %ProgramData%\Kelvane\vorlasched\backups
std::wstring DefaultBackupFolder();

struct BackupMade {
    std::wstring path;  // the backup's full path
    bool written;       // false: the newest backup already held exactly this, and is named instead
    std::vector<std::wstring> leftoversRemoved;  // what killed runs left, deleted (full paths)
};

// Writes VorlaRestoreText to folder\Vorla-YYYYMMDD-HHMMSS.reg (local time; folder and parents
// created), UTF-16 LE with BOM, unless the newest backup there holds exactly that text already.
// Never overwrites a file: a name already taken gets "-2", "-3", ... The bytes are written and
// flushed under a temporary name, then renamed: the backup's name only ever holds a whole one.
// Then keeps the newest 20 whole backups in the folder and the oldest whole one, the way back to
// before any configuration (the new one always stays; other files are left alone), and deletes
// what killed runs left: backups that are not whole, temporary files. When the file cannot be
// written, throws AppError "Cannot write backup <path>: error <code>" and leaves no file.
BackupMade BackupVorlaKey(const std::vector<std::wstring>& writtenProductValues,
                          const std::wstring& folder = DefaultBackupFolder(), const ProductRoot& root = {});

// Writes nothing, and fails as BackupVorlaKey would: the key must be readable and the folder
// must let the backup be made in it (or made itself).
void CheckBackupPossible(const std::vector<std::wstring>& writtenProductValues,
                         const std::wstring& folder = DefaultBackupFolder(), const ProductRoot& root = {});
