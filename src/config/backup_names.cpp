#include "config/backup_names.h"

#include <algorithm>
#include <functional>
#include <tuple>

#include "common/paths.h"
#include "common/text.h"

namespace {

const wchar_t kPrefix[] = L"Vorla-";
const wchar_t kExtension[] = L".reg";
const size_t kPrefixLength = 6, kStampLength = 15, kExtensionLength = 4;  // stamp: YYYYMMDD-HHMMSS
const size_t kMaxSuffixDigits = 9;
const wchar_t kTemporaryExtension[] = L".tmp";

struct Backup {
    std::wstring stamp;
    unsigned long suffix;
    std::wstring name;
    bool operator>(const Backup& other) const
    {
        return std::tie(stamp, suffix) > std::tie(other.stamp, other.suffix);
    }
};

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

std::wstring Digits(int value, size_t width)
{
    std::wstring text = std::to_wstring(value);
    return std::wstring(text.size() < width ? width - text.size() : 0, L'0') + text;
}

// "-N" with N from 2, no leading zero.
bool ParseSuffix(const std::wstring& text, unsigned long& suffix)
{
    suffix = 1;
    if (text.empty())
        return true;
    if (text.size() < 2 || text.size() > 1 + kMaxSuffixDigits || text[0] != L'-' || text[1] == L'0')
        return false;
    suffix = 0;
    for (size_t i = 1; i < text.size(); ++i) {
        if (!IsDigit(text[i]))
            return false;
        suffix = suffix * 10 + static_cast<unsigned long>(text[i] - L'0');
    }
    return suffix >= 2;
}

bool ParseBackupName(const std::wstring& name, Backup& backup)
{
    if (name.size() < kPrefixLength + kStampLength + kExtensionLength ||
        !EqualsAsciiNoCase(name.substr(0, kPrefixLength), kPrefix) ||
        !EqualsAsciiNoCase(name.substr(name.size() - kExtensionLength), kExtension))
        return false;
    backup.stamp = name.substr(kPrefixLength, kStampLength);
    for (size_t i = 0; i < kStampLength; ++i)
        if (i == 8 ? backup.stamp[i] != L'-' : !IsDigit(backup.stamp[i]))
            return false;
    size_t rest = kPrefixLength + kStampLength;
    backup.name = name;
    return ParseSuffix(name.substr(rest, name.size() - kExtensionLength - rest), backup.suffix);
}

// A backup's temporary name: a backup name and ".tmp".
bool IsTemporaryName(const std::wstring& name)
{
    const size_t length = sizeof kTemporaryExtension / sizeof(wchar_t) - 1;
    Backup backup;
    return name.size() > length && EqualsAsciiNoCase(name.substr(name.size() - length), kTemporaryExtension) &&
           ParseBackupName(name.substr(0, name.size() - length), backup);
}

}  // namespace

std::wstring BackupFileName(const BackupTime& time, unsigned suffix)
{
    std::wstring name = kPrefix + Digits(time.year, 4) + Digits(time.month, 2) + Digits(time.day, 2) + L"-" +
                        Digits(time.hour, 2) + Digits(time.minute, 2) + Digits(time.second, 2);
    if (suffix > 1)
        name += L"-" + std::to_wstring(suffix);
    return name + kExtension;
}

std::optional<BackupName> ParseBackupFileName(const std::wstring& name)
{
    Backup backup;
    if (!ParseBackupName(name, backup))
        return std::nullopt;
    const auto number = [&backup](size_t at, size_t width) { return std::stoi(backup.stamp.substr(at, width)); };
    return BackupName{{number(0, 4), number(4, 2), number(6, 2), number(9, 2), number(11, 2), number(13, 2)},
                      static_cast<unsigned>(backup.suffix)};
}

std::vector<std::wstring> BackupsBeyondNewest(const std::vector<std::wstring>& names, size_t keep)
{
    std::vector<Backup> backups;
    Backup backup;
    for (const std::wstring& name : names)
        if (ParseBackupName(name, backup))
            backups.push_back(backup);
    std::sort(backups.begin(), backups.end(), std::greater<Backup>());
    std::vector<std::wstring> beyond;
    for (size_t i = keep; i < backups.size(); ++i)
        beyond.push_back(backups[i].name);
    return beyond;
}

std::vector<std::wstring> BackupsToPrune(const std::vector<std::wstring>& names, size_t keep)
{
    std::vector<std::wstring> beyond = BackupsBeyondNewest(names, keep);
    if (!beyond.empty())
        beyond.pop_back();  // the oldest
    return beyond;
}

std::wstring BackupTemporaryName(const std::wstring& backupName)
{
    return backupName + kTemporaryExtension;
}

bool IsWholeBackup(const std::string& bytes)
{
    static const std::string header = Utf16FileBytes(L"Windows Registry Editor Version 5.00\r\n");
    static const std::string lastLine = Utf16FileBytes(L"\r\n\r\n").substr(2);  // without the mark
    // The shortest is the header and its blank line: the two line ends may overlap.
    return bytes.size() % 2 == 0 && bytes.size() >= header.size() + lastLine.size() / 2 &&
           bytes.compare(0, header.size(), header) == 0 &&
           bytes.compare(bytes.size() - lastLine.size(), lastLine.size(), lastLine) == 0;
}

Retention PlanRetention(const std::vector<BackupFile>& files, size_t keep)
{
    Retention retention;
    std::vector<std::wstring> whole;
    for (const BackupFile& file : files) {
        Backup backup;
        if (ParseBackupName(file.name, backup))
            (file.whole ? whole : retention.leftovers).push_back(file.name);
        else if (IsTemporaryName(file.name))
            retention.leftovers.push_back(file.name);
    }
    retention.pruned = BackupsToPrune(whole, keep);
    return retention;
}
