#include "config/policy.h"

#include "common/codes.h"
#include "common/reg_text.h"
#include "common/utf.h"

const wchar_t kRefusedBeforeWriting[] =
    L"Nothing was written: the run would fail or leave the problems above (/force runs it anyway).";

namespace {

void LogAll(const std::vector<OutcomeMessage>& messages, const MessageLog& log)
{
    for (const OutcomeMessage& message : messages)
        log(message.kind, message.code.c_str(), message.text);
}

// The text of a preview that would write nothing: an empty .reg file that says so.
std::wstring UnchangedPreview()
{
    return RegFileText({}, {}) + L"; " + kNothingChanged + L"\r\n";
}

// Nothing written: the messages but the success, the problems, and why.
PlannedRun RefuseBeforeWriting(const RunPlan& plan, const MessageLog& log)
{
    PlannedRun run;
    run.wroteNothing = true;
    for (const OutcomeMessage& message : plan.messages)
        if (message.kind != MessageKind::Success)
            log(message.kind, message.code.c_str(), message.text);
    run.problems = plan.problems;
    run.conclusion = OutcomeMessage{MessageKind::Failure, codes::kRefusedBeforeWriting, kRefusedBeforeWriting};
    run.end = RunEnd::Failed;
    return run;
}

// Found as it would leave it: the run's messages, the line that says so, and any problem left.
PlannedRun NothingToChange(const RunPlan& plan, const RunRules& rules, const MessageLog& log)
{
    PlannedRun run;
    run.wroteNothing = true;
    LogAll(plan.messages, log);
    if (rules.remarks)
        log(MessageKind::Success, codes::kUnchanged, kNothingChanged);
    run.problems = plan.problems;
    run.end = plan.problems.empty() ? RunEnd::Done : RunEnd::LeftProblems;
    return run;
}

// A preview's messages: the run's, but its end is said as a preview's, never as done.
std::vector<OutcomeMessage> AsPreview(std::vector<OutcomeMessage> messages)
{
    for (OutcomeMessage& message : messages)
        if (message.kind == MessageKind::Success) {
            message.code = codes::kPreviewDone;
            message.text = L"Nothing was written; the run would end with: " + message.text;
        }
    return messages;
}

// A preview changes nothing, and ends as the run would: failed when it would stop, or refuse to
// start (problems without force), with problems when it would leave them.
PlannedRun Preview(const RunPlan& plan, const RunRules& rules, const MessageLog& log)
{
    PlannedRun run;
    run.wroteNothing = true;
    LogAll(AsPreview(plan.messages), log);
    if (!plan.done) {
        run.end = RunEnd::Failed;
        return run;
    }
    run.problems = plan.problems;
    run.end = plan.problems.empty() ? RunEnd::Done : rules.force ? RunEnd::LeftProblems : RunEnd::Failed;
    if (run.end == RunEnd::Failed)
        run.conclusion = OutcomeMessage{MessageKind::Failure, codes::kRefusedBeforeWriting, kRefusedBeforeWriting};
    else
        run.changes = plan.changes;
    run.previewText = plan.Writes() ? PlanText(plan.plan, rules.filesInPreview) : UnchangedPreview();
    return run;
}

// After the run: what the plan still finds to change, and /check's problems.
void CheckWhatWasLeft(const RunRules& rules, PlannedRun& run)
{
    const RunPlan again = rules.replan();
    std::vector<Problem> problems = again.problems;
    for (const Change& change : again.changes) {
        const bool registry = change.target == ChangeTarget::Key || change.target == ChangeTarget::Value;
        problems.push_back(Problem{codes::kChangeLeft,
                                   change.path + (change.name.empty() ? L"" : L": " + change.name) +
                                       L" still differs from what the run writes (" +
                                       WideOfUtf8Lossy(ChangeActionName(change.action)) + L")",
                                   registry ? change.path : L"", change.name, registry ? L"" : change.path,
                                   change.after, change.before});
    }
    run.end = problems.empty() ? RunEnd::Done : RunEnd::LeftProblems;
    run.problems = std::move(problems);
}

}  // namespace

PlannedRun RunPlanned(const RunPlan& plan, const RunRules& rules, const MessageLog& log)
{
    if (rules.preview)
        return Preview(plan, rules, log);
    const bool clean = plan.done && plan.problems.empty();
    if (!plan.done && !plan.Writes()) {  // it stops before its first write, as it always did
        PlannedRun run;
        run.wroteNothing = true;
        run.end = RunEnd::Failed;
        LogAll(plan.messages, log);
        return run;
    }
    if (!plan.Writes())
        return clean || rules.force ? NothingToChange(plan, rules, log) : RefuseBeforeWriting(plan, log);
    const Converged made = Converge(plan, !rules.force, log);
    if (made.refused)
        return RefuseBeforeWriting(plan, log);
    PlannedRun run;
    run.changes = made.changes;
    run.backup = made.backup;
    if (made.backup && rules.remarks)
        for (const std::wstring& leftover : made.backup->leftoversRemoved)
            log(MessageKind::Warning, codes::kBackupLeftoverRemoved,
                L"Deleted an unfinished backup that a stopped run left: " + leftover);
    if (made.failed)
        run.end = RunEnd::Failed;
    else if (rules.replan)
        CheckWhatWasLeft(rules, run);
    return run;
}
