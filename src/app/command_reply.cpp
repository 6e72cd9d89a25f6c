#include "app/command_reply.h"

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

int CommandReply::Answer(CommandResult result)
{
    result.command = std::move(result_.command);
    result_ = std::move(result);
    shown_ = result_.messagesShown;
    ShowKept();
    if (!json_)
        for (const std::wstring& line : result_.answer)
            out_.WriteLine(line);
    return ExitCodeOf(result_);
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

void CommandReply::SetPreview(std::wstring regText)
{
    remarks_ = true;
    result_.whatif = true;
    if (!regText.empty())
        result_.preview = std::move(regText);
}

void CommandReply::Line(const OutcomeMessage& message)
{
    if (message.kind != MessageKind::Success || remarks_)
        err_.WriteLine(message.text);
    else if (!json_)
        out_.WriteLine(message.text);
}

void CommandReply::ShowKept()
{
    const std::vector<OutcomeMessage>& messages = result_.outcome.messages;
    for (; shown_ < messages.size(); ++shown_) {
        if (shown_ + 1 < messages.size() || result_.refusal == RefusalShown::None)
            Line(messages[shown_]);
        else if (result_.refusal == RefusalShown::WithUsage)
            RefuseCommandLine(messages[shown_].text, err_);
        else
            ::RefuseRun(messages[shown_].text, err_);
    }
}

void CommandReply::Show(const OutcomeMessage& message)
{
    result_.outcome.messages.push_back(message);
    ShowKept();
}

void CommandReply::ShowAll(const std::vector<OutcomeMessage>& messages)
{
    for (const OutcomeMessage& message : messages)
        Show(message);
}

void CommandReply::PrintLine(const std::wstring& text)
{
    if (!json_)
        out_.WriteLine(text);
}

void CommandReply::Print(const std::wstring& text)
{
    if (!json_)
        out_.Write(text);
}

int CommandReply::Refuse(const std::wstring& problem)
{
    result_ = Refused(std::move(result_), problem, codes::kCommandLineRefused, RefusalShown::WithUsage);
    ShowKept();
    return ExitBadCommandLine;
}

int CommandReply::RefuseRun(const std::wstring& problem, const char* code)
{
    result_ = Refused(std::move(result_), problem, code);
    ShowKept();
    return ExitBadCommandLine;
}

int CommandReply::Finish(int exitCode)
{
    ShowKept();
    result_.exitCode = exitCode;
    result_.facts = ThisRunFacts();
    if (json_)
        out_.WriteUtf8(ResultDocument(result_));
    return exitCode;
}
