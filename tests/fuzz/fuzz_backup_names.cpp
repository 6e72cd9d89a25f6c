// Backup names: a name that reads as a backup's formats back to itself (letter case aside), and
// the pruning lists only such names, never more than there are beyond the newest.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/text.h"
#include "config/backup_names.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Names separated by NUL bytes; bytes stand for the characters of a file name, the upper
    // half for Greek ones, so that most inputs come close to a backup's name.
    std::vector<std::wstring> names(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            names.emplace_back();
        else
            names.back() += data[i] < 0x80 ? static_cast<wchar_t>(data[i]) : static_cast<wchar_t>(0x0300 + data[i]);
    }
    size_t backups = 0;
    for (const std::wstring& name : names) {
        const std::optional<BackupName> parsed = ParseBackupFileName(name);
        if (!parsed)
            continue;
        ++backups;
        Check(parsed->suffix >= 1 && EqualsAsciiNoCase(BackupFileName(parsed->time, parsed->suffix), name));
    }
    const std::vector<std::wstring> beyond = BackupsBeyondNewest(names, 1);
    Check(beyond.size() == (backups > 1 ? backups - 1 : 0));
    for (const std::wstring& name : beyond)
        Check(ParseBackupFileName(name).has_value());
    return 0;
}
