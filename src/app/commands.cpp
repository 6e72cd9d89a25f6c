#include "app/commands.h"

#include <functional>
#include <optional>

#include "app/job_commands.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/machine_lock.h"
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

namespace {

bool wroteNothing = false;

// Far more than five lines of a branch header.
const size_t kHeaderFileLimit = 1 << 20;

// The run's messages: its success text on standard output, every other one (warnings,
// failures) on standard error.
ShowMessageFn RunMessages(StdStream& out, StdStream& err)
{
    return [&out, &err](const std::wstring& text) {
        (text == kConfigurationDone || text == kUpgradeDone ? out : err).WriteLine(text);
    };
}

ShowMessageFn ErrorLines(StdStream& err)
{
    return [&err](const std::wstring& text) { err.WriteLine(text); };
}

// The header file's lines; a file that cannot be read refuses the command line.
std::optional<std::vector<std::wstring>> HeaderLines(const CommandLine& line, StdStream& err)
{
    try {
        return SplitTextLines(DecodeTextFile(ReadFileBytes(line.Value(L"header"), kHeaderFileLimit)));
    } catch (const AppError& e) {
        RefuseCommandLine(e.Message(), err);
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

// The preview on standard output, and with /whatif:FILE also as a .reg file in UTF-16 with a BOM,
// as regedit and the backups write it, so that "reg import FILE /reg:32" stores every character.
int WritePreview(const CommandLine& line, const std::wstring& text, StdStream& out, StdStream& err)
{
    out.Write(text);
    const std::wstring file = line.Value(L"whatif");
    if (file.empty())
        return ExitDone;
    const std::wstring content = L"\xFEFF" + text;
    if (!ReplaceFileContents(FullPathName(file), std::string(reinterpret_cast<const char*>(content.data()),
                                                             content.size() * sizeof(wchar_t)))) {
        err.WriteLine(L"Cannot create file " + file);
        return ExitFailed;
    }
    return ExitDone;
}

void PrintBackup(const MachineWriter& writer, StdStream& out)
{
    if (writer.BackupTaken())
        out.WriteLine(writer.BackupTaken()->path);
}

// After a run that ended: the checks of /check on what it left. Problems go to standard error.
int CheckWhatWasLeft(MachineProbe& probe, const CheckExpectation& expected, StdStream& err)
{
    const std::vector<std::wstring> problems = ConfigurationProblems(ReadKeyTree(kProductKeyPath), probe, expected);
    for (const std::wstring& problem : problems)
        err.WriteLine(problem);
    return problems.empty() ? ExitDone : ExitRanWithProblems;
}

void WriteLines(const std::vector<std::wstring>& lines, StdStream& stream)
{
    for (const std::wstring& text : lines)
        stream.WriteLine(text);
}

ShowMessageFn Collect(std::vector<std::wstring>& messages)
{
    return [&messages](const std::wstring& text) { messages.push_back(text); };
}

// Holds the configuration's lock for the command, waiting /wait:SECONDS (60 by default).
bool TakeLock(ConfigurationLock& lock, const CommandLine& line, StdStream& err)
{
    int seconds = static_cast<int>(kDefaultLockWaitSeconds);
    if (line.Has(L"wait"))
        ParseInt32(line.Value(L"wait"), seconds);
    if (lock.Acquire(static_cast<unsigned>(seconds)))
        return true;
    err.WriteLine(kConfigurationBusy);
    wroteNothing = true;
    return false;
}

// How a configuration command runs once it is planned: through the preview writer (true when
// it got to its end), the preview's text, and the run for real with its exit code.
struct RunSteps {
    std::function<bool(PreviewWriter&, const ShowMessageFn&)> preview;
    std::function<std::wstring(const PreviewWriter&)> previewText;
    std::function<int()> run;
};

// The text of a preview that would write nothing: an empty .reg file that says so.
std::wstring UnchangedPreview()
{
    return RegFileText({}, {}) + L"; " + kNothingChanged + L"\r\n";
}

// Nothing written: the messages (but the success text), the problems, and why, on standard error.
int RefuseBeforeWriting(const std::vector<std::wstring>& messages, const RunPlan& plan, StdStream& err)
{
    for (const std::wstring& text : messages)
        if (text != kConfigurationDone && text != kUpgradeDone)
            err.WriteLine(text);
    WriteLines(plan.problems, err);
    err.WriteLine(L"Nothing was written: the run would fail or leave the problems above (/force runs it anyway).");
    return ExitFailed;
}

// Found as it would leave it: the run's messages, the line that says so, and any problem left.
int NothingToChange(const RunPlan& plan, StdStream& out, StdStream& err)
{
    for (const std::wstring& text : plan.messages)
        RunMessages(out, err)(text);
    out.WriteLine(kNothingChanged);
    WriteLines(plan.problems, err);
    return plan.problems.empty() ? ExitDone : ExitRanWithProblems;
}

// The plan decides: a preview exits as the run would (1 when it would stop, 3 when it would
// leave problems); a run that the preview would not pass refuses before its first write
// (unless /force); a run that would change nothing writes nothing and says so.
int RunPlanned(const CommandLine& line, const RunPlan& plan, const RunSteps& steps, StdStream& out, StdStream& err)
{
    const bool whatif = line.Has(L"whatif"), force = line.Has(L"force");
    std::vector<std::wstring> messages = plan.messages;
    PreviewWriter preview;
    bool opened = true;  // everything the run would write can be opened for writing
    if (plan.done && plan.Changed() && (whatif || !force)) {
        messages.clear();
        opened = steps.preview(preview, Collect(messages));
    }
    const bool failsEarly = !plan.done || !opened;
    const int predicted = failsEarly ? ExitFailed : plan.problems.empty() ? ExitDone : ExitRanWithProblems;
    if (whatif) {
        WriteLines(messages, err);
        if (failsEarly)
            return ExitFailed;
        WriteLines(plan.problems, err);
        const int written = WritePreview(line, plan.Changed() ? steps.previewText(preview) : UnchangedPreview(), out, err);
        return written != ExitDone ? written : predicted;
    }
    wroteNothing = !plan.Changed() || (predicted != ExitDone && !force);
    if (!plan.done && !plan.Changed()) {  // the run stops before its first write, as it always did
        for (const std::wstring& text : messages)
            RunMessages(out, err)(text);
        return ExitFailed;
    }
    if (predicted != ExitDone && !force)
        return RefuseBeforeWriting(messages, plan, err);
    return plan.Changed() ? steps.run() : NothingToChange(plan, out, err);
}

int RunConfigure(const CommandLine& line, StdStream& out, StdStream& err)
{
    std::optional<std::vector<std::wstring>> header = HeaderLines(line, err);
    if (!header)
        return ExitBadCommandLine;
    const std::vector<std::wstring> printers = OfferedPrinters(ErrorLines(err));
    ConfigRequest request = RequestOf(line, printers);
    request.headerLines = *header;
    LiveMachineProbe probe(printers, nullptr);
    ConfigurationLock lock;
    if (!TakeLock(lock, line, err))
        return ExitBusy;
    ConfigResult result;
    const ConfigPlan plan = PlanConfiguration(request, probe, MachinePlanInputs(), result);
    RunSteps steps;
    steps.preview = [&](PreviewWriter& preview, const ShowMessageFn& show) {
        ConfigResult unused;
        return RunConfiguration(request, probe, preview, show, unused) == ConfigOutcome::Done;
    };
    steps.previewText = [](const PreviewWriter& preview) { return preview.Text(); };
    steps.run = [&] {
        MachineWriter writer(MachineWriter::BackupPolicy::BeforeChange);
        const ConfigOutcome outcome = RunConfiguration(request, probe, writer, RunMessages(out, err), result);
        PrintBackup(writer, out);
        if (outcome != ConfigOutcome::Done)
            return static_cast<int>(ExitFailed);
        const std::vector<RegKeyData> maps = ExpectedMaps(request, result.BranchNo, result.paths.InstallDir);
        const std::optional<AddressImage> image = DrawAddressImage(request.headerLines);
        return CheckWhatWasLeft(probe, {&maps, image ? &image->fileBytes : nullptr}, err);
    };
    return RunPlanned(line, plan, steps, out, err);
}

int RunUpgradeCommand(const CommandLine& line, StdStream& out, StdStream& err)
{
    ConfigurationLock lock;
    if (!TakeLock(lock, line, err))
        return ExitBusy;
    LiveMachineProbe probe(OfferedPrinters(ErrorLines(err)), nullptr);
    const RunPlan plan = PlanUpgrade(probe, MachinePlanInputs());
    RunSteps steps;
    steps.preview = [](PreviewWriter& preview, const ShowMessageFn& show) { return UpgradeMachine(preview, show); };
    steps.previewText = [](const PreviewWriter& preview) { return preview.RegText(); };
    steps.run = [&] {
        MachineWriter writer(MachineWriter::BackupPolicy::BeforeChange);
        const bool done = UpgradeMachine(writer, RunMessages(out, err));
        PrintBackup(writer, out);
        return done ? CheckWhatWasLeft(probe, {}, err) : static_cast<int>(ExitFailed);
    };
    return RunPlanned(line, plan, steps, out, err);
}

// Reads the configuration and the machine, writes nothing, and lists every problem on standard
// output. With a request, the maps are also compared with what /configure would write for it;
// with a header, the header images with what it draws.
int RunCheckCommand(const CommandLine& line, StdStream& out, StdStream& err)
{
    ConfigurationLock lock;
    if (!TakeLock(lock, line, err))
        return ExitBusy;
    std::vector<std::wstring> problems;
    const ShowMessageFn note = [&problems](const std::wstring& text) { problems.push_back(text); };
    const std::vector<std::wstring> printers = OfferedPrinters(note);
    LiveMachineProbe probe(printers, nullptr);
    std::optional<std::vector<RegKeyData>> maps;
    if (line.Has(L"branch")) {
        const int branchNo = BranchNoOf(line.Value(L"branch"));
        if (!IsValidBranchNo(branchNo))
            return RefuseCommandLine(BranchRefusal(branchNo), err);
        if (!MatchPrinter(printers, line.Value(L"posprinter")))
            note(L"Πρέπει να επιλέξετε εκτυπωτή POS πρώτα!");
        if (!MatchPrinter(printers, line.Value(L"backprinter")))
            note(L"Πρέπει να επιλέξετε εκτυπωτή backoffice πρώτα!");
        maps = ExpectedMaps(RequestOf(line, printers, true), branchNo, InstallDirOf(probe));
    }
    std::optional<AddressImage> image;
    if (line.Has(L"header")) {
        std::optional<std::vector<std::wstring>> header = HeaderLines(line, err);
        if (!header)
            return ExitBadCommandLine;
        image = DrawAddressImage(*header);
        if (!image)
            note(L"Χρειάζονται 5 γραμμές ακριβώς για το Υποκατάστημα!");
    }
    for (std::wstring& problem : ConfigurationProblems(ReadKeyTree(kProductKeyPath), probe,
                                                       {maps ? &*maps : nullptr, image ? &image->fileBytes : nullptr}))
        problems.push_back(std::move(problem));
    for (const std::wstring& problem : problems)
        out.WriteLine(problem);
    return problems.empty() ? ExitDone : ExitFailed;
}

int RunAnalyzeCommand(const CommandLine& line, StdStream& out, StdStream& err)
{
    return RunJobsCommand(line, false, out, err);
}

int RunSubmitCommand(const CommandLine& line, StdStream& out, StdStream& err)
{
    return RunJobsCommand(line, true, out, err);
}

CommandTable MakeCommandTable()
{
    const Need R = Need::Required, O = Need::Optional, Q = Need::Request;
    CommandTable table;
    table.switches = {
        {L"branch", Takes::Text, L"N"},          {L"pos", Takes::TextOrEmpty, L"LIST"},
        {L"back", Takes::TextOrEmpty, L"LIST"},  {L"posprinter", Takes::Text, L"NAME"},
        {L"backprinter", Takes::Text, L"NAME"},  {L"posunc", Takes::TextOrEmpty, L"PATH"},
        {L"backunc", Takes::TextOrEmpty, L"PATH"}, {L"header", Takes::Text, L"FILE"},
        {L"whatif", Takes::NothingOrText, L"FILE"}, {L"report", Takes::Text, L"FILE"},
        {L"timeout", Takes::Seconds, L"SECONDS"}, {L"force", Takes::Nothing, nullptr},
        {L"wait", Takes::Seconds, L"SECONDS"},
    };
    table.commands = {
        {CliCommand::Configure, L"configure",
         {{L"branch", R}, {L"pos", R}, {L"back", R}, {L"posprinter", R}, {L"backprinter", R}, {L"posunc", O},
          {L"backunc", O}, {L"header", R}, {L"whatif", O}, {L"force", O}, {L"wait", O}},
         nullptr, false, L"configures Vorla as \"Configure Vorla\" does, then checks what it left", RunConfigure},
        {CliCommand::Upgrade, L"upgrade", {{L"whatif", O}, {L"force", O}, {L"wait", O}}, nullptr, false,
         L"upgrades the form maps as \"Upgrade Vorla\" does, then checks what it left", RunUpgradeCommand},
        {CliCommand::Check, L"check",
         {{L"branch", Q}, {L"pos", Q}, {L"back", Q}, {L"posprinter", Q}, {L"backprinter", Q}, {L"posunc", O},
          {L"backunc", O}, {L"header", O}, {L"wait", O}},
         nullptr, true, L"writes nothing; lists every problem of the configuration, one per line", RunCheckCommand},
        {CliCommand::Analyze, L"analyze", {{L"report", O}}, L"PATH...", true,
         L"runs \"Resubmit files (analyze)\" on the paths and writes a CSV report", RunAnalyzeCommand},
        {CliCommand::Submit, L"submit", {{L"report", O}, {L"timeout", O}}, L"PATH...", false,
         L"runs \"Resubmit files (submit)\" on the paths and writes a CSV report", RunSubmitCommand},
        {CliCommand::Window, L"", {}, L"[PATH...]", false,
         L"opens the window with the rows that a drop of the paths gives", nullptr},
        {CliCommand::Help, L"?", {}, nullptr, true, L"shows this text", nullptr},
    };
    table.notes = {
        L"Switches may start with / or -, in any letter case; a value follows a colon and may be quoted.",
        L"/header:FILE holds the five lines of the branch header: UTF-8, UTF-16 with a BOM (either byte",
        L"order), or the ANSI code page.",
        L"/whatif writes nothing and prints what the run would write, as .reg text; /whatif:FILE also",
        L"writes it to FILE in UTF-16, for \"reg import FILE /reg:32\".",
        L"/check with the request switches also names the first difference from what /configure would",
        L"write, and with /header an address.bmp that differs from the image of this header.",
        L"The report is CSV (UTF-8) to FILE or standard output; /timeout ends a client that runs longer",
        L"and stops the pass.",
        L"A /configure or /upgrade that finds everything as it would leave it writes nothing, and says",
        L"\"Nothing had to change\" on standard output. Before its first write, it runs its own /whatif:",
        L"when that would exit 1 or 3, it writes nothing, lists why and exits 1; /force runs it anyway.",
        L"/whatif exits as the run would: 0, 1, or 3 with the problems it would leave on standard error.",
        L"/configure, /upgrade and /check hold one lock per machine while they read or write the",
        L"configuration; another run waits for it up to /wait:SECONDS (60 by default).",
        L"Success goes to standard output; warnings and failures go to standard error.",
        L"Exit codes: 0 done (/check: no problem); 1 a check failed, or a write or a failure stopped the",
        L"run (/check: problems), or the run refused before its first write; 2 a bad command line,",
        L"nothing ran; 3 the run ended, but the configuration it left has problems (listed on standard",
        L"error); 4 the pass ended, but its report could not be written to FILE and went to standard",
        L"output; 5 another run holds the configuration: nothing ran, try again later.",
    };
    return table;
}

}  // namespace

const CommandTable& Commands()
{
    static const CommandTable table = MakeCommandTable();
    return table;
}

int RefuseCommandLine(const std::wstring& problem, StdStream& err)
{
    err.WriteLine(L"vorlasched: " + problem);
    for (const std::wstring& usage : UsageLines(Commands()))
        err.WriteLine(usage);
    return ExitBadCommandLine;
}

bool CommandWroteNothing()
{
    return wroteNothing;
}

int RunCommandLine(const CommandLineParse& parse, StdStream& out, StdStream& err)
{
    wroteNothing = false;
    if (!parse.spec || !parse.spec->handler)
        return RefuseCommandLine(L"no command", err);
    return parse.spec->handler(parse.line, out, err);
}
