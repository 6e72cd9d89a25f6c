#include "app/command_reply.h"

#include "app/commands.h"
#include "app/run_facts.h"

CommandReply::CommandReply(std::string command, bool json, StdStream& out, StdStream& err)
    : json_(json), out_(out), err_(err)
{
    result_.command = std::move(command);
}

void CommandReply::SetPreview(std::wstring regText)
{
    remarks_ = true;
    result_.whatif = true;
    if (!regText.empty())
        result_.preview = std::move(regText);
}

void CommandReply::Show(const OutcomeMessage& message)
{
    result_.outcome.messages.push_back(message);
    if (message.kind != MessageKind::Success || remarks_)
        err_.WriteLine(message.text);
    else if (!json_)
        out_.WriteLine(message.text);
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

void CommandReply::PrintUtf8(const std::string& bytes)
{
    if (!json_)
        out_.WriteUtf8(bytes);
}

int CommandReply::Refuse(const std::wstring& problem)
{
    result_.outcome.messages.push_back({MessageKind::Failure, codes::kCommandLineRefused, problem});
    return RefuseCommandLine(problem, err_);
}

int CommandReply::RefuseRun(const std::wstring& problem, const char* code)
{
    result_.outcome.messages.push_back({MessageKind::Failure, code, problem});
    return ::RefuseRun(problem, err_);
}

int CommandReply::Finish(int exitCode)
{
    result_.exitCode = exitCode;
    result_.facts = ThisRunFacts();
    if (json_)
        out_.WriteUtf8(ResultDocument(result_));
    return exitCode;
}
