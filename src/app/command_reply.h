// The console's renderer of a command's result: it alone decides what goes to standard output
// and what to standard error. Success, a backup's path and /check's problems go to standard
// output; warnings, failures and a run's problems to standard error; with /json, standard output
// holds the document alone, written at the end. No renderer learns what happened from a display
// text: each message carries its kind.
#pragma once
#include <string>
#include <vector>

#include "app/command_result.h"
#include "app/console.h"
#include "app/result_document.h"
#include "app/result_sink.h"
#include "common/codes.h"

// The problem, then the usage, on standard error: for a command line that the usage can mend.
int RefuseCommandLine(const std::wstring& problem, StdStream& err);
// The problem alone, on standard error (exit 2): for a refusal that the usage would not help
// with (a file that is missing or cannot be written).
int RefuseRun(const std::wstring& problem, StdStream& err);

class CommandReply : public ResultSink {
public:
    // command: the command's name ("configure"); json: the document replaces standard output.
    CommandReply(std::string command, bool json, StdStream& out, StdStream& err);

    // Shows what a handler returned and has not shown yet, keeps it for the document, and gives
    // its exit code (ExitCodeOf).
    int Answer(CommandResult result);

    // What the handler tells as it runs: the passes' messages on standard error, the report's
    // rows on standard output (never with /json).
    void PassMessage(const std::wstring& text) override { err_.WriteLine(text); }
    void ReportHead() override;
    void ReportRow(const JobRow& row) override;

    bool Json() const { return json_; }
    CommandResult& Result() { return result_; }
    Outcome& outcome() { return result_.outcome; }
    StdStream& Err() { return err_; }

    // A preview changes nothing: its messages, success included, are remarks on standard error.
    void SetPreview(std::wstring regText);
    // Keeps the message and shows it as a line, after any kept but not shown yet: success on
    // standard output, warnings and failures on standard error. With /json, success shows only
    // in the document.
    void Show(const OutcomeMessage& message);
    void ShowAll(const std::vector<OutcomeMessage>& messages);
    void Fail(const char* code, const std::wstring& text) { Show({MessageKind::Failure, code, text}); }
    // A line of standard output that the document holds in a field of its own (a backup's path,
    // a problem, the preview): written only without /json.
    void PrintLine(const std::wstring& text);
    void Print(const std::wstring& text);
    // The problem and the usage on standard error, kept as a failure "command-line-refused".
    int Refuse(const std::wstring& problem);
    // The same without the usage, for a refusal that the usage would not mend (a missing file),
    // kept with the code that says which (a missing path, a header refused, an output refused).
    int RefuseRun(const std::wstring& problem, const char* code = codes::kCommandLineRefused);
    // Shows what is kept and not shown yet; with /json, the document on standard output; returns
    // the exit code.
    int Finish(int exitCode);
    // The command wrote nothing at all (it found nothing to change, refused before its first
    // write, or found the configuration busy), whatever its row says it may write.
    void NoteNothingWritten() { result_.wroteNothing = true; }
    bool WroteNothing() const { return result_.wroteNothing; }

private:
    // The messages kept and not shown yet, in order; a refusal that ended the command as it says.
    void ShowKept();
    void Line(const OutcomeMessage& message);

    CommandResult result_;
    bool json_;
    bool remarks_ = false;
    size_t shown_ = 0;  // the messages shown so far
    StdStream& out_;
    StdStream& err_;
};
