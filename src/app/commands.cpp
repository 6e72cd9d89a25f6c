#include "app/commands.h"

#include <functional>
#include <optional>

#include "app/command_reply.h"
#include "app/job_commands.h"
#include "app/lock_wait.h"
#include "common/codes.h"
#include "common/error_text.h"
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
#include "config/desired.h"
#include "config/machine.h"
#include "config/printers.h"
#include "config/show.h"
#include "config/policy.h"
#include "vorla_version.h"

namespace {

// Far more than five lines of a branch header.
const size_t kHeaderFileLimit = 1 << 20;

void Keep(const OutcomeMessage& message, CommandResult& result)
{
    result.outcome.messages.push_back(message);
}


// The printers' enumeration failures, as warnings.
ShowMessageFn PrinterFailures(CommandResult& result)
{
    return [&result](const std::wstring& text) { Keep({MessageKind::Warning, codes::kPrintersUnreadable, text}, result); };
}

// The header file's text: in the code page that /headercp names, without a guess, or as its
// BOM or bytes tell. Throws AppError when the machine has no such code page or the bytes are
// not text in it.
std::wstring HeaderText(const CommandLine& line)
{
    const std::string bytes = ReadFileBytes(*line.switches.header, kHeaderFileLimit);
    if (!line.switches.headercp)
        return DecodeTextFile(bytes);
    const unsigned codePage = line.switches.headercp->number;
    if (!IsKnownCodePage(codePage))
        throw AppError(L"/headercp:" + line.switches.headercp->given + L": this machine has no code page " +
                       DecimalText(codePage));
    const bool utf8Bom = codePage == 65001 && bytes.rfind("\xEF\xBB\xBF", 0) == 0;
    try {
        return DecodeInCodePage(std::string_view(bytes).substr(utf8Bom ? 3 : 0), codePage);
    } catch (const TextFileRefused& e) {
        throw AppError(L"/header:" + *line.switches.header + L": " + e.Message() + L" (/headercp:" +
                       line.switches.headercp->given + L")");
    }
}

// The header file's lines; a file that cannot be read, or whose encoding is unclear, refuses the
// command line.
std::optional<std::vector<std::wstring>> HeaderLines(const CommandLine& line, CommandResult& result)
{
    try {
        return SplitTextLines(HeaderText(line));
    } catch (const TextFileRefused& e) {  // read, but neither UTF-8 nor ANSI text: never guessed at
        result = Refused(std::move(result),
                         L"/header:" + *line.switches.header + L": " + e.Message() +
                             L"; or say what it is with /headercp:CODEPAGE",
                         codes::kHeaderRefused);
        return std::nullopt;
    } catch (const AppError& e) {
        result = Refused(std::move(result), e.Message(), codes::kHeaderRefused);
        return std::nullopt;
    }
}

// The entries that the switches give, as the dialog would hold them: a printer the machine does
// not have is not chosen, unless keepUnknownPrinters keeps it as typed (for a comparison).
ConfigRequest RequestOf(const CommandLine& line, const std::vector<std::wstring>& printers,
                        bool keepUnknownPrinters = false)
{
    auto printer = [&](const std::optional<std::wstring>& given) -> std::optional<std::wstring> {
        std::optional<std::wstring> match = MatchPrinter(printers, given.value_or(L""));
        return match || !keepUnknownPrinters ? match : given;
    };
    ConfigRequest request;
    request.branch = line.switches.branch.value_or(L"");
    request.posSeries = line.switches.pos.value_or(L"");
    request.backSeries = line.switches.back.value_or(L"");
    request.posPrinter = printer(line.switches.posprinter);
    request.backPrinter = printer(line.switches.backprinter);
    request.uncPos = line.switches.posunc.value_or(kDefaultUncPos);
    request.uncBack = line.switches.backunc.value_or(kDefaultUncBack);
    return request;
}

// A series list that the request check refuses refuses the command line, naming the switch.
bool SeriesRefused(const RequestCheck& check, CommandResult& result)
{
    if (!check.series)
        return false;
    result = Refused(std::move(result), SeriesFaultSwitchText(*check.series), codes::kSeriesRefused);
    return true;
}

std::wstring InstallDirOf(MachineProbe& probe)
{
    std::wstring programFiles;
    unsigned long error = 0;
    if (!probe.ProgramFilesFolder(programFiles, error))
        throw Win32Error(L"SHGetFolderPath error ", error);
    return VorlaInstallDir(programFiles);
}

// The preview's text in the result, and with /whatif:FILE also as a .reg file in UTF-16 with a
// BOM, as regedit and the backups write it, so that "reg import FILE /reg:32" stores every
// character.
int WritePreview(const CommandLine& line, const std::wstring& text, CommandResult& result)
{
    if (!text.empty())
        result.preview = text;
    const std::wstring file = line.switches.whatif.value_or(L"");
    if (file.empty())
        return ExitDone;
    if (!ReplaceFileContents(FullPathName(file), Utf16FileBytes(text))) {
        Keep({MessageKind::Failure, codes::kPreviewNotWritten, CreateFileFailure(file).Message()}, result);
        return ExitFailed;
    }
    return ExitDone;
}

void KeepProblems(std::vector<Problem> problems, CommandResult& result)
{
    for (Problem& problem : problems)
        result.outcome.problems.push_back(std::move(problem));
}

// The run as the plan decides it (config/policy.h), kept in the result: a preview exits as the run
// would, and with /whatif:FILE leaves its .reg file.
int RunPlannedCommand(const CommandLine& line, const RunPlan& plan, RunRules rules, CommandResult& result)
{
    rules.preview = line.switches.whatif.has_value();
    rules.force = line.switches.force;
    rules.remarks = true;
    PlannedRun run = RunPlanned(plan, rules, MessageLog(result.outcome, nullptr));
    result.whatif = rules.preview;
    result.wroteNothing = run.wroteNothing;
    result.outcome.changes = std::move(run.changes);
    result.outcome.problems = std::move(run.problems);
    result.conclusion = std::move(run.conclusion);
    if (run.backup)
        result.outcome.backup = run.backup->path;
    const int end = run.end == RunEnd::Done ? ExitDone : run.end == RunEnd::Failed ? ExitFailed : ExitRanWithProblems;
    if (!run.previewText)
        return end;
    const int written = WritePreview(line, *run.previewText, result);
    return written != ExitDone ? written : end;
}

int Configure(const CommandLine& line, CommandResult& result)
{
    std::optional<std::vector<std::wstring>> header = HeaderLines(line, result);
    if (!header)
        return ExitBadCommandLine;
    const std::vector<std::wstring> printers = OfferedPrinters(PrinterFailures(result));
    ConfigRequest request = RequestOf(line, printers);
    request.headerLines = *header;
    if (SeriesRefused(CheckRequest(request), result))
        return ExitBadCommandLine;
    LiveMachineProbe probe(printers, nullptr);
    ConfigurationLock lock;
    if (!TakeLock(lock, line, result))
        return result.end;
    ConfigResult configured;
    const ConfigPlan plan = PlanConfiguration(request, probe, MachinePlanInputs(), configured);
    RunRules rules;
    rules.filesInPreview = true;
    rules.replan = [&]() -> RunPlan {
        ConfigResult again;
        return PlanConfiguration(request, probe, MachinePlanInputs(), again);
    };
    return RunPlannedCommand(line, plan, rules, result);
}

int Upgrade(const CommandLine& line, CommandResult& result)
{
    ConfigurationLock lock;
    if (!TakeLock(lock, line, result))
        return result.end;
    LiveMachineProbe probe(OfferedPrinters(PrinterFailures(result)), nullptr);
    const RunPlan plan = PlanUpgrade(probe, MachinePlanInputs());
    RunRules rules;
    rules.replan = [&] { return PlanUpgrade(probe, MachinePlanInputs()); };
    return RunPlannedCommand(line, plan, rules, result);
}

// Reads the configuration and the machine, writes nothing, and lists every problem. With a
// request, the maps are also compared with what /configure would write for it; with a header,
// the header images with what it draws.
int Check(const CommandLine& line, CommandResult& result)
{
    std::vector<Problem> problems;
    const auto note = [&problems](const char* code, const std::wstring& text) {
        problems.push_back(Problem{code, text, {}, {}, {}});
    };
    const std::vector<std::wstring> printers =
        OfferedPrinters([&note](const std::wstring& text) { note(codes::kPrintersUnreadable, text); });
    LiveMachineProbe probe(printers, nullptr);
    std::optional<DesiredState> desired;
    std::vector<std::wstring> missingTemplates;
    if (line.switches.branch) {
        const RequestCheck check = CheckRequest(RequestOf(line, printers, true));
        if (SeriesRefused(check, result))
            return ExitBadCommandLine;
        if (!check.request) {
            result = Refused(std::move(result), check.text, codes::kCommandLineRefused, RefusalShown::WithUsage);
            return ExitBadCommandLine;
        }
        for (const auto& [printer, refusal] : {std::pair{&Switches::posprinter, &kPosPrinterNotChosen},
                                               std::pair{&Switches::backprinter, &kBackPrinterNotChosen}})
            if (!MatchPrinter(printers, (line.switches.*printer).value_or(L"")))
                note(refusal->code, refusal->text);
        const TemplateFacts templates = TemplatesIn(probe, probe.ProgramFolder());
        MachinePaths paths;
        paths.InstallDir = InstallDirOf(probe);
        desired = Desired(*check.request, paths, {}, templates);
        missingTemplates = MissingTemplates(*check.request, templates, probe.ProgramFolder());
    }
    ConfigurationLock lock;
    if (!TakeLock(lock, line, result))
        return result.end;
    std::optional<AddressImage> image;
    if (line.switches.header) {
        std::optional<std::vector<std::wstring>> header = HeaderLines(line, result);
        if (!header)
            return ExitBadCommandLine;
        image = DrawAddressImage(*header);
        if (!image)
            note(kHeaderLinesWrong.code, kHeaderLinesWrong.text);
    }
    for (Problem& problem :
         FindConfigurationProblems(ReadKeyTree(kProductKeyPath), probe,
                                   {desired ? &*desired : nullptr, image ? &image->fileBytes : nullptr, missingTemplates}))
        problems.push_back(std::move(problem));
    const int exitCode = problems.empty() ? ExitDone : ExitFailed;
    KeepProblems(std::move(problems), result);
    return exitCode;
}

// The switch as a command line holds it: quoted when its value holds a blank.
std::wstring SwitchText(const std::string& name, const std::wstring& value)
{
    const std::wstring text = L"/" + WideOfUtf8Lossy(name) + L":" + value;
    return value.find_first_of(L" \t") == std::wstring::npos ? text : L"\"" + text + L"\"";
}

// Reads the configuration, writes nothing, and answers with the /configure switches that give it
// (the header aside, which the registry does not keep), or why no request gives it.
int Show(const CommandLine& line, CommandResult& result)
{
    LiveMachineProbe probe({}, nullptr);
    std::wstring programFiles;
    unsigned long error = 0;
    if (!probe.ProgramFilesFolder(programFiles, error))
        throw Win32Error(L"SHGetFolderPath error ", error);
    ConfigurationLock lock;
    if (!TakeLock(lock, line, result))
        return result.end;
    std::vector<RegKeyData> tree;
    try {
        tree = ReadKeyTree(kProductKeyPath);
    } catch (const AppError&) {
        // unreadable counts as not there
    }
    const ShownRequest shown = ShowRequest(tree, VorlaInstallDir(programFiles), GhostscriptPathOf(programFiles));
    if (!shown.request) {
        KeepProblems({Problem{codes::kNotARequest, shown.whyNone, {}, {}, {}}}, result);
        return ExitFailed;
    }
    result.request = RequestSwitches(*shown.request);
    for (const auto& [name, value] : *result.request)
        result.answer.push_back(SwitchText(name, value));
    return ExitDone;
}

CommandResult RunShowCommand(const CommandLine& line, ResultSink&)
{
    return Guarded([&line](CommandResult& result) { return Show(line, result); });
}

CommandResult RunConfigure(const CommandLine& line, ResultSink&)
{
    return Guarded([&line](CommandResult& result) { return Configure(line, result); });
}

CommandResult RunUpgradeCommand(const CommandLine& line, ResultSink&)
{
    return Guarded([&line](CommandResult& result) { return Upgrade(line, result); });
}

CommandResult RunCheckCommand(const CommandLine& line, ResultSink&)
{
    return Guarded([&line](CommandResult& result) { return Check(line, result); });
}

CommandResult RunAnalyzeCommand(const CommandLine& line, ResultSink& sink)
{
    return RunJobsCommand(line, false, sink);
}

CommandResult RunSubmitCommand(const CommandLine& line, ResultSink& sink)
{
    return RunJobsCommand(line, true, sink);
}

CommandResult RunVersionCommand(const CommandLine&, ResultSink&)
{
    CommandResult result;
    result.answer.push_back(WideOfUtf8Lossy(VORLA_VERSION_TEXT));
    return result;
}

CommandHandler HandlerOf(CliCommand command)
{
    switch (command) {
    case CliCommand::Configure: return RunConfigure;
    case CliCommand::Upgrade: return RunUpgradeCommand;
    case CliCommand::Check: return RunCheckCommand;
    case CliCommand::Show: return RunShowCommand;
    case CliCommand::Analyze: return RunAnalyzeCommand;
    case CliCommand::Submit: return RunSubmitCommand;
    case CliCommand::Settle: return RunSettleCommand;
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
    const bool known = parse.row && parse.row->handler;
    CommandReply reply(known ? Utf8Of(parse.row->name) : std::string(), parse.line.switches.json, out, err);
    CommandResult result;
    if (!known)
        result = Refused({}, L"no command", codes::kCommandLineRefused, RefusalShown::WithUsage);
    else
        try {
            result = parse.row->handler(parse.line, reply);
        } catch (const std::exception& e) {
            result = Failed({}, codes::kUnexpectedError, ErrorText(e));
        }
    const int exitCode = reply.Answer(std::move(result));
    if (wroteNothing)
        *wroteNothing = reply.WroteNothing();
    return reply.Finish(exitCode);
}

int AnswerUsage(bool json, StdStream& out, StdStream& err)
{
    CommandReply reply("?", json, out, err);
    CommandResult usage;
    usage.usage = UsageLines(Commands());
    return reply.Finish(reply.Answer(std::move(usage)));
}

int RefuseInJson(const CommandLineParse& parse, StdStream& out, StdStream& err)
{
    CommandReply reply(parse.row ? Utf8Of(parse.row->name) : std::string(), true, out, err);
    return reply.Finish(reply.Answer(Refused({}, parse.problem, codes::kCommandLineRefused, RefusalShown::WithUsage)));
}
