// Resubmission: the third pass of "Resubmit files (submit)".
#pragma once
#include <functional>
#include <optional>
#include <string>

#include <vector>

#include "common/outcome.h"
#include "jobs/joblist.h"
#include "jobs/journal.h"
#include "jobs/port.h"
#include "jobs/row_state.h"

class JobJournal;

// What a pass of SubmitRows is given besides the rows.
struct SubmitOptions {
    unsigned timeoutSeconds = 0;  // per job, at most kMaxTimeoutSeconds; 0: as long as the client runs
    // The journal (none in the window): each job's start is on the disk before its client runs,
    // its answer once it has ended, and a row whose file an earlier run started is not sent again
    // but takes the state that the journal shows (submitted earlier, with its answer, or uncertain).
    JobJournal* journal = nullptr;
    // Told of each row, in order, once the pass is done with it (its state is final); not told of
    // the rows after the one where the pass stopped.
    std::function<void(size_t row)> rowDone;
};

// The longest timeout a job may be given: one week; a longer one is refused before anything runs.
constexpr unsigned kMaxTimeoutSeconds = 7 * 24 * 60 * 60;

// How a pass ended, as data: the message that stopped it, with its code (stopped-by-technician,
// client-stopped, client-timed-out, answer-unreadable, client-failed).
struct PassOutcome {
    std::optional<OutcomeMessage> stop;  // none: the pass went through every row
};

// Hands each row with a direction (caption of six characters or more, Directions text not
// empty once trimmed) to the submit client, one job at a time, and shows the client's answer
// as the row's Result (repainted once the next job's client runs). The first failure, or the
// technician stopping with Esc, is shown in a message box and ends the pass: rows submitted
// before keep their Result, later rows are not submitted. resultFileName is the window's
// result file: created on first use, then kept.
// A client still running after the options' timeout is ended, and the pass stops there with a
// message naming the job, which may or may not have been submitted. Each row's state says how
// the pass left it: submitted, stopped here, not submitted, or what the journal shows.
PassOutcome SubmitRows(JobList& rows, std::wstring& resultFileName, CommandPort& port,
                       const SubmitOptions& options = {});

// "Resubmit files": the folders expanded (pass 1), the directions read (pass 2) and, with
// submit, every job handed to the client (pass 3). The command line runs the same passes one by
// one, so that it can refuse a report after pass 1 and before any job runs.
void ResubmitRows(JobList& rows, bool submit, std::wstring& resultFileName, CommandPort& port,
                  const SubmitOptions& options = {});

// One run of the submit client after another, sharing the window's result file.
class Submission {
public:
    Submission(std::wstring& resultFileName, CommandPort& port, const SubmitOptions& options = {})
        : ResultFileName(resultFileName), port_(port), options_(options)
    {
    }

    // Starts the client for one job, waits for it and gives its answer. A failure is shown
    // in a message box here and gives nothing: the caller only stops. showEarlier shows what
    // the jobs before left to show: it is called once the client runs (and its status text is
    // shown), or before the failure is.
    // With a journal, the job's start and end go into it under journalKey.
    std::optional<std::wstring> SubmitJob(const std::wstring& direction, const std::wstring& path,
                                          const std::function<void()>& showEarlier,
                                          const JournalKey& journalKey = {});
    // The failure that the last SubmitJob without an answer showed.
    const OutcomeMessage& Failure() const { return failure_; }

private:
    // The client's answer, or none when the pass stops here: the failure is kept, with its code.
    std::optional<std::wstring> RunClient(const std::wstring& direction, const std::wstring& path,
                                          const std::function<void()>& showEarlier, const JournalKey& journalKey);
    // Keeps the failure that stops the pass; gives no answer.
    std::optional<std::wstring> Stop(const char* code, const std::wstring& text);
    void CreateResultFile();
    void EmptyResultFile();

    std::wstring& ResultFileName;
    CommandPort& port_;
    SubmitOptions options_;
    OutcomeMessage failure_;
};
