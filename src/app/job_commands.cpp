#include "app/job_commands.h"

#include <optional>

#include "app/lock_wait.h"
#include "common/codes.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/handles.h"
#include "common/machine_lock.h"
#include "common/paths.h"
#include "common/text.h"
#include "jobs/analysis.h"
#include "jobs/job_paths.h"
#include "jobs/journal_file.h"
#include "jobs/report.h"
#include "jobs/submit.h"

namespace {

// The passes' messages go to the sink as they come; how the pass ended is told by its outcome.
class SinkPort : public CommandPort {
public:
    explicit SinkPort(ResultSink& sink) : sink_(sink) {}
    void ShowStatus(const std::wstring&) override {}
    void ShowMessage(const std::wstring& text) override { sink_.PassMessage(text); }
    void RowsChanged() override {}
    void RowUpdated(size_t) override {}

private:
    ResultSink& sink_;
};

// The rows with their states, for the document; the row that stopped the pass says why.
std::vector<ResultRow> ResultRows(const JobList& rows, const PassOutcome& pass)
{
    std::vector<ResultRow> result;
    result.reserve(rows.size());
    for (const JobRow& row : rows)
        result.push_back(ResultRow{row.caption, row.SubItem(0), row.SubItem(1), row.state,
                                   row.state == RowState::StoppedHere && pass.stop ? pass.stop->code : std::string()});
    return result;
}

// The first path that is neither an existing file or folder nor a print file's path in an
// existing folder (which a drop keeps as a row); none when every path is one of these.
std::optional<std::wstring> MissingPath(const std::vector<std::wstring>& paths)
{
    for (const std::wstring& path : paths) {
        const std::wstring full = FullPathName(path);
        if (IsExistingFile(full) || IsExistingFolder(full))
            continue;
        if (!IsPrintFilePath(full) || full.find(L'\\') == std::wstring::npos ||
            !IsExistingFolder(WithTrailingSeparator(ParentPath(full))))
            return path;
    }
    return std::nullopt;
}

// Why the file of /report or /journal (a full path) cannot be written after the pass over these
// rows; empty when it can.
std::wstring OutputProblem(const wchar_t* switchName, const std::wstring& file, const JobList& rows,
                           FileIdentity& identity)
{
    std::wstring problem =
        OutputPathProblem(switchName, file, rows, [&identity](const std::wstring& path) { return identity.FileKeyOf(path); });
    if (problem.empty())
        if (const unsigned long error = ReplaceFileError(file))
            problem = CreateFileError(file, error).Message();
    return problem;
}

// A report that goes to standard output through the sink: its head at once, each row once the
// pass is done with it, the rest at the end. A run killed meanwhile has shown every job it ended.
class StreamedReport {
public:
    StreamedReport(const JobList& rows, ResultSink& sink) : rows_(rows), sink_(sink) { sink_.ReportHead(); }
    void Through(size_t row)
    {
        for (; written_ <= row && written_ < rows_.size(); ++written_)
            sink_.ReportRow(rows_[written_]);
    }
    void Finish()
    {
        if (!rows_.empty())
            Through(rows_.size() - 1);
    }

private:
    const JobList& rows_;
    ResultSink& sink_;
    size_t written_ = 0;
};

// The report to the file, or to standard output (through the sink) when there is none or it
// cannot be written; the result says which.
void WriteReport(const JobList& rows, const std::wstring& file, CommandResult& result, ResultSink& sink)
{
    if (!file.empty() && ReplaceFileContents(file, JobReportCsv(rows))) {
        result.report = file;
        return;
    }
    StreamedReport(rows, sink).Finish();
    if (file.empty())
        return;
    result.reportToOutput = true;
    result.outcome.messages.push_back({MessageKind::Warning, codes::kReportNotWritten,
                                       CreateFileFailure(file).Message() + L"; the report went to standard output."});
}

// The command line's result file, named after this process ("VORJ<process id>.tmp" in the
// temporary folder) and deleted however the pass ends; one that a killed run left is deleted
// before the pass begins.
class CommandResultFile {
public:
    CommandResultFile() : name(TempFolderOrNone() + L"VORJ" + DecimalText(GetCurrentProcessId()) + L".tmp")
    {
        DeleteLeftBehind();
    }
    ~CommandResultFile() { DeleteFileAt(name); }
    CommandResultFile(const CommandResultFile&) = delete;
    CommandResultFile& operator=(const CommandResultFile&) = delete;

    std::wstring name;

private:
    static std::wstring TempFolderOrNone()
    {
        try {
            return UserTempFolder();
        } catch (const Win32Error&) {
            return {};
        }
    }

    // The result files of runs whose process is gone.
    void DeleteLeftBehind() const
    {
        const std::wstring folder = TempFolderOrNone();
        if (folder.empty())
            return;
        ListFolder(folder + L"VORJ*.tmp", [&](const WIN32_FIND_DATAW& entry) {
            const std::wstring found = entry.cFileName;
            int id = 0;
            if (found.size() > 8 && EqualsAsciiNoCase(PathExtension(found), L".tmp") &&
                ParseInt32(found.substr(4, found.size() - 8), id) && id > 0 && !IsRunning(static_cast<DWORD>(id)))
                DeleteFileAt(folder + entry.cFileName);
            return true;
        });
    }

    static bool IsRunning(DWORD processId)
    {
        UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
        return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
    }
};

// The jobs that the journal shows as started by a run that never saw them end, as warnings.
void ReportUncertainJobs(const JobList& rows, const std::wstring& journal, Outcome& outcome)
{
    for (const JobRow& row : rows)
        if (row.state == RowState::Uncertain)
            outcome.messages.push_back({MessageKind::Warning, codes::kJobUncertain,
                                        L"uncertain: it may have been submitted: " + row.caption + L" (the journal " +
                                            journal + L" shows its start and no end; it was not sent again)"});
}

CommandResult RefuseBusyJournal(CommandResult result, const std::wstring& file)
{
    result.wroteNothing = true;
    return Failed(std::move(result), codes::kJournalBusy,
                  L"The journal " + file + L" is held open by another run; try again later.", ExitBusy);
}

}  // namespace

std::optional<CommandResult> OpenJournal(const std::wstring& file, std::optional<JobJournal>& journal,
                                         CommandResult& result)
{
    try {
        journal.emplace(file);
        return std::nullopt;
    } catch (const Win32Error& e) {
        if (HeldByAnotherRun(e.Code()))
            return RefuseBusyJournal(std::move(result), file);
        return Refused(std::move(result), e.Message(), codes::kOutputRefused);
    } catch (const AppError& e) {
        return Refused(std::move(result), e.Message(), codes::kOutputRefused);
    }
}

CommandResult RunJobsCommand(const CommandLine& line, bool submit, ResultSink& sink)
{
    CommandResult result;
    if (const std::optional<std::wstring> missing = MissingPath(line.paths))
        return Refused(std::move(result), *missing + L" is no file or folder", codes::kPathMissing);

    JobList rows;
    for (const std::wstring& path : FullPathNames(line.paths))
        rows.emplace_back(path);
    ExpandFolderRows(rows);
    FileIdentity identity;
    std::wstring report;  // none: standard output
    if (line.switches.report) {
        report = FullPathName(*line.switches.report);
        const std::wstring problem = OutputProblem(L"report", report, rows, identity);
        if (!problem.empty())
            return Refused(std::move(result), problem, codes::kOutputRefused);
    }
    // One pass hands jobs to the client at a time on this machine: a second run waits for the
    // first, then finds in the journal what the first sent.
    SubmissionLock lock;
    if (submit && !TakeLock(lock, line, result))
        return result;
    std::optional<JobJournal> journal;
    if (line.switches.journal) {
        const std::wstring file = FullPathName(*line.switches.journal);
        if (HeldByAnotherRun(ReplaceFileError(file)))
            return RefuseBusyJournal(std::move(result), file);
        std::wstring problem = OutputProblem(L"journal", file, rows, identity);
        if (problem.empty() && !report.empty() && identity.FileKeyOf(file) == identity.FileKeyOf(report))
            problem = L"/journal:" + file + L" is the report";
        if (!problem.empty())
            return Refused(std::move(result), problem, codes::kOutputRefused);
        if (std::optional<CommandResult> refused = OpenJournal(file, journal, result))
            return std::move(*refused);
    }

    SinkPort port(sink);
    AnalyseRows(rows, port);
    // Without a report file, /submit tells each row as the pass ends it.
    const bool streaming = submit && report.empty();
    PassOutcome pass;
    if (submit) {
        std::optional<StreamedReport> streamed;
        if (streaming)
            streamed.emplace(rows, sink);
        SubmitOptions options{line.switches.timeout.value_or(0), journal ? &*journal : nullptr};
        if (streamed)
            options.rowDone = [&streamed](size_t row) { streamed->Through(row); };
        {
            CommandResultFile resultFile;
            pass = SubmitRows(rows, resultFile.name, port, options);
        }
        if (streamed)
            streamed->Finish();
    }
    if (pass.stop) {
        result.outcome.messages.push_back(*pass.stop);  // the sink has shown it as it came
        result.end = ExitFailed;
    }
    result.rows = ResultRows(rows, pass);
    if (!streaming)
        WriteReport(rows, report, result, sink);
    if (journal)
        ReportUncertainJobs(rows, journal->Path(), result.outcome);
    return result;
}
