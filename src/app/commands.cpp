#include "app/commands.h"

#include <functional>
#include <optional>

#include "app/command_reply.h"
#include "app/job_commands.h"
#include "app/lock_wait.h"
#include "common/codes.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/locale_text.h"
#include "common/machine_lock.h"
#include "common/paths.h"
#include "common/product_keys.h"
#include "common/reg_text.h"
#include "common/registry.h"
#include "common/text.h"
#include "common/text_lines.h"
#include "common/utf.h"
#include "config/address_bitmap.h"
#include "config/backup.h"
#include "config/check.h"
#include "config/configure.h"
#include "config/converge.h"
#include "config/machine.h"
#include "config/printers.h"
#include "config/upgrade.h"
#include "vorla_version.h"

namespace {

// Far more than five lines of a branch header.
const size_t kHeaderFileLimit = 1 << 20;

// The printers' enumeration failures: remarks on standard error.
ShowMessageFn PrinterFailures(CommandReply& reply)
{
    return [&reply](const std::wstring& text) { reply.Show({MessageKind::Warning, codes::kPrintersUnreadable, text}); };
}

// The header file's text: in the code page that /headercp names, without a guess, or as its
// BOM or bytes tell. Throws AppError when the machine has no such code page or the bytes are
// not text in it.
std::wstring HeaderText(const CommandLine& line)
{
    const std::string bytes = ReadFileBytes(line.Value(L"header"), kHeaderFileLimit);
    if (!line.Has(L"headercp"))
        return DecodeTextFile(bytes);
    const unsigned codePage = line.Number(L"headercp");
    if (!IsKnownCodePage(codePage))
        throw AppError(L"/headercp:" + line.Value(L"headercp") + L": this machine has no code page " +
                       DecimalText(codePage));
    const bool utf8Bom = codePage == 65001 && bytes.rfind("\xEF\xBB\xBF", 0) == 0;
    std::optional<std::wstring> text = CodePageToWide(std::string_view(bytes).substr(utf8Bom ? 3 : 0), codePage);
    if (!text)
        throw AppError(L"/header:" + line.Value(L"header") + L": the file is not text in code page " +
                       DecimalText(codePage) + L" (/headercp:" + line.Value(L"headercp") + L")");
    return *text;
}

// The header file's lines; a file that cannot be read, or whose encoding is unclear, refuses the
// command line.
std::optional<std::vector<std::wstring>> HeaderLines(const CommandLine& line, CommandReply& reply)
{
    try {
        return SplitTextLines(HeaderText(line));
    } catch (const TextFileRefused& e) {  // read, but neither UTF-8 nor ANSI text: never guessed at
        reply.RefuseRun(L"/header:" + line.Value(L"header") + L": " + e.Message() +
                            L"; or say what it is with /headercp:CODEPAGE",
                        codes::kHeaderRefused);
        return std::nullopt;
    } catch (const AppError& e) {
        reply.RefuseRun(e.Message(), codes::kHeaderRefused);
        return std::nullopt;
    }
}

// The entries that the switches give, as the dialog would hold them: a printer the machine does
// not have is not chosen, unless keepUnknownPrinters keeps it as typed (for a comparison).
ConfigRequest RequestOf(const CommandLine& line, const std::vector<std::wstring>& printers,
                        bool keepUnknownPrinters = false)
{
    auto printer = [&](const wchar_t* name) -> std::optional<std::wstring> {
        std::optional<std::wstring> match = MatchPrinter(printers, line.Value(name));
        return match || !keepUnknownPrinters ? match : std::optional<std::wstring>(line.Value(name));
    };
    ConfigRequest request;
    request.branch = line.Value(L"branch");
    request.posSeries = line.Value(L"pos");
    request.backSeries = line.Value(L"back");
    request.posPrinter = printer(L"posprinter");
    request.backPrinter = printer(L"backprinter");
    request.uncPos = line.Value(L"posunc", kDefaultUncPos);
    request.uncBack = line.Value(L"backunc", kDefaultUncBack);
    return request;
}

std::wstring InstallDirOf(MachineProbe& probe)
{
    std::wstring programFiles;
    unsigned long error = 0;
    if (!probe.ProgramFilesFolder(programFiles, error))
        throw Win32Error(L"SHGetFolderPath error ", error);
    return VorlaInstallDir(programFiles);
}

// The preview on standard output (with /json in the document), and with /whatif:FILE also as a
// .reg file in UTF-16 with a BOM, as regedit and the backups write it, so that
// "reg import FILE /reg:32" stores every character.
int WritePreview(const CommandLine& line, std::wstring text, CommandReply& reply)
{
    reply.Print(text);
    reply.SetPreview(text);
    const std::wstring file = line.Value(L"whatif");
    if (file.empty())
        return ExitDone;
    if (!ReplaceFileContents(FullPathName(file), Utf16FileBytes(text))) {
        reply.Fail(codes::kPreviewNotWritten, CreateFileFailure(file).Message());
        return ExitFailed;
    }
    return ExitDone;
}

// The problems as lines: on standard error after a run, on standard output for /check.
void ShowProblems(std::vector<Problem> problems, bool toOutput, CommandReply& reply)
{
    for (Problem& problem : problems) {
        if (toOutput)
            reply.PrintLine(problem.text);
        else
            reply.Err().WriteLine(problem.text);
        reply.outcome().problems.push_back(std::move(problem));
    }
}

// How a configuration command runs once it is planned: the plan again (after the run, to see
// what is left), and whether its preview lists the folders and files.
struct RunSteps {
    std::function<RunPlan()> replan;
    bool filesInPreview = false;
};

// The text of a preview that would write nothing: an empty .reg file that says so.
std::wstring UnchangedPreview()
{
    return RegFileText({}, {}) + L"; " + kNothingChanged + L"\r\n";
}

const wchar_t kRefusedBeforeWriting[] =
    L"Nothing was written: the run would fail or leave the problems above (/force runs it anyway).";

// Nothing written: the messages but the success, the problems, and why, on standard error.
int RefuseBeforeWriting(const RunPlan& plan, CommandReply& reply)
{
    for (const OutcomeMessage& message : plan.messages)
        if (message.kind != MessageKind::Success)
            reply.Show(message);
    ShowProblems(plan.problems, false, reply);
    reply.Fail(codes::kRefusedBeforeWriting, kRefusedBeforeWriting);
    return ExitFailed;
}

// Found as it would leave it: the run's messages, the line that says so, and any problem left.
int NothingToChange(const RunPlan& plan, CommandReply& reply)
{
    reply.ShowAll(plan.messages);
    reply.Show({MessageKind::Success, codes::kUnchanged, kNothingChanged});
    ShowProblems(plan.problems, false, reply);
    return plan.problems.empty() ? ExitDone : ExitRanWithProblems;
}

// A preview's messages: the run's, but its end is said as a preview's, never as done.
std::vector<OutcomeMessage> AsPreview(std::vector<OutcomeMessage> messages)
{
    for (OutcomeMessage& message : messages)
        if (message.kind == MessageKind::Success) {
            message.code = codes::kPreviewDone;
            message.text = L"Nothing was written; the run would end with: " + message.text;
        }
    return messages;
}

// The exit code of the run that the plan predicts: 1 when it would stop, or refuse to start
// (problems without /force), 3 when it would leave problems.
int PredictedExit(const RunPlan& plan, bool force)
{
    if (!plan.done)
        return ExitFailed;
    if (plan.problems.empty())
        return ExitDone;
    return force ? ExitRanWithProblems : ExitFailed;
}

int Preview(const CommandLine& line, const RunPlan& plan, const RunSteps& steps, CommandReply& reply)
{
    const bool force = line.Has(L"force");
    const int predicted = PredictedExit(plan, force);
    reply.SetPreview({});
    reply.ShowAll(AsPreview(plan.messages));
    if (!plan.done)
        return ExitFailed;
    ShowProblems(plan.problems, false, reply);
    if (predicted == ExitFailed)
        reply.Fail(codes::kRefusedBeforeWriting, kRefusedBeforeWriting);
    else
        reply.outcome().changes = plan.changes;  // what the run would change
    const int written =
        WritePreview(line, plan.Writes() ? PlanText(plan.plan, steps.filesInPreview) : UnchangedPreview(), reply);
    return written != ExitDone ? written : predicted;
}

// After the run: what the plan still finds to change, and /check's problems, on standard error.
int CheckWhatWasLeft(const RunSteps& steps, CommandReply& reply)
{
    const RunPlan again = steps.replan();
    std::vector<Problem> problems = again.problems;
    for (const Change& change : again.changes) {
        const bool registry = change.target == ChangeTarget::Key || change.target == ChangeTarget::Value;
        problems.push_back(Problem{codes::kChangeLeft,
                                   change.path + (change.name.empty() ? L"" : L": " + change.name) +
                                       L" still differs from what the run writes (" + WideOfUtf8Lossy(ChangeActionName(change.action)) + L")",
                                   registry ? change.path : L"", change.name, registry ? L"" : change.path,
                                   change.after, change.before});
    }
    const int exitCode = problems.empty() ? ExitDone : ExitRanWithProblems;
    ShowProblems(std::move(problems), false, reply);
    return exitCode;
}

// The plan decides: a preview exits as the run would; a run that the plan would not pass refuses
// before its first write (unless /force); a run that would change nothing writes nothing and says
// so; otherwise the run makes the plan's changes, and only those, then plans again.
int RunPlanned(const CommandLine& line, const RunPlan& plan, const RunSteps& steps, CommandReply& reply)
{
    if (line.Has(L"whatif"))
        return Preview(line, plan, steps, reply);
    const bool force = line.Has(L"force");
    const bool clean = plan.done && plan.problems.empty();
    if (!plan.Writes() || (!clean && !force))
        reply.NoteNothingWritten();
    if (!plan.done && !plan.Writes()) {  // the run stops before its first write, as it always did
        reply.ShowAll(plan.messages);
        return ExitFailed;
    }
    if (!plan.Writes())
        return clean || force ? NothingToChange(plan, reply) : RefuseBeforeWriting(plan, reply);
    Outcome shown;
    const Converged run = Converge(plan, !force, MessageLog(shown, nullptr));
    if (run.refused)
        return RefuseBeforeWriting(plan, reply);
    reply.ShowAll(shown.messages);
    reply.outcome().changes = run.changes;
    if (run.backup) {
        reply.outcome().backup = run.backup->path;
        reply.PrintLine(run.backup->path);
        for (const std::wstring& leftover : run.backup->leftoversRemoved)
            reply.Show({MessageKind::Warning, codes::kBackupLeftoverRemoved,
                        L"Deleted an unfinished backup that a stopped run left: " + leftover});
    }
    return run.failed ? static_cast<int>(ExitFailed) : CheckWhatWasLeft(steps, reply);
}

int RunConfigure(const CommandLine& line, CommandReply& reply)
{
    std::optional<std::vector<std::wstring>> header = HeaderLines(line, reply);
    if (!header)
        return ExitBadCommandLine;
    const std::vector<std::wstring> printers = OfferedPrinters(PrinterFailures(reply));
    ConfigRequest request = RequestOf(line, printers);
    request.headerLines = *header;
    LiveMachineProbe probe(printers, nullptr);
    ConfigurationLock lock;
    if (!TakeLock(lock, line, reply.Result()))
        return reply.Result().end;
    ConfigResult result;
    const ConfigPlan plan = PlanConfiguration(request, probe, MachinePlanInputs(), result);
    RunSteps steps;
    steps.filesInPreview = true;
    steps.replan = [&]() -> RunPlan {
        ConfigResult again;
        return PlanConfiguration(request, probe, MachinePlanInputs(), again);
    };
    return RunPlanned(line, plan, steps, reply);
}

int RunUpgradeCommand(const CommandLine& line, CommandReply& reply)
{
    ConfigurationLock lock;
    if (!TakeLock(lock, line, reply.Result()))
        return reply.Result().end;
    LiveMachineProbe probe(OfferedPrinters(PrinterFailures(reply)), nullptr);
    const RunPlan plan = PlanUpgrade(probe, MachinePlanInputs());
    RunSteps steps;
    steps.replan = [&] { return PlanUpgrade(probe, MachinePlanInputs()); };
    return RunPlanned(line, plan, steps, reply);
}

// Reads the configuration and the machine, writes nothing, and lists every problem on standard
// output. With a request, the maps are also compared with what /configure would write for it;
// with a header, the header images with what it draws.
int RunCheckCommand(const CommandLine& line, CommandReply& reply)
{
    ConfigurationLock lock;
    if (!TakeLock(lock, line, reply.Result()))
        return reply.Result().end;
    std::vector<Problem> problems;
    const auto note = [&problems](const char* code, const std::wstring& text) {
        problems.push_back(Problem{code, text, {}, {}, {}});
    };
    const std::vector<std::wstring> printers =
        OfferedPrinters([&note](const std::wstring& text) { note(codes::kPrintersUnreadable, text); });
    LiveMachineProbe probe(printers, nullptr);
    std::optional<std::vector<RegKeyData>> maps;
    if (line.Has(L"branch")) {
        const int branchNo = BranchNoOf(line.Value(L"branch"));
        if (!IsValidBranchNo(branchNo))
            return reply.Refuse(BranchRefusal(branchNo));
        for (const auto& [name, refusal] : {std::pair{L"posprinter", &kPosPrinterNotChosen},
                                            std::pair{L"backprinter", &kBackPrinterNotChosen}})
            if (!MatchPrinter(printers, line.Value(name)))
                note(refusal->code, refusal->text);
        maps = ExpectedMaps(RequestOf(line, printers, true), branchNo, InstallDirOf(probe));
    }
    std::optional<AddressImage> image;
    if (line.Has(L"header")) {
        std::optional<std::vector<std::wstring>> header = HeaderLines(line, reply);
        if (!header)
            return ExitBadCommandLine;
        image = DrawAddressImage(*header);
        if (!image)
            note(kHeaderLinesWrong.code, kHeaderLinesWrong.text);
    }
    for (Problem& problem : FindConfigurationProblems(ReadKeyTree(kProductKeyPath), probe,
                                                      {maps ? &*maps : nullptr, image ? &image->fileBytes : nullptr}))
        problems.push_back(std::move(problem));
    const int exitCode = problems.empty() ? ExitDone : ExitFailed;
    ShowProblems(std::move(problems), true, reply);
    return exitCode;
}

int RunAnalyzeCommand(const CommandLine& line, CommandReply& reply)
{
    return reply.Answer(RunJobsCommand(line, false, reply));
}

int RunSubmitCommand(const CommandLine& line, CommandReply& reply)
{
    return reply.Answer(RunJobsCommand(line, true, reply));
}

int RunSettle(const CommandLine& line, CommandReply& reply)
{
    return reply.Answer(RunSettleCommand(line, reply));
}

int RunVersionCommand(const CommandLine&, CommandReply& reply)
{
    CommandResult result;
    result.answer.push_back(WideOfUtf8Lossy(VORLA_VERSION_TEXT));
    return reply.Answer(std::move(result));
}

CommandHandler HandlerOf(CliCommand command)
{
    switch (command) {
    case CliCommand::Configure: return RunConfigure;
    case CliCommand::Upgrade: return RunUpgradeCommand;
    case CliCommand::Check: return RunCheckCommand;
    case CliCommand::Analyze: return RunAnalyzeCommand;
    case CliCommand::Submit: return RunSubmitCommand;
    case CliCommand::Settle: return RunSettle;
    case CliCommand::Version: return RunVersionCommand;
    case CliCommand::Window:
    case CliCommand::Help: break;
    }
    return nullptr;
}

}  // namespace

const CommandTable& Commands()
{
    static const CommandTable table = [] {
        CommandTable rows = CommandTableRows();
        for (CommandRow& row : rows.commands)
            row.handler = HandlerOf(row.command);
        return rows;
    }();
    return table;
}

int RunCommandLine(const CommandLineParse& parse, StdStream& out, StdStream& err, bool* wroteNothing)
{
    const bool json = parse.line.Has(L"json");
    if (!parse.row || !parse.row->handler) {
        CommandReply reply("", json, out, err);
        return reply.Finish(reply.Refuse(L"no command"));
    }
    CommandReply reply(Utf8Of(parse.row->name), json, out, err);
    int exitCode = ExitFailed;
    try {
        exitCode = parse.row->handler(parse.line, reply);
    } catch (const std::exception& e) {
        reply.Fail(codes::kUnexpectedError, ErrorText(e));
    }
    if (wroteNothing)
        *wroteNothing = reply.WroteNothing();
    return reply.Finish(exitCode);
}

int UsageInJson(StdStream& out, StdStream& err)
{
    CommandReply reply("?", true, out, err);
    CommandResult usage;
    usage.usage = UsageLines(Commands());
    return reply.Finish(reply.Answer(std::move(usage)));
}

int RefuseInJson(const std::wstring& problem, StdStream& out, StdStream& err)
{
    CommandReply reply("", true, out, err);
    return reply.Finish(reply.Refuse(problem));
}
