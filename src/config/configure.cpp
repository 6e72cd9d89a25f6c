#include "config/configure.h"

#include "common/errors.h"
#include "common/locale_text.h"
#include "common/product_keys.h"
#include "common/text.h"

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

bool HasPrinter(MachineProbe& probe, const wchar_t* name)
{
    for (const std::wstring& printer : probe.Printers())
        if (SameTextLocale(printer, name))
            return true;
    return false;
}

}  // namespace

MapSettings SettingsOf(const ConfigRequest& request, const ConfigPaths& paths)
{
    MapSettings settings;
    settings.BranchNo = paths.BranchNo;
    settings.InstallDir = paths.InstallDir;
    settings.ProgramDir = paths.ProgramDir;
    settings.EscSourcePath = paths.EscSourcePath;
    settings.PosPrinter = request.posPrinter.value_or(L"");
    settings.BackPrinter = request.backPrinter.value_or(L"");
    settings.UncPos = request.uncPos;
    settings.UncBack = request.uncBack;
    settings.AddressLines = request.headerLines;
    return settings;
}

namespace {

// The entries that stop the run before anything is written; the two UNC warnings only warn.
bool EntriesAccepted(const ConfigRequest& request, ConfigPaths& paths, const ShowMessageFn& show)
{
    // An empty UNC field only warns: its maps get an empty output folder.
    if (request.uncPos.empty())
        show(L"Δεν δηλώσατε UNC path (POS). Η εγκατάσταση θα προχωρήσει χωρίς αυτό!");
    if (request.uncBack.empty())
        show(L"Δεν δηλώσατε UNC path (BackOffice). Η εγκατάσταση θα προχωρήσει χωρίς αυτό!");
    int branch = 0;
    paths.BranchNo = ParseInt32(request.branch, branch) ? branch : 0;
    if (paths.BranchNo < 1 || paths.BranchNo > 9999) {
        show(L"Δεν μπορείτε να δημιουργήσετε το υποκ/μα " + DecimalText(paths.BranchNo));
        return false;
    }
    if (!request.posPrinter) {
        show(L"Πρέπει να επιλέξετε εκτυπωτή POS πρώτα!");
        return false;
    }
    if (!request.backPrinter) {
        show(L"Πρέπει να επιλέξετε εκτυπωτή backoffice πρώτα!");
        return false;
    }
    return true;
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

MachineCheck CheckMachine(const ConfigRequest& request, MachineProbe& probe, ConfigPaths& paths,
                          const ShowMessageFn& show)
{
    paths.ProgramDir = probe.ProgramFolder();
    std::wstring programFiles;
    unsigned long error = 0;
    if (!probe.ProgramFilesFolder(programFiles, error)) {
        show(Win32Error(L"SHGetFolderPath error ", error).Message());
        return MachineCheck::Failed;
    }
    paths.InstallDir = VorlaInstallDir(programFiles);
    paths.GhostscriptPath = WithTrailingSeparator(programFiles) + L"gs\\gs9.14\\bin\\gswin32c.exe";
    if (!probe.IsFolder(paths.InstallDir)) {
        show(L"Ο κατάλογος " + paths.InstallDir + L" δεν υπάρχει!");
        return MachineCheck::Failed;
    }
    if (!probe.IsFile(paths.GhostscriptPath)) {
        show(L"Πρέπει να εγκαταστήσετε το GhostScript 9.0 πρώτα!");
        return MachineCheck::Failed;
    }
    paths.EscSourcePath = paths.ProgramDir + L"\\generic_ab.esc";
    if (!probe.IsFile(paths.EscSourcePath)) {
        show(L"Δεν βρέθηκε το αρχείο " + paths.EscSourcePath);
        return MachineCheck::Failed;
    }
    if (!HasPrinter(probe, kPdfPrinter)) {
        show(L"Εγκαταστήστε πρώτα τον εκτυπωτή CutePDF Writer!");
        return MachineCheck::FailedAskingClose;
    }
    if (!probe.HasFontFamily(kBarcodeFont)) {
        show(L"Εγκαταστήστε πρώτα τo font Free 3 of 9 Extended");
        return MachineCheck::FailedAskingClose;
    }
    if (request.headerLines.size() != kHeaderLines) {
        show(L"Χρειάζονται 5 γραμμές ακριβώς για το Υποκατάστημα!");
        return MachineCheck::Failed;
    }
    return MachineCheck::Passed;
}

ConfigOutcome RunConfiguration(const ConfigRequest& request, MachineProbe& probe, ConfigWriter& writer,
                               const ShowMessageFn& show, ConfigPaths& paths)
{
    switch (CheckMachine(request, probe, paths, show)) {
    case MachineCheck::Failed:
        return ConfigOutcome::Cancelled;
    case MachineCheck::FailedAskingClose:
        return ConfigOutcome::CancelledAskingClose;
    case MachineCheck::Passed:
        break;
    }
    if (!EntriesAccepted(request, paths, show))
        return ConfigOutcome::Invalid;
    // One guard for the whole write: the first error stops it, and what was written stays.
    try {
        writer.KeepWayBack();
        writer.WriteKey(kProductKeyPath, ResolveProductValues(paths.GhostscriptPath));
        writer.RemoveKeyTree(kMapsKeyPath);
        const MapSettings settings = SettingsOf(request, paths);
        int mapCounter = 0;
        WriteMapsWith(settings, request.posSeries, L"POS", mapCounter, paths.MapDir, probe, writer, show);
        WriteMapsWith(settings, request.backSeries, L"BACK", mapCounter, paths.MapDir, probe, writer, show);
    } catch (const AppError& e) {
        show(e.Message());
        return ConfigOutcome::Failed;
    }
    show(L"Η εντολή ολοκληρώθηκε");
    return ConfigOutcome::Done;
}

std::wstring VorlaInstallDir(const std::wstring& programFiles)
{
    return WithTrailingSeparator(programFiles) + L"Kelvane\\Kelvane Vorla";
}

RegValueData RegDataOf(const RegValue& value)
{
    if (value.kind == RegKind::Text)
        return RegTextValue(value.name, value.text);
    return RegDwordValue(value.name, value.kind == RegKind::Flag ? (value.number != 0 ? 1 : 0) : value.number);
}

std::wstring LocalMachinePath(const std::wstring& path)
{
    return L"HKEY_LOCAL_MACHINE\\" + path;
}

std::wstring MapKeyPath(int mapNumber)
{
    return std::wstring(kMapsKeyPath) + L"\\" + DecimalText(mapNumber);
}

std::wstring MapSectionKeyPath(int mapNumber, const wchar_t* section)
{
    return MapKeyPath(mapNumber) + L"\\" + section;
}

void WriteMapsWith(const MapSettings& settings, const std::wstring& seriesText, const std::wstring& mapType,
                   int& mapCounter, std::wstring& MapDir, MachineProbe& probe, ConfigWriter& writer,
                   const ShowMessageFn& show)
{
    const std::vector<std::wstring> items = SplitList(seriesText, L",");
    const std::wstring templatePath = settings.ProgramDir + L"\\" + TemplateXmlName(mapType);
    if (!probe.IsFile(templatePath)) {
        show(L"Δεν βρέθηκε το αρχείο " + templatePath);
        return;
    }

    const bool pos = IsPosType(mapType);
    std::wstring firstFolder;
    for (size_t i = 0; i < items.size(); ++i) {
        const int n = ++mapCounter;
        MapDir = MapFolderPath(settings.InstallDir, settings.BranchNo, SeriesNumber(items[i]));
        writer.MakeFolder(MapDir);
        if (i == 0)
            firstFolder = MapDir;
        FillMapFolder(settings, mapType, MapDir, firstFolder, i == 0, writer, show);

        const MapFacts facts{mapType,
                             items[i],
                             settings.BranchNo,
                             MapDir,
                             pos ? settings.PosPrinter : settings.BackPrinter,
                             pos ? settings.UncPos : settings.UncBack,
                             {}};
        writer.WriteKey(MapKeyPath(n), ResolveValues(kMapValues, facts));
        writer.WriteKey(MapSectionKeyPath(n, kMasterSubkey), ResolveValues(kMasterValues, facts));
        writer.WriteKey(MapSectionKeyPath(n, kCopySubkey), ResolveValues(kCopyValues, facts));
    }
}
