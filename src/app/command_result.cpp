#include "app/command_result.h"

#include <algorithm>

int ExitCodeOf(const CommandResult& result)
{
    if (result.rows && std::any_of(result.rows->begin(), result.rows->end(),
                                   [](const ResultRow& row) { return row.state == RowState::Uncertain; }))
        return ExitUncertain;
    if (result.end == ExitDone && result.reportToOutput)
        return ExitReportToStdout;
    return result.end;
}

CommandResult Refused(CommandResult result, const std::wstring& problem, const char* code, RefusalShown how)
{
    result.outcome.messages.push_back({MessageKind::Failure, code, problem});
    result.refusal = how;
    result.end = ExitBadCommandLine;
    return result;
}

CommandResult Failed(CommandResult result, const char* code, const std::wstring& text, int end)
{
    result.outcome.messages.push_back({MessageKind::Failure, code, text});
    result.end = end;
    return result;
}
