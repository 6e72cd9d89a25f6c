// Resubmission: the third pass of "Resubmit files (submit)".
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "common/port.h"
#include "jobs/joblist.h"

// Hands each row with a direction (caption of six characters or more, Directions text not
// empty once trimmed) to the submit client, one job at a time, and shows the client's answer
// as the row's Result (repainted once the next job's client runs). The first failure, or the
// technician stopping with Esc, is shown in a message box and ends the pass: rows submitted
// before keep their Result, later rows are not submitted. resultFileName is the window's
// result file: created on first use, then kept.
void SubmitRows(JobList& rows, std::wstring& resultFileName, CommandPort& port);

// One run of the submit client after another, sharing the window's result file.
class Submission {
public:
    Submission(std::wstring& resultFileName, CommandPort& port) : ResultFileName(resultFileName), port_(port) {}

    // Starts the client for one job, waits for it and gives its answer. A failure is shown
    // in a message box here and gives nothing: the caller only stops. showEarlier shows what
    // the jobs before left to show: it is called once the client runs (and its status text is
    // shown), or before the failure is.
    std::optional<std::wstring> SubmitJob(const std::wstring& direction, const std::wstring& path,
                                          const std::function<void()>& showEarlier);

private:
    std::wstring RunClient(const std::wstring& direction, const std::wstring& path,
                           const std::function<void()>& showEarlier);
    void CreateResultFile();
    void EmptyResultFile();

    std::wstring& ResultFileName;
    CommandPort& port_;
};
