#include "jobs/submit.h"

#include <windows.h>

#include "common/codes.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/handles.h"
#include "common/paths.h"
#include "common/text.h"
#include "jobs/analysis.h"
#include "jobs/client_limit.h"
#include "jobs/client_wait.h"
#include "jobs/journal_file.h"
#include "jobs/submit_command.h"

namespace {

// How long a client that was told to end may take to be gone.
const DWORD kEndClientMs = 10000;

ProcessInfo StartClient(std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        throw Win32Error(L"CreateProcess() error ", GetLastError());
    ProcessInfo process;
    process.process.reset(info.hProcess);
    process.thread.reset(info.hThread);
    process.processId = info.dwProcessId;
    return process;
}

// A client whose wait was stopped is ended, so that it can no longer write into the result
// file that the next job will use.
void EndClient(HANDLE process)
{
    TerminateProcess(process, ERROR_CANCELLED);
    WaitForSingleObject(process, kEndClientMs);
}

}  // namespace

void Submission::CreateResultFile()
{
    ResultFileName = NewTempFile(UserTempFolder(), L"VOR");
}

// Each job starts from an empty result file, so that a client that writes nothing leaves an
// empty Result and never the answer of the job before. A missing file is made again.
void Submission::EmptyResultFile()
{
    UniqueFile file = OpenFile(ResultFileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               OPEN_ALWAYS);
    if (!file || !SetEndOfFile(file.get())) {
        DWORD code = GetLastError();
        throw Win32Error(L"Cannot empty the result file " + ResultFileName + L", error ", code);
    }
}

// The start goes into the journal before the client can submit anything; a client that could
// not be started is said to be so, so that a retry may send the job.
static ProcessInfo StartJournaledClient(const std::wstring& commandLine, JobJournal* journal,
                                       const std::wstring& path, const JournalKey& journalKey)
{
    if (!journal)
        return StartClient(commandLine);
    journal->Write(JournalEvent::Started, journalKey, path);
    try {
        return StartClient(commandLine);
    } catch (const AppError&) {
        journal->Write(JournalEvent::NotStarted, journalKey, path);
        throw;
    }
}

std::optional<std::wstring> Submission::Stop(const char* code, const std::wstring& text)
{
    failure_ = OutcomeMessage{MessageKind::Failure, code, text};
    return std::nullopt;
}

std::optional<std::wstring> Submission::RunClient(const std::wstring& direction, const std::wstring& path,
                                                  const std::function<void()>& showEarlier,
                                                  const JournalKey& journalKey)
{
    if (TakeStopRequest())
        return Stop(codes::kStoppedByTechnician, L"Stopped before submitting " + path + L"; it and the rows after it were not submitted.");
    if (ResultFileName.empty())
        CreateResultFile();
    EmptyResultFile();

    const std::wstring commandLine = SubmitCommandLine(direction, path, ResultFileName);
    ProcessInfo client = StartJournaledClient(commandLine, options_.journal, path, journalKey);
    client.thread.reset();
    const std::wstring running = L"Running " + commandLine;
    port_.ShowStatus(running);
    showEarlier();
    bool hinted = false;
    const uint64_t limit = ClientLimitMs(options_.timeoutSeconds);
    WaitEnd end = WaitForClient(
        client.process.get(),
        [&] {
            port_.ShowStatus(running + L"   (Esc stops waiting)");
            hinted = true;
        },
        limit);
    if (hinted)
        port_.ShowStatus(running);
    if (end == WaitEnd::Stopped) {
        EndClient(client.process.get());
        return Stop(codes::kClientStopped, L"Stopped waiting for " + std::wstring(kSubmitClient) + L", which was ended. The job " +
                       path + L" may have been submitted; the rows after it were not submitted.");
    }
    if (end == WaitEnd::TimedOut) {
        EndClient(client.process.get());
        return Stop(codes::kClientTimedOut, std::wstring(kSubmitClient) + L" did not end within " + DecimalText(options_.timeoutSeconds) +
                       L" seconds and was ended. The job " + path +
                       L" may or may not have been submitted; the rows after it were not submitted.");
    }
    client.process.reset();

    bool cut = false;
    std::string bytes;
    try {
        bytes = ReadFileBytes(ResultFileName, kAnswerLimitBytes, &cut);
    } catch (const AppError& e) {
        return Stop(codes::kAnswerUnreadable, L"Failed to load eret, error: " + e.Message());
    }
    std::wstring answer = AnswerText(bytes, cut);
    if (options_.journal)
        options_.journal->Write(JournalEvent::Ended, journalKey, path, answer);
    return answer;
}

std::optional<std::wstring> Submission::SubmitJob(const std::wstring& direction, const std::wstring& path,
                                                  const std::function<void()>& showEarlier,
                                                  const JournalKey& journalKey)
{
    try {
        if (std::optional<std::wstring> answer = RunClient(direction, path, showEarlier, journalKey))
            return answer;
    } catch (const AppError& e) {
        Stop(codes::kClientFailed, e.Message());
    }
    showEarlier();
    port_.ShowMessage(failure_.text);
    return std::nullopt;
}

namespace {

// A job's answer goes into its row at once and onto the screen once the next job's client has
// started: the repaint then overlaps the client's run instead of adding to the pass.
class AnswerDisplay {
public:
    explicit AnswerDisplay(CommandPort& port) : port_(port) {}
    ~AnswerDisplay() { ShowPending(); }
    void Answered(size_t row)
    {
        ShowPending();
        pending_ = row;
    }
    void ShowPending()
    {
        if (pending_)
            port_.RowUpdated(*pending_);
        pending_.reset();
    }

private:
    CommandPort& port_;
    std::optional<size_t> pending_;
};

}  // namespace

PassOutcome SubmitRows(JobList& rows, std::wstring& resultFileName, CommandPort& port, const SubmitOptions& options)
{
    PassOutcome pass;
    Submission submission(resultFileName, port, options);
    AnswerDisplay display(port);
    const std::function<void()> showEarlier = [&display] { display.ShowPending(); };
    for (JobRow& row : rows)
        row.state = RowState::NotSubmitted;
    auto done = [&options](size_t row) {
        if (options.rowDone)
            options.rowDone(row);
    };
    const size_t count = rows.size();
    for (size_t i = 0; i < count; ++i) {
        JobRow& row = rows[i];
        JournalKey key;
        if (options.journal) {
            key = options.journal->KeyOf(row.caption);
            if (const JournalRecord* earlier = options.journal->Earlier(key)) {
                row.state = earlier->state;
                if (earlier->state == RowState::SubmittedEarlier)
                    row.SetResult(earlier->answer);
                done(i);
                continue;
            }
        }
        std::wstring direction = row.caption.size() < kPrintFileSuffixLength || !row.HasDirections() ? std::wstring()
                                                                                 : TrimControls(row.directions);
        if (direction.empty()) {
            done(i);
            continue;
        }
        std::optional<std::wstring> answer = submission.SubmitJob(direction, row.caption, showEarlier, key);
        if (!answer) {
            row.state = RowState::StoppedHere;
            pass.stop = submission.Failure();
            done(i);
            return pass;
        }
        row.SetResult(std::move(*answer));
        row.state = RowState::Submitted;
        display.Answered(i);
        done(i);
    }
    return pass;
}

void ResubmitRows(JobList& rows, bool submit, std::wstring& resultFileName, CommandPort& port,
                  const SubmitOptions& options)
{
    ExpandFolderRows(rows);
    port.RowsChanged();
    AnalyseRows(rows, port);
    if (submit)
        SubmitRows(rows, resultFileName, port, options);
}
