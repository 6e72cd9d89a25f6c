// Names of the registry backups: "Vorla-YYYYMMDD-HHMMSS.reg", and "Vorla-YYYYMMDD-HHMMSS-N.reg"
// (N from 2) for further backups made in the same second. Pure: no Windows headers.
#pragma once
#include <optional>
#include <string>
#include <vector>

struct BackupTime {
    int year, month, day, hour, minute, second;
};

// The file name of the backup made at time; suffix 1 is the plain name.
std::wstring BackupFileName(const BackupTime& time, unsigned suffix);

// A backup's name read back: its time and suffix; nothing for a name that is no backup name.
// The prefix and extension are matched without regard to letter case.
struct BackupName {
    BackupTime time;
    unsigned suffix;
};
std::optional<BackupName> ParseBackupFileName(const std::wstring& name);

// Of these file names, the backups beyond the newest `keep` of them (newest: latest time in the
// name, then highest suffix), newest first. Names that are not backup names are never listed.
std::vector<std::wstring> BackupsBeyondNewest(const std::vector<std::wstring>& names, size_t keep);

// The backups to delete so that the newest `keep` stay, and the oldest too: the first backup
// taken is the one way back to the machine as it was before any configuration.
std::vector<std::wstring> BackupsToPrune(const std::vector<std::wstring>& names, size_t keep);

// The name a backup is written under before it is renamed to its own: "<name>.tmp".
std::wstring BackupTemporaryName(const std::wstring& backupName);

// Whether a file's bytes are a whole backup: UTF-16 LE with its byte-order mark, the .reg header
// line, and a complete last line (every .reg text this program writes ends in a blank line). An
// empty file, or one cut short by a kill or a full disk, is no backup.
bool IsWholeBackup(const std::string& bytes);

// A file of the backups folder: its name, and for a backup name whether its bytes are whole.
struct BackupFile {
    std::wstring name;
    bool whole;
};

// What retention deletes in the backups folder. Leftovers: backups that are not whole, and the
// temporary files of backups being written (a run that is still writing holds its own open, so
// deleting it fails). Pruned: of the whole backups, those BackupsToPrune names; a leftover is
// never counted among the newest nor kept as the oldest. Other files are never listed.
struct Retention {
    std::vector<std::wstring> leftovers;
    std::vector<std::wstring> pruned;
};
Retention PlanRetention(const std::vector<BackupFile>& files, size_t keep);
