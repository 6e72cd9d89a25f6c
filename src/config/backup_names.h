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
