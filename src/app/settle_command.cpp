// /settle: a technician's word on an uncertain job, written into the journal.
#include <optional>

#include "app/commands.h"
#include "app/job_commands.h"
#include "common/codes.h"
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

int RunSettleCommand(const CommandLine& line, CommandReply& reply)
{
    std::wstring as = line.Value(L"as");
    for (const wchar_t* known : {kSettledSubmitted, kSettledNotSubmitted})
        if (EqualsAsciiNoCase(as, known))
            as = known;
    if (as != kSettledSubmitted && as != kSettledNotSubmitted)
        return reply.Refuse(L"/as:" + as + L" is neither " + kSettledSubmitted + L" nor " + kSettledNotSubmitted);
    const std::wstring file = FullPathName(line.Value(L"journal"));
    if (!IsExistingFile(file))
        return reply.RefuseRun(L"/journal:" + file + L" is no file: there is no journal to settle", codes::kPathMissing);
    std::optional<JobJournal> journal;
    try {
        journal.emplace(file);
    } catch (const Win32Error& e) {
        return HeldByAnotherRun(e.Code()) ? RefuseBusyJournal(file, reply)
                                          : reply.RefuseRun(e.Message(), codes::kOutputRefused);
    } catch (const AppError& e) {
        return reply.RefuseRun(e.Message(), codes::kOutputRefused);
    }
    // Every file is checked before the first line is written: a refusal writes nothing.
    std::vector<std::pair<std::wstring, std::wstring>> settled;  // key, path
    for (const std::wstring& path : FullPathNames(line.paths)) {
        const std::wstring key = journal->KeyOf(path);
        const std::wstring refusal = NotUncertain(path, file, journal->Earlier(key));
        if (!refusal.empty())
            return reply.RefuseRun(refusal, codes::kSettleRefused);
        settled.emplace_back(key, path);
    }
    std::vector<ResultRow> rows;
    for (const auto& [key, path] : settled) {
        journal->Write(JournalEvent::Settled, key, path, as);
        const bool submitted = as == kSettledSubmitted;
        rows.push_back({path, {}, {}, submitted ? RowState::SubmittedEarlier : RowState::NotSubmitted, {}});
        reply.Show({MessageKind::Success, codes::kJobSettled,
                    L"settled as " + as + L": " + path +
                        (submitted ? L" (the next run reports it submitted earlier)" : L" (the next run sends it)")});
    }
    reply.outcome().changes.push_back({ChangeTarget::File, ChangeAction::Written, file, {}});
    reply.Result().rows = std::move(rows);
    return ExitDone;
}
