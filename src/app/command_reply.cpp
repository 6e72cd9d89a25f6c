#include "app/command_reply.h"

#include <algorithm>

#include "app/command_line.h"
#include "app/run_facts.h"
#include "jobs/report.h"

int RefuseCommandLine(const std::wstring& problem, StdStream& err)
{
    err.WriteLine(L"vorlasched: " + problem);
    for (const std::wstring& usage : UsageLines(CommandTableRows()))
        err.WriteLine(usage);
    return ExitBadCommandLine;
}

int RefuseRun(const std::wstring& problem, StdStream& err)
{
    err.WriteLine(L"vorlasched: " + problem);
    return ExitBadCommandLine;
}

CommandReply::CommandReply(std::string command, bool json, StdStream& out, StdStream& err)
    : json_(json), out_(out), err_(err)
{
    result_.command = std::move(command);
}

void CommandReply::ReportHead()
{
    if (!json_)
        out_.WriteUtf8(JobReportHead());
}

void CommandReply::ReportRow(const JobRow& row)
{
    if (!json_)
        out_.WriteUtf8(JobReportLine(row));
}

void CommandReply::Line(const OutcomeMessage& message)
{
    if (message.kind != MessageKind::Success || result_.whatif)
        err_.WriteLine(message.text);
    else if (!json_)
        out_.WriteLine(message.text);
}

// /check's problems are its answer, on standard output; a run's are remarks on standard error.
void CommandReply::Problems()
{
    const bool answer = result_.command == "check";
    for (const Problem& problem : result_.outcome.problems)
        if (!answer)
            err_.WriteLine(problem.text);
        else if (!json_)
            out_.WriteLine(problem.text);
}

// A pass's message that was shown as it came (the one that stopped it) is not shown again.
bool CommandReply::ShownAlready(const OutcomeMessage& message)
{
    const auto shown = std::find(passShown_.begin(), passShown_.end(), message.text);
    if (shown == passShown_.end())
        return false;
    passShown_.erase(shown);
    return true;
}

int CommandReply::Answer(CommandResult result)
{
    result.command = std::move(result_.command);
    result_ = std::move(result);
    const std::vector<OutcomeMessage>& messages = result_.outcome.messages;
    for (size_t i = 0; i < messages.size(); ++i) {
        if (ShownAlready(messages[i]))
            continue;
        if (i + 1 < messages.size() || result_.refusal == RefusalShown::None)
            Line(messages[i]);
        else if (result_.refusal == RefusalShown::WithUsage)
            RefuseCommandLine(messages[i].text, err_);
        else
            RefuseRun(messages[i].text, err_);
    }
    Problems();
    if (result_.conclusion)
        Line(*result_.conclusion);
    if (!json_) {
        if (result_.outcome.backup)
            out_.WriteLine(*result_.outcome.backup);
        if (result_.preview)
            out_.Write(*result_.preview);
        for (const std::wstring& line : result_.answer)
            out_.WriteLine(line);
        for (const std::wstring& line : result_.usage)
            out_.WriteLine(line);
    }
    return ExitCodeOf(result_);
}

int CommandReply::Finish(int exitCode)
{
    result_.exitCode = exitCode;
    result_.facts = ThisRunFacts();
    if (json_)
        out_.WriteUtf8(ResultDocument(result_));
    return exitCode;
}
