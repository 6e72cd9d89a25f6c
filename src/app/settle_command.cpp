// /settle: a technician's word on an uncertain job, written into the journal.
#include <optional>

#include "app/job_commands.h"
#include "common/codes.h"
#include "common/error_text.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/text.h"
#include "jobs/journal_file.h"

namespace {

// Why the journal's record of a file (none: it shows no start of it) cannot be settled; empty when it can.
std::wstring NotUncertain(const std::wstring& path, const std::wstring& journal, const JournalRecord* record)
{
    if (record && record->state == RowState::Uncertain)
        return {};
    return path + L" is not uncertain: the journal " + journal + L" holds " +
           (record ? JournalRecordText(*record) : std::wstring(L"no start of it")) + L"; only an uncertain job is settled";
}

}  // namespace

CommandResult RunSettleCommand(const CommandLine& line, ResultSink&)
{
    CommandResult result;
    std::wstring as = line.switches.as.value_or(L"");
    for (const wchar_t* known : {kSettledSubmitted, kSettledNotSubmitted})
        if (EqualsAsciiNoCase(as, known))
            as = known;
    if (as != kSettledSubmitted && as != kSettledNotSubmitted)
        return Refused(std::move(result), L"/as:" + as + L" is neither " + kSettledSubmitted + L" nor " + kSettledNotSubmitted,
                       codes::kCommandLineRefused, RefusalShown::WithUsage);
    const std::wstring file = FullPathName(line.switches.journal.value_or(L""));
    if (!IsExistingFile(file))
        return Refused(std::move(result), L"/journal:" + file + L" is no file: there is no journal to settle",
                       codes::kPathMissing);
    std::optional<JobJournal> journal;
    if (std::optional<CommandResult> refused = OpenJournal(file, journal, result))
        return std::move(*refused);
    // Every file is checked before the first line is written: a refusal writes nothing.
    std::vector<std::pair<JournalKey, std::wstring>> settled;  // key, path
    for (const std::wstring& path : FullPathNames(line.paths)) {
        const JournalKey key = journal->KeyOf(path);
        const std::wstring refusal = NotUncertain(path, file, journal->Record(key));
        if (!refusal.empty())
            return Refused(std::move(result), refusal, codes::kSettleRefused);
        settled.emplace_back(key, path);
    }
    std::vector<ResultRow> rows;
    try {
        for (const auto& [key, path] : settled) {
            journal->Write(JournalEvent::Settled, key, path, as);
            const bool submitted = as == kSettledSubmitted;
            rows.push_back({path, {}, {}, submitted ? RowState::SubmittedEarlier : RowState::NotSubmitted, {}});
            result.outcome.messages.push_back(
                {MessageKind::Success, codes::kJobSettled,
                 L"settled as " + as + L": " + path +
                     (submitted ? L" (the next run reports it submitted earlier)" : L" (the next run sends it)")});
        }
    } catch (const std::exception& e) {  // the files settled before it stay settled, and said so
        return Failed(std::move(result), codes::kUnexpectedError, ErrorText(e));
    }
    result.outcome.changes.push_back({ChangeTarget::File, ChangeAction::Written, file, {}});
    result.rows = std::move(rows);
    return result;
}
