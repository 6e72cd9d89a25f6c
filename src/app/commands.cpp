#include "app/commands.h"

#include <optional>

#include "app/job_commands.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/product_keys.h"
#include "common/reg_text.h"
#include "common/registry.h"
#include "common/text_lines.h"
#include "common/utf.h"
#include "config/address_bitmap.h"
#include "config/backup.h"
#include "config/check.h"
#include "config/configure.h"
#include "config/machine.h"
#include "config/printers.h"
#include "config/upgrade.h"

namespace {

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
        RefuseRun(e.Message(), err);
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

int RunConfigure(const CommandLine& line, StdStream& out, StdStream& err)
{
    std::optional<std::vector<std::wstring>> header = HeaderLines(line, err);
    if (!header)
        return ExitBadCommandLine;
    const std::vector<std::wstring> printers = OfferedPrinters(ErrorLines(err));
    ConfigRequest request = RequestOf(line, printers);
    request.headerLines = *header;
    LiveMachineProbe probe(printers, nullptr);
    ConfigResult result;
    if (line.Has(L"whatif")) {  // a preview changes nothing: its messages are remarks, on standard error
        PreviewWriter preview;
        if (RunConfiguration(request, probe, preview, ErrorLines(err), result) != ConfigOutcome::Done)
            return ExitFailed;
        return WritePreview(line, preview.Text(), out, err);
    }
    MachineWriter writer(MachineWriter::BackupPolicy::BeforeChange);
    const ConfigOutcome outcome = RunConfiguration(request, probe, writer, RunMessages(out, err), result);
    PrintBackup(writer, out);
    if (outcome != ConfigOutcome::Done)
        return ExitFailed;
    const std::vector<RegKeyData> maps = ExpectedMaps(request, result.BranchNo, result.paths.InstallDir);
    const std::optional<AddressImage> image = DrawAddressImage(request.headerLines);
    return CheckWhatWasLeft(probe, {&maps, image ? &image->fileBytes : nullptr}, err);
}

int RunUpgradeCommand(const CommandLine& line, StdStream& out, StdStream& err)
{
    if (line.Has(L"whatif")) {
        PreviewWriter preview;
        if (!UpgradeMachine(preview, ErrorLines(err)))
            return ExitFailed;
        return WritePreview(line, preview.RegText(), out, err);
    }
    MachineWriter writer(MachineWriter::BackupPolicy::BeforeChange);
    const bool done = UpgradeMachine(writer, RunMessages(out, err));
    PrintBackup(writer, out);
    if (!done)
        return ExitFailed;
    LiveMachineProbe probe(OfferedPrinters(ErrorLines(err)), nullptr);
    return CheckWhatWasLeft(probe, {}, err);
}

// Reads the configuration and the machine, writes nothing, and lists every problem on standard
// output. With a request, the maps are also compared with what /configure would write for it;
// with a header, the header images with what it draws.
int RunCheckCommand(const CommandLine& line, StdStream& out, StdStream& err)
{
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
        {L"timeout", Takes::Seconds, L"SECONDS"}, {L"journal", Takes::Text, L"FILE"},
    };
    table.commands = {
        {CliCommand::Configure, L"configure",
         {{L"branch", R}, {L"pos", R}, {L"back", R}, {L"posprinter", R}, {L"backprinter", R}, {L"posunc", O},
          {L"backunc", O}, {L"header", R}, {L"whatif", O}},
         nullptr, false, L"configures Vorla as \"Configure Vorla\" does, then checks what it left", RunConfigure},
        {CliCommand::Upgrade, L"upgrade", {{L"whatif", O}}, nullptr, false,
         L"upgrades the form maps as \"Upgrade Vorla\" does, then checks what it left", RunUpgradeCommand},
        {CliCommand::Check, L"check",
         {{L"branch", Q}, {L"pos", Q}, {L"back", Q}, {L"posprinter", Q}, {L"backprinter", Q}, {L"posunc", O},
          {L"backunc", O}, {L"header", O}},
         nullptr, true, L"writes nothing; lists every problem of the configuration, one per line", RunCheckCommand},
        {CliCommand::Analyze, L"analyze", {{L"report", O}}, L"PATH...", true,
         L"runs \"Resubmit files (analyze)\" on the paths and writes a CSV report", RunAnalyzeCommand},
        {CliCommand::Submit, L"submit", {{L"report", O}, {L"timeout", O}, {L"journal", O}}, L"PATH...", false,
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
        L"The report is CSV (UTF-8) to FILE or standard output, with a State column; a cell that begins",
        L"with = + - @, a tab or a CR gets a leading ' so that no spreadsheet runs it. /timeout ends a",
        L"client that runs longer and stops the pass. /journal:FILE records each job's start and end;",
        L"run again with the same FILE, /submit sends no job that FILE shows as started.",
        L"Success goes to standard output; warnings and failures go to standard error.",
        L"Exit codes: 0 done (/check: no problem); 1 a check failed, or a write or a failure stopped the",
        L"run (/check: problems); 2 a bad command line, nothing ran; 3 the run ended, but the",
        L"configuration it left has problems (listed on standard error); 4 the pass ended, but its",
        L"report could not be written to FILE and went to standard output; 6 the journal shows a job",
        L"started by an earlier run that did not see it end: it may have been submitted (uncertain).",
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

int RefuseRun(const std::wstring& problem, StdStream& err)
{
    err.WriteLine(L"vorlasched: " + problem);
    return ExitBadCommandLine;
}

int RunCommandLine(const CommandLineParse& parse, StdStream& out, StdStream& err)
{
    if (!parse.spec || !parse.spec->handler)
        return RefuseCommandLine(L"no command", err);
    return parse.spec->handler(parse.line, out, err);
}
