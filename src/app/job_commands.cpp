#include "app/job_commands.h"

#include <optional>

#include "app/commands.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/text.h"
#include "jobs/analysis.h"
#include "jobs/job_paths.h"
#include "jobs/report.h"
#include "jobs/submit.h"

namespace {

// The passes' messages go to standard error; the first one means the pass stopped on it.
class ConsolePort : public CommandPort {
public:
    explicit ConsolePort(StdStream& err) : err_(err) {}
    void ShowStatus(const std::wstring&) override {}
    void ShowMessage(const std::wstring& text) override
    {
        err_.WriteLine(text);
        stopped = true;
    }
    void RowsChanged() override {}
    void RowUpdated(size_t) override {}

    bool stopped = false;

private:
    StdStream& err_;
};

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

// The report to the file (none: standard output); when the file cannot be written, to standard
// output all the same, and the exit code says so.
int WriteReport(const std::string& csv, const std::wstring& file, bool stopped, StdStream& out, StdStream& err)
{
    const int passEnd = stopped ? ExitFailed : ExitDone;
    if (file.empty()) {
        out.WriteUtf8(csv);
        return passEnd;
    }
    if (ReplaceFileContents(file, csv))
        return passEnd;
    out.WriteUtf8(csv);
    err.WriteLine(L"Cannot create file " + file + L"; the report went to standard output.");
    return stopped ? ExitFailed : ExitReportToStdout;
}

}  // namespace

int RunJobsCommand(const CommandLine& line, bool submit, StdStream& out, StdStream& err)
{
    if (const std::optional<std::wstring> missing = MissingPath(line.paths))
        return RefuseCommandLine(*missing + L" is no file or folder", err);

    JobList rows;
    for (const std::wstring& path : FullPathNames(line.paths))
        rows.emplace_back(path);
    ExpandFolderRows(rows);
    std::wstring report;  // none: standard output
    if (line.Has(L"report")) {
        report = FullPathName(line.Value(L"report"));
        const std::wstring problem = ReportProblem(report, rows);
        if (!problem.empty())
            return RefuseCommandLine(problem, err);
    }

    ConsolePort port(err);
    AnalyseRows(rows, port);
    std::wstring resultFile;
    if (submit)
        SubmitRows(rows, resultFile, port, SubmitOptions{static_cast<unsigned>(line.timeoutSeconds)});
    if (!resultFile.empty())
        DeleteFileW(LongPathName(resultFile).c_str());
    return WriteReport(JobReportCsv(rows), report, port.stopped, out, err);
}
