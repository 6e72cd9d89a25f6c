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

std::optional<Request> CheckEntries(const ConfigRequest& request, const MessageLog& log)
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
