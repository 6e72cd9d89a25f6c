#include "config/configure.h"

#include "common/codes.h"
#include "common/errors.h"
#include "common/locale_text.h"
#include "common/outcome.h"
#include "common/product_keys.h"
#include "common/text.h"

#include <utility>

const wchar_t kConfigurationDone[] = L"Η εντολή ολοκληρώθηκε";
const Refusal kPosPrinterNotChosen{codes::kPosPrinterNotChosen, L"Πρέπει να επιλέξετε εκτυπωτή POS πρώτα!"};
const Refusal kBackPrinterNotChosen{codes::kBackPrinterNotChosen, L"Πρέπει να επιλέξετε εκτυπωτή backoffice πρώτα!"};
const Refusal kHeaderLinesWrong{codes::kHeaderLinesWrong, L"Χρειάζονται 5 γραμμές ακριβώς για το Υποκατάστημα!"};
const wchar_t kDefaultUncPos[] = L"\\\\vorla-fs\\STORE_FILES$\\POS";
const wchar_t kDefaultUncBack[] = L"\\\\vorla-fs\\STORE_FILES$\\BACK";

namespace {

const wchar_t kPdfPrinter[] = L"CutePDF Writer";
const wchar_t kBarcodeFont[] = L"Free 3 of 9 Extended";
const size_t kHeaderLines = 5;

std::wstring WithTrailingSeparator(std::wstring path)
{
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/'))
        path += L'\\';
    return path;
}


}  // namespace

MapSettings SettingsOf(const Request& request, const MachinePaths& paths)
{
    MapSettings settings;
    settings.BranchNo = request.branch;
    settings.InstallDir = paths.InstallDir;
    settings.ProgramDir = paths.ProgramDir;
    settings.EscSourcePath = paths.EscSourcePath;
    settings.PosPrinter = request.posPrinter;
    settings.BackPrinter = request.backPrinter;
    settings.UncPos = request.uncPos;
    settings.UncBack = request.uncBack;
    settings.AddressLines = request.headerLines;
    return settings;
}

std::optional<std::wstring> MatchPrinter(const std::vector<std::wstring>& printers, const std::wstring& name)
{
    for (const std::wstring& printer : printers)
        if (SameTextLocale(printer, name))
            return printer;
    return std::nullopt;
}

std::vector<std::wstring> ProductValueNames()
{
    std::vector<std::wstring> names;
    for (const LayoutValue& row : kProductValues)
        names.push_back(row.name);
    return names;
}

namespace {

// The entries checked as the request they make; the first refusal stops the run before anything
// is written. The two UNC warnings only warn, and come first.
std::optional<Request> EntriesAccepted(const ConfigRequest& request, const MessageLog& log)
{
    // An empty UNC field only warns: its maps get an empty output folder.
    if (request.uncPos.empty())
        log(MessageKind::Warning, codes::kPosUncEmpty, L"Δεν δηλώσατε UNC path (POS). Η εγκατάσταση θα προχωρήσει χωρίς αυτό!");
    if (request.uncBack.empty())
        log(MessageKind::Warning, codes::kBackUncEmpty,
            L"Δεν δηλώσατε UNC path (BackOffice). Η εγκατάσταση θα προχωρήσει χωρίς αυτό!");
    RequestCheck check = CheckRequest(request);
    if (!check.request)
        log(MessageKind::Failure, check.code, check.text);
    return std::move(check.request);
}

// The first map folder of a type gets its own files; the later ones link to them.
void FillMapFolder(const MapSettings& settings, const std::wstring& type, const std::wstring& folder,
                   const std::wstring& firstFolder, bool first, ConfigWriter& writer, const ShowMessageFn& show)
{
    const std::wstring xmlName = MapXmlName(type);
    if (first) {
        writer.CopyNew(settings.EscSourcePath, folder + L"\\" + kEscFileName);
        writer.CopyNew(settings.ProgramDir + L"\\" + kLogoFileName, folder + L"\\" + kLogoFileName);
        writer.DrawAddress(folder + L"\\" + kAddressFileName, settings.AddressLines, show);
        writer.CopyNew(settings.ProgramDir + L"\\" + TemplateXmlName(type), folder + L"\\" + xmlName);
        return;
    }
    for (const std::wstring& name : {std::wstring(kEscFileName), std::wstring(kLogoFileName),
                                     std::wstring(kAddressFileName), xmlName})
        writer.LinkNew(firstFolder + L"\\" + name, folder + L"\\" + name);
}

}  // namespace

MachineCheck CheckMachine(const ConfigRequest& request, MachineProbe& probe, MachinePaths& paths,
                          const ShowMessageFn& show)
{
    Outcome outcome;
    return CheckMachine(request, probe, paths, MessageLog(outcome, show));
}

MachineCheck CheckMachine(const ConfigRequest& request, MachineProbe& probe, MachinePaths& paths,
                          const MessageLog& log)
{
    const auto refuse = [&log](const char* code, const std::wstring& text) {
        log(MessageKind::Failure, code, text);
        return MachineCheck::Refused;
    };
    paths.ProgramDir = probe.ProgramFolder();
    std::wstring programFiles;
    unsigned long error = 0;
    if (!probe.ProgramFilesFolder(programFiles, error))
        return refuse(codes::kProgramFilesUnknown, Win32Error(L"SHGetFolderPath error ", error).Message());
    paths.InstallDir = VorlaInstallDir(programFiles);
    paths.GhostscriptPath = GhostscriptPathOf(programFiles);
    if (!probe.IsFolder(paths.InstallDir))
        return refuse(codes::kInstallFolderMissing, L"Ο κατάλογος " + paths.InstallDir + L" δεν υπάρχει!");
    if (!probe.IsFile(paths.GhostscriptPath))
        return refuse(codes::kGhostscriptMissing, L"Πρέπει να εγκαταστήσετε το GhostScript 9.0 πρώτα!");
    paths.EscSourcePath = paths.ProgramDir + L"\\generic_ab.esc";
    if (!probe.IsFile(paths.EscSourcePath))
        return refuse(codes::kEscFileMissing, L"Δεν βρέθηκε το αρχείο " + paths.EscSourcePath);
    if (!MatchPrinter(probe.Printers(), kPdfPrinter)) {
        log(MessageKind::Failure, codes::kPdfPrinterMissing, L"Εγκαταστήστε πρώτα τον εκτυπωτή CutePDF Writer!");
        return MachineCheck::LacksPrinterOrFont;
    }
    if (!probe.HasFontFamily(kBarcodeFont)) {
        log(MessageKind::Failure, codes::kBarcodeFontMissing, L"Εγκαταστήστε πρώτα τo font Free 3 of 9 Extended");
        return MachineCheck::LacksPrinterOrFont;
    }
    if (request.headerLines.size() != kHeaderLines)
        return refuse(kHeaderLinesWrong.code, kHeaderLinesWrong.text);
    return MachineCheck::Passed;
}

ConfigOutcome RunConfiguration(const ConfigRequest& request, MachineProbe& probe, ConfigWriter& writer,
                               const ShowMessageFn& show, ConfigResult& result, const ProductRoot& root)
{
    Outcome outcome;
    return RunConfiguration(request, probe, writer, MessageLog(outcome, show), result, root);
}

ConfigOutcome RunConfiguration(const ConfigRequest& request, MachineProbe& probe, ConfigWriter& writer,
                               const MessageLog& log, ConfigResult& result, const ProductRoot& root)
{
    switch (CheckMachine(request, probe, result.paths, log)) {
    case MachineCheck::Refused:
        return ConfigOutcome::MachineRefused;
    case MachineCheck::LacksPrinterOrFont:
        return ConfigOutcome::MachineLacksPrinterOrFont;
    case MachineCheck::Passed:
        break;
    }
    result.BranchNo = BranchNoOf(request.branch);
    const std::optional<Request> checked = EntriesAccepted(request, log);
    if (!checked)
        return ConfigOutcome::EntriesRefused;
    // One guard for the whole write: the first error stops it, and what was written stays. The
    // step under way names the failure's code.
    const char* step = codes::kBackupFailed;
    try {
        writer.Backup(ProductValueNames());
        step = codes::kProductWriteFailed;
        writer.WriteKey(root.key, ResolveProductValues(result.paths.GhostscriptPath));
        step = codes::kMapsRemoveFailed;
        writer.RemoveKeyTree(root.MapsKey());
        step = codes::kMapWriteFailed;
        const MapWriteOptions options{SettingsOf(*checked, result.paths), &probe, &writer,
                                      log.As(MessageKind::Warning, codes::kTemplateMissing), root,
                                      log.As(MessageKind::Warning, codes::kAddressImageNotWritten)};
        int mapCounter = 0;
        for (const auto& [series, type] : {std::pair{&checked->pos, L"POS"}, std::pair{&checked->back, L"BACK"}}) {
            std::wstring last = WriteMapsWith(options, *series, type, mapCounter);
            if (!last.empty())
                result.MapDir = last;
        }
    } catch (const AppError& e) {
        log(MessageKind::Failure, step, e.Message());
        return ConfigOutcome::Failed;
    }
    log(MessageKind::Success, codes::kConfigurationDone, kConfigurationDone);
    return ConfigOutcome::Done;
}

std::wstring VorlaInstallDir(const std::wstring& programFiles)
{
    return WithTrailingSeparator(programFiles) + L"Kelvane\\Kelvane Vorla";
}

std::wstring GhostscriptPathOf(const std::wstring& programFiles)
{
    return WithTrailingSeparator(programFiles) + L"gs\\gs9.14\\bin\\gswin32c.exe";
}

std::wstring MapKeyPath(int mapNumber)
{
    return ProductRoot().MapKey(mapNumber);
}

std::wstring MapSectionKeyPath(int mapNumber, const wchar_t* section)
{
    return ProductRoot().MapSectionKey(mapNumber, section);
}

std::wstring WriteMapsWith(const MapWriteOptions& options, const std::vector<int>& series,
                           const std::wstring& mapType, int& mapCounter)
{
    const MapSettings& settings = options.settings;
    ConfigWriter& writer = *options.writer;
    const std::wstring templatePath = settings.ProgramDir + L"\\" + TemplateXmlName(mapType);
    if (options.probe && !options.probe->IsFile(templatePath)) {
        options.show(L"Δεν βρέθηκε το αρχείο " + templatePath);
        return {};
    }

    const bool pos = IsPosType(mapType);
    std::wstring firstFolder, folder;
    for (size_t i = 0; i < series.size(); ++i) {
        const int n = ++mapCounter;
        folder = MapFolderPath(settings.InstallDir, settings.BranchNo, series[i]);
        writer.MakeFolder(folder);
        if (i == 0)
            firstFolder = folder;
        FillMapFolder(settings, mapType, folder, firstFolder, i == 0, writer,
                      options.showDrawing ? options.showDrawing : options.show);

        // The alias names the series as the number it is ("01" gives AB_POS1).
        const MapFacts facts{mapType,
                             DecimalText(series[i]),
                             settings.BranchNo,
                             folder,
                             pos ? settings.PosPrinter : settings.BackPrinter,
                             pos ? settings.UncPos : settings.UncBack,
                             {}};
        writer.WriteKey(options.root.MapKey(n), ResolveValues(kMapValues, facts));
        writer.WriteKey(options.root.MapSectionKey(n, kMasterSubkey), ResolveValues(kMasterValues, facts));
        writer.WriteKey(options.root.MapSectionKey(n, kCopySubkey), ResolveValues(kCopyValues, facts));
    }
    return folder;
}
