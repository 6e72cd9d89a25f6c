#include "app/job_commands.h"

#include <optional>

#include "app/command_reply.h"
#include "app/commands.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/text.h"
#include "jobs/analysis.h"
#include "jobs/job_paths.h"
#include "jobs/report.h"
#include "jobs/submit.h"

namespace {

// The passes' messages go to standard error as they come; how the pass ended is told by its outcome.
class ConsolePort : public CommandPort {
public:
    explicit ConsolePort(StdStream& err) : err_(err) {}
    void ShowStatus(const std::wstring&) override {}
    void ShowMessage(const std::wstring& text) override { err_.WriteLine(text); }
    void RowsChanged() override {}
    void RowUpdated(size_t) override {}

private:
    StdStream& err_;
};

// The rows with their states, for the document.
std::vector<ResultRow> ResultRows(const JobList& rows, const PassOutcome& pass)
{
    std::vector<ResultRow> result;
    result.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const RowState state = pass.states[i];
        result.push_back(ResultRow{rows[i].caption, rows[i].SubItem(0), rows[i].SubItem(1), state,
                                   state == RowState::StoppedHere && pass.stop ? pass.stop->code : std::string()});
    }
    return result;
}

// The first path that is neither an existing file or folder nor a print file's path (which a
// drop keeps as a row); none when every path is one of these.
std::optional<std::wstring> MissingPath(const std::vector<std::wstring>& paths)
{
    for (const std::wstring& path : paths) {
        const std::wstring full = FullPathName(path);
        if (!IsExistingFile(full) && !IsExistingFolder(full) && !IsPrintFilePath(full))
            return path;
    }
    return std::nullopt;
}

// Why the report cannot go to the file (a full path) after the pass over these rows; empty when it can.
std::wstring ReportProblem(const std::wstring& file, const JobList& rows)
{
    std::wstring problem = ReportPathProblem(file, rows, FileKey);
    if (problem.empty())
        if (const unsigned long error = ReplaceFileError(file))
            problem = Win32Error(L"Cannot create file " + file + L", error ", error).Message();
    return problem;
}

// The report to the file (none: standard output, where /json puts the document and its rows
// instead); when the file cannot be written, to standard output all the same, and the exit code
// says so.
int WriteReport(const JobList& rows, const std::wstring& file, bool stopped, CommandReply& reply)
{
    const int passEnd = stopped ? ExitFailed : ExitDone;
    if (file.empty()) {
        if (!reply.Json())
            reply.PrintUtf8(JobReportCsv(rows));
        return passEnd;
    }
    const std::string csv = JobReportCsv(rows);
    if (ReplaceFileContents(file, csv)) {
        reply.Result().report = file;
        return passEnd;
    }
    reply.PrintUtf8(csv);
    reply.Show({MessageKind::Warning, "report-not-written",
                CreateFileFailure(file).Message() + L"; the report went to standard output."});
    return stopped ? ExitFailed : ExitReportToStdout;
}

}  // namespace

int RunJobsCommand(const CommandLine& line, bool submit, CommandReply& reply)
{
    if (const std::optional<std::wstring> missing = MissingPath(line.paths))
        return reply.Refuse(*missing + L" is no file or folder");

    JobList rows;
    for (const std::wstring& path : FullPathNames(line.paths))
        rows.emplace_back(path);
    ExpandFolderRows(rows);
    std::wstring report;  // none: standard output
    if (line.Has(L"report")) {
        report = FullPathName(line.Value(L"report"));
        const std::wstring problem = ReportProblem(report, rows);
        if (!problem.empty())
            return reply.Refuse(problem);
    }

    ConsolePort port(reply.Err());
    AnalyseRows(rows, port);
    std::wstring resultFile;
    const PassOutcome pass = submit ? SubmitRows(rows, resultFile, port, SubmitOptions{static_cast<unsigned>(line.timeoutSeconds)})
                                    : NothingSubmitted(rows);
    if (!resultFile.empty())
        DeleteFileW(LongPathName(resultFile).c_str());
    if (pass.stop)
        reply.outcome().messages.push_back(*pass.stop);  // already on standard error, as it came
    reply.Result().rows = ResultRows(rows, pass);
    return WriteReport(rows, report, pass.stop.has_value(), reply);
}
