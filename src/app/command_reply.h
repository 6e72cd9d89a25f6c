// How a command answers: its outcome kept as data, and rendered as the console's lines or, with
// /json, as one document on standard output at the end. No renderer learns what happened from
// a display text: each message carries its kind.
#pragma once
#include <string>
#include <vector>

#include "app/console.h"
#include "app/result_document.h"
#include "common/codes.h"

class CommandReply {
public:
    // command: the command's name ("configure"); json: the document replaces standard output.
    CommandReply(std::string command, bool json, StdStream& out, StdStream& err);

    bool Json() const { return json_; }
    CommandResult& Result() { return result_; }
    Outcome& outcome() { return result_.outcome; }
    StdStream& Err() { return err_; }
    // Standard output for what is written as the command goes (a streamed report); never with /json.
    StdStream& Out() { return out_; }

    // A preview changes nothing: its messages, success included, are remarks on standard error.
    void SetPreview(std::wstring regText);
    // Keeps the message and shows it as a line: success on standard output, warnings and failures
    // on standard error. With /json, success shows only in the document.
    void Show(const OutcomeMessage& message);
    void ShowAll(const std::vector<OutcomeMessage>& messages);
    void Fail(const char* code, const std::wstring& text) { Show({MessageKind::Failure, code, text}); }
    // A line of standard output that the document holds in a field of its own (a backup's path,
    // a problem, the preview): written only without /json.
    void PrintLine(const std::wstring& text);
    void Print(const std::wstring& text);
    void PrintUtf8(const std::string& bytes);
    // The problem and the usage on standard error, kept as a failure "command-line-refused".
    int Refuse(const std::wstring& problem);
    // The same without the usage, for a refusal that the usage would not mend (a missing file),
    // kept with the code that says which (a missing path, a header refused, an output refused).
    int RefuseRun(const std::wstring& problem, const char* code = codes::kCommandLineRefused);
    // With /json, the document on standard output; returns the exit code.
    int Finish(int exitCode);
    // The command wrote nothing at all (it found nothing to change, refused before its first
    // write, or found the configuration busy), whatever its row says it may write.
    void NoteNothingWritten() { wroteNothing_ = true; }
    bool WroteNothing() const { return wroteNothing_; }

private:
    CommandResult result_;
    bool json_;
    bool remarks_ = false;
    bool wroteNothing_ = false;
    StdStream& out_;
    StdStream& err_;
};
