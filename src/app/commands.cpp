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
// "reg import FILE /reg:32" stores every character. Its changes are what the run would change.
int WritePreview(const CommandLine& line, const PreviewWriter& preview, std::wstring text, CommandReply& reply)
{
    reply.outcome().changes = preview.Changes();
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

// What the run changed, and its backup: the backup's path on standard output.
void KeepWhatWasWritten(const MachineWriter& writer, CommandReply& reply)
{
    reply.outcome().changes = writer.Changes();
    if (!writer.BackupTaken())
        return;
    reply.outcome().backup = writer.BackupTaken()->path;
    reply.PrintLine(writer.BackupTaken()->path);
    for (const std::wstring& leftover : writer.BackupTaken()->leftoversRemoved)
        reply.Show({MessageKind::Warning, codes::kBackupLeftoverRemoved,
                    L"Deleted an unfinished backup that a stopped run left: " + leftover});
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

// After a run that ended: the checks of /check on what it left. Problems go to standard error.
int CheckWhatWasLeft(MachineProbe& probe, const CheckExpectation& expected, CommandReply& reply)
{
    std::vector<Problem> problems = FindConfigurationProblems(ReadKeyTree(kProductKeyPath), probe, expected);
    const int exitCode = problems.empty() ? ExitDone : ExitRanWithProblems;
    ShowProblems(std::move(problems), false, reply);
    return exitCode;
}

// How a configuration command runs once it is planned: through the preview writer (true when
// it got to its end), the preview's text, and the run for real with its exit code.
struct RunSteps {
    std::function<bool(PreviewWriter&, const MessageLog&)> preview;
    std::function<std::wstring(const PreviewWriter&)> previewText;
    std::function<int()> run;
};

// The text of a preview that would write nothing: an empty .reg file that says so.
std::wstring UnchangedPreview()
{
    return RegFileText({}, {}) + L"; " + kNothingChanged + L"\r\n";
}

// Nothing written: the messages but the success, the problems, and why, on standard error.
int RefuseBeforeWriting(const std::vector<OutcomeMessage>& messages, const RunPlan& plan, CommandReply& reply)
{
    for (const OutcomeMessage& message : messages)
        if (message.kind != MessageKind::Success)
            reply.Show(message);
    ShowProblems(plan.problems, false, reply);
    reply.Fail(codes::kRefusedBeforeWriting,
               L"Nothing was written: the run would fail or leave the problems above (/force runs it anyway).");
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

// The plan decides: a preview exits as the run would (1 when it would stop, 3 when it would
// leave problems); a run that the preview would not pass refuses before its first write
// (unless /force); a run that would change nothing writes nothing and says so.
int RunPlanned(const CommandLine& line, const RunPlan& plan, const RunSteps& steps, CommandReply& reply)
{
    const bool whatif = line.Has(L"whatif"), force = line.Has(L"force");
    std::vector<OutcomeMessage> messages = plan.messages;
    PreviewWriter preview;
    bool opened = true;  // everything the run would write can be opened for writing
    if (plan.done && plan.Changed() && (whatif || !force)) {
        Outcome shown;
        opened = steps.preview(preview, MessageLog(shown, nullptr));
        messages = std::move(shown.messages);
    }
    const bool failsEarly = !plan.done || !opened;
    const int predicted = failsEarly ? ExitFailed : plan.problems.empty() ? ExitDone : ExitRanWithProblems;
    if (whatif) {
        reply.SetPreview({});
        reply.ShowAll(messages);
        if (failsEarly)
            return ExitFailed;
        ShowProblems(plan.problems, false, reply);
        const int written =
            WritePreview(line, preview, plan.Changed() ? steps.previewText(preview) : UnchangedPreview(), reply);
        return written != ExitDone ? written : predicted;
    }
    if (!plan.Changed() || (predicted != ExitDone && !force))
        reply.NoteNothingWritten();
    if (!plan.done && !plan.Changed()) {  // the run stops before its first write, as it always did
        reply.ShowAll(messages);
        return ExitFailed;
    }
    if (predicted != ExitDone && !force)
        return RefuseBeforeWriting(messages, plan, reply);
    return plan.Changed() ? steps.run() : NothingToChange(plan, reply);
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
    steps.preview = [&](PreviewWriter& preview, const MessageLog& log) {
        ConfigResult unused;
        return RunConfiguration(request, probe, preview, log, unused) == ConfigOutcome::Done;
    };
    steps.previewText = [](const PreviewWriter& preview) { return preview.Text(); };
    steps.run = [&] {
        MachineWriter writer(MachineWriter::BackupPolicy::BeforeChange);
        Outcome run;
        const ConfigOutcome outcome = RunConfiguration(request, probe, writer, MessageLog(run, nullptr), result);
        reply.ShowAll(run.messages);
        KeepWhatWasWritten(writer, reply);
        if (outcome != ConfigOutcome::Done)
            return static_cast<int>(ExitFailed);
        const std::vector<RegKeyData> maps = ExpectedMaps(request, result.BranchNo, result.paths.InstallDir);
        const std::optional<AddressImage> image = DrawAddressImage(request.headerLines);
        return CheckWhatWasLeft(probe, {&maps, image ? &image->fileBytes : nullptr}, reply);
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
    steps.preview = [](PreviewWriter& preview, const MessageLog& log) { return UpgradeMachine(preview, log); };
    steps.previewText = [](const PreviewWriter& preview) { return preview.RegText(); };
    steps.run = [&] {
        MachineWriter writer(MachineWriter::BackupPolicy::BeforeChange);
        Outcome run;
        const bool done = UpgradeMachine(writer, MessageLog(run, nullptr));
        reply.ShowAll(run.messages);
        KeepWhatWasWritten(writer, reply);
        return done ? CheckWhatWasLeft(probe, {}, reply) : static_cast<int>(ExitFailed);
    };
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
