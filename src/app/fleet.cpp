#include "app/fleet.h"

#include <optional>

#include "app/job_commands.h"
#include "common/errors.h"
#include "common/fileio.h"
#include "common/locale_text.h"
#include "common/product_keys.h"
#include "common/reg_text.h"
#include "common/text.h"
#include "common/text_lines.h"
#include "config/backup.h"
#include "config/check.h"
#include "config/configure.h"
#include "config/machine.h"
#include "config/printers.h"
#include "config/upgrade.h"

namespace {

// Far more than five lines of a branch header.
const size_t kHeaderFileLimit = 1 << 20;

bool StartsWith(const std::string& bytes, const char* prefix, size_t length)
{
    return bytes.size() >= length && bytes.compare(0, length, prefix, length) == 0;
}

std::optional<std::wstring> FromUtf8(const std::string& bytes)
{
    if (bytes.empty())
        return std::wstring();
    int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                   nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        size);
    return text;
}

// The printers as the dialog's lists offer them; an enumeration that fails is shown, as the
// dialog shows it, and leaves no printer.
std::vector<std::wstring> OfferedPrinters(const ShowMessageFn& show)
{
    try {
        return SortedUniqueNames(InstalledPrinterNames());
    } catch (const AppError& e) {
        show(e.Message());
        return {};
    }
}

// The offered printer that the name means (compared as the dialog compares printer names);
// none when the machine has no such printer, as when nothing is chosen in the dialog.
std::optional<std::wstring> ChosenPrinter(const std::vector<std::wstring>& printers, const std::wstring& name)
{
    for (const std::wstring& printer : printers)
        if (SameTextLocale(printer, name))
            return printer;
    return std::nullopt;
}

// The entries that the switches give, as the dialog would hold them.
ConfigRequest RequestOf(const CommandLine& line, const std::vector<std::wstring>& printers)
{
    ConfigRequest request;
    request.branch = line.Value(L"branch");
    request.posSeries = line.Value(L"pos");
    request.backSeries = line.Value(L"back");
    request.posPrinter = ChosenPrinter(printers, line.Value(L"posprinter"));
    request.backPrinter = ChosenPrinter(printers, line.Value(L"backprinter"));
    request.uncPos = line.Value(L"posunc", kDefaultUncPos);
    request.uncBack = line.Value(L"backunc", kDefaultUncBack);
    return request;
}

int RunConfigure(const CommandLine& line, StdStream& out, StdStream& err)
{
    const ShowMessageFn show = [&err](const std::wstring& text) { err.WriteLine(text); };
    std::wstring header;
    try {
        header = DecodeHeaderFile(ReadFileBytes(line.Value(L"header"), kHeaderFileLimit));
    } catch (const AppError& e) {
        return RefuseCommandLine(e.Message(), err);
    }
    const std::vector<std::wstring> printers = OfferedPrinters(show);
    ConfigRequest request = RequestOf(line, printers);
    request.headerLines = SplitTextLines(header);

    LiveMachineProbe probe(printers, nullptr);
    ConfigPaths paths;
    if (line.whatIf) {
        PreviewWriter preview;
        const ConfigOutcome outcome = RunConfiguration(request, probe, preview, show, paths);
        if (outcome != ConfigOutcome::Done)
            return ExitFailed;
        out.Write(preview.Text());
        return ExitDone;
    }
    MachineWriter writer(MachineWriter::Backup::BeforeChange);
    const ConfigOutcome outcome = RunConfiguration(request, probe, writer, show, paths);
    if (!writer.BackupPath().empty())
        out.WriteLine(writer.BackupPath());
    return outcome == ConfigOutcome::Done ? ExitDone : ExitFailed;
}

int RunUpgradeCommand(const CommandLine& line, StdStream& out, StdStream& err)
{
    const ShowMessageFn show = [&err](const std::wstring& text) { err.WriteLine(text); };
    const UpgradeRun run = RunUpgrade(line.whatIf ? UpgradeMode::Preview : UpgradeMode::Write, show);
    if (line.whatIf && run.done)
        out.Write(RegFileText({}, run.changes));
    if (!run.backupPath.empty())
        out.WriteLine(run.backupPath);
    return run.done ? ExitDone : ExitFailed;
}

// Reads the configuration and the machine, writes nothing, and lists every problem on standard
// output. With a request, the maps are also compared with what /configure would write for it.
int RunCheckCommand(const CommandLine& line, StdStream& out, StdStream& err)
{
    std::vector<std::wstring> problems;
    const std::vector<std::wstring> printers =
        OfferedPrinters([&problems](const std::wstring& text) { problems.push_back(text); });
    LiveMachineProbe probe(printers, nullptr);
    std::optional<std::vector<RegKeyData>> expected;
    if (line.Has(L"branch")) {
        int branch = 0;
        if (!ParseInt32(line.Value(L"branch"), branch) || branch < 1 || branch > 9999)
            return RefuseCommandLine(L"/branch:" + line.Value(L"branch") + L" is no branch number from 1 to 9999", err);
        std::wstring programFiles;
        unsigned long error = 0;
        if (!probe.ProgramFilesFolder(programFiles, error))
            throw Win32Error(L"SHGetFolderPath error ", error);
        expected = ExpectedMaps(RequestOf(line, printers), branch, VorlaInstallDir(programFiles));
    }
    for (std::wstring& problem :
         ConfigurationProblems(ReadKeyTree(kProductKeyPath), probe, expected ? &*expected : nullptr))
        problems.push_back(std::move(problem));
    for (const std::wstring& problem : problems)
        out.WriteLine(problem);
    return problems.empty() ? ExitDone : ExitFailed;
}

}  // namespace

std::wstring DecodeHeaderFile(const std::string& bytes)
{
    if (StartsWith(bytes, "\xFF\xFE", 2)) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                           static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
        return text;
    }
    const std::string body = StartsWith(bytes, "\xEF\xBB\xBF", 3) ? bytes.substr(3) : bytes;
    if (std::optional<std::wstring> text = FromUtf8(body))
        return *text;
    return AnsiToWide(body);
}

int RefuseCommandLine(const std::wstring& problem, StdStream& err)
{
    err.WriteLine(L"vorlasched: " + problem);
    for (const std::wstring& usage : UsageLines())
        err.WriteLine(usage);
    return ExitBadCommandLine;
}

int RunFleetCommand(const CommandLine& line, StdStream& out, StdStream& err)
{
    switch (line.command) {
    case CliCommand::Configure:
        return RunConfigure(line, out, err);
    case CliCommand::Upgrade:
        return RunUpgradeCommand(line, out, err);
    case CliCommand::Check:
        return RunCheckCommand(line, out, err);
    case CliCommand::Analyze:
        return RunJobsCommand(line, false, out, err);
    case CliCommand::Submit:
        return RunJobsCommand(line, true, out, err);
    case CliCommand::Help:
        for (const std::wstring& usage : UsageLines())
            out.WriteLine(usage);
        return ExitDone;
    case CliCommand::Window:
        break;
    }
    return RefuseCommandLine(L"no command", err);
}
