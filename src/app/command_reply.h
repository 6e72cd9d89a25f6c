// The console's renderer of a command's result: it alone decides what goes to standard output
// and what to standard error. Success, a backup's path, a preview and /check's problems go to
// standard output; warnings, failures and a run's problems to standard error, and a preview's
// messages, success included, as remarks there too; with /json, standard output holds the
// document alone, written at the end. No renderer learns what happened from a display text:
// each message carries its kind.
#pragma once
#include <string>

#include "app/command_result.h"
#include "app/console.h"
#include "app/result_document.h"
#include "app/result_sink.h"

// The problem, then the usage, on standard error: for a command line that the usage can mend.
int RefuseCommandLine(const std::wstring& problem, StdStream& err);
// The problem alone, on standard error (exit 2): for a refusal that the usage would not help
// with (a file that is missing or cannot be written).
int RefuseRun(const std::wstring& problem, StdStream& err);

class CommandReply : public ResultSink {
public:
    // command: the command's name ("configure"); json: the document replaces standard output.
    CommandReply(std::string command, bool json, StdStream& out, StdStream& err);

    // What the handler tells as it runs: the passes' messages on standard error, the report's
    // rows on standard output (never with /json).
    void PassMessage(const std::wstring& text) override
    {
        err_.WriteLine(text);
        passShown_.push_back(text);
    }
    void ReportHead() override;
    void ReportRow(const JobRow& row) override;

    // Shows what the handler returned and has not shown yet, keeps it for the document, and
    // gives its exit code (ExitCodeOf).
    int Answer(CommandResult result);
    // With /json, the document on standard output; returns the exit code.
    int Finish(int exitCode);
    // The command wrote nothing at all (it found nothing to change, refused before its first
    // write, or found the configuration busy), whatever its row says it may write.
    bool WroteNothing() const { return result_.wroteNothing; }

private:
    void Line(const OutcomeMessage& message);
    void Problems();
    bool ShownAlready(const OutcomeMessage& message);

    CommandResult result_;
    bool json_;
    StdStream& out_;
    StdStream& err_;
    std::vector<std::wstring> passShown_;  // the passes' messages shown as they came
};
