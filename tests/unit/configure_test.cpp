#include <gtest/gtest.h>

#include <set>

#include "config/run_plan.h"

namespace {

const std::wstring kProgramFiles = L"C:\\Program Files";
const std::wstring kInstall = L"C:\\Program Files\\Kelvane\\Kelvane Vorla";

// A branch machine that has everything, unless a test takes something away.
struct TableProbe : MachineProbe {
    bool programFiles = true;
    std::set<std::wstring> files{L"C:\\Program Files\\gs\\gs9.14\\bin\\gswin32c.exe", L"C:\\prog\\generic_ab.esc", L"C:\\prog\\ab1.bmp",
                                 L"C:\\prog\\abPOS.xml", L"C:\\prog\\abBACK.xml"};
    std::set<std::wstring> folders{kInstall};
    std::vector<std::wstring> printers{L"cutepdf writer", L"POS", L"BACK"};
    bool font = true;

    std::wstring ProgramFolder() override { return L"C:\\prog"; }
    bool ProgramFilesFolder(std::wstring& folder, unsigned long& error) override
    {
        folder = kProgramFiles;
        error = 5;
        return programFiles;
    }
    bool IsFolder(const std::wstring& path) override { return folders.count(path) != 0; }
    bool IsFile(const std::wstring& path) override { return files.count(path) != 0; }
    std::vector<std::wstring> Printers() override { return printers; }
    bool HasFontFamily(const std::wstring& face) override { return font && face == L"Free 3 of 9 Extended"; }
};

ConfigRequest GoodRequest()
{
    ConfigRequest r;
    r.branch = L"0012";
    r.posSeries = L"1,2";
    r.backSeries = L"9";
    r.posPrinter = L"POS";
    r.backPrinter = L"BACK";
    r.uncPos = L"\\\\s\\POS";
    r.uncBack = L"\\\\s\\BACK";
    r.headerLines = {L"a: 1", L"b", L"c: 3", L"d", L"e"};
    return r;
}

struct ConfigRun {
    ConfigOutcome outcome;
    std::vector<std::wstring> messages;
    std::vector<std::wstring> log;
};

// The run as planned on a machine without a configuration, each step as one line: the backup,
// each key made, each folder and file (the values written are left out).
ConfigRun Configure(TableProbe& probe, const ConfigRequest& request)
{
    PlanInputs inputs;
    inputs.drawImage = [](const std::vector<std::wstring>&) { return std::optional<std::string>("BMP"); };
    ConfigResult result;
    const ConfigPlan plan = PlanConfiguration(request, probe, inputs, result);
    ConfigRun run{plan.outcome, {}, {}};
    for (const OutcomeMessage& message : plan.messages)
        run.messages.push_back(message.text);
    if (plan.plan.backup)
        run.log.push_back(L"backup");
    const std::wstring hklm = L"HKEY_LOCAL_MACHINE\\";
    for (const PlannedChange& step : plan.plan.steps) {
        const Change& c = step.change;
        const std::wstring file = c.path.substr(std::min(c.path.size(), kInstall.size()));
        switch (c.action) {
        case ChangeAction::Created: run.log.push_back(L"key " + c.path.substr(hklm.size())); break;
        case ChangeAction::Made: run.log.push_back(L"folder " + file); break;
        case ChangeAction::Copied: run.log.push_back(L"copy " + file); break;
        case ChangeAction::Linked: run.log.push_back(L"link " + file); break;
        case ChangeAction::Drawn: run.log.push_back(L"draw " + file); break;
        default: break;
        }
    }
    return run;
}

}  // namespace

// Each case breaks one thing on a machine that would pass; the first failure in check order is
// the one shown, and nothing is written.
TEST(Configure, FirstFailingCheckIsTheOneShownAndNothingIsWritten)
{
    struct Case {
        const char* what;
        void (*breakIt)(TableProbe&, ConfigRequest&);
        std::wstring message;
        ConfigOutcome outcome;
    };
    const Case cases[] = {
        {"no Program Files", [](TableProbe& p, ConfigRequest&) { p.programFiles = false; p.font = false; },
         L"SHGetFolderPath error 5", ConfigOutcome::MachineRefused},
        {"no Vorla", [](TableProbe& p, ConfigRequest&) { p.folders.clear(); p.printers.clear(); },
         L"Ο κατάλογος " + kInstall + L" δεν υπάρχει!", ConfigOutcome::MachineRefused},
        {"no Ghostscript", [](TableProbe& p, ConfigRequest&) { p.files.clear(); },
         L"Πρέπει να εγκαταστήσετε το GhostScript 9.0 πρώτα!", ConfigOutcome::MachineRefused},
        {"no escape file", [](TableProbe& p, ConfigRequest&) { p.files.erase(L"C:\\prog\\generic_ab.esc"); p.font = false; },
         L"Δεν βρέθηκε το αρχείο C:\\prog\\generic_ab.esc", ConfigOutcome::MachineRefused},
        {"no PDF printer", [](TableProbe& p, ConfigRequest&) { p.printers = {L"CutePDF"}; p.font = false; },
         L"Εγκαταστήστε πρώτα τον εκτυπωτή CutePDF Writer!", ConfigOutcome::MachineLacksPrinterOrFont},
        {"no font", [](TableProbe& p, ConfigRequest& r) { p.font = false; r.headerLines.pop_back(); },
         L"Εγκαταστήστε πρώτα τo font Free 3 of 9 Extended", ConfigOutcome::MachineLacksPrinterOrFont},
        {"six lines", [](TableProbe&, ConfigRequest& r) { r.headerLines.push_back(L""); r.branch = L"0"; },
         L"Χρειάζονται 5 γραμμές ακριβώς για το Υποκατάστημα!", ConfigOutcome::MachineRefused},
        {"branch 10000", [](TableProbe&, ConfigRequest& r) { r.branch = L"10000"; r.posPrinter.reset(); },
         L"Δεν μπορείτε να δημιουργήσετε το υποκ/μα 10000", ConfigOutcome::EntriesRefused},
        {"branch 12a", [](TableProbe&, ConfigRequest& r) { r.branch = L"12a"; },
         L"Δεν μπορείτε να δημιουργήσετε το υποκ/μα 0", ConfigOutcome::EntriesRefused},
        {"series twice", [](TableProbe&, ConfigRequest& r) { r.backSeries = L"9,9"; r.posPrinter.reset(); },
         L"Σειρές Backoffice: η 2η σειρά «9» δίνεται δύο φορές!", ConfigOutcome::EntriesRefused},
        {"no POS printer", [](TableProbe&, ConfigRequest& r) { r.posPrinter.reset(); r.backPrinter.reset(); },
         L"Πρέπει να επιλέξετε εκτυπωτή POS πρώτα!", ConfigOutcome::EntriesRefused},
        {"no back printer", [](TableProbe&, ConfigRequest& r) { r.backPrinter.reset(); },
         L"Πρέπει να επιλέξετε εκτυπωτή backoffice πρώτα!", ConfigOutcome::EntriesRefused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TableProbe probe;
        ConfigRequest request = GoodRequest();
        c.breakIt(probe, request);
        ConfigRun run = Configure(probe, request);
        EXPECT_EQ(run.outcome, c.outcome);
        EXPECT_EQ(run.messages, std::vector<std::wstring>{c.message});
        EXPECT_TRUE(run.log.empty());
    }
}

// Both UNC warnings come before the branch check; POS maps are numbered first, the back-office
// maps go on from there; the first folder of a type gets files, the later ones links; each map's
// folder and files come before its keys, the maps key with the first map.
TEST(Configure, WritesInOrderAndNumbersPosMapsFirst)
{
    TableProbe probe;
    ConfigRequest request = GoodRequest();
    request.uncPos.clear();
    request.uncBack.clear();
    ConfigRun run = Configure(probe, request);
    EXPECT_EQ(run.outcome, ConfigOutcome::Done);
    EXPECT_EQ(run.messages.size(), 3u);
    EXPECT_EQ(run.messages.back(), L"Η εντολή ολοκληρώθηκε");
    const std::wstring maps = L"key SOFTWARE\\Kelvane\\Vorla\\maps\\";
    const std::vector<std::wstring> expected = {
        L"backup", L"key SOFTWARE\\Kelvane\\Vorla",
        L"folder \\001201", L"copy \\001201\\generic_ab.esc", L"copy \\001201\\ab1.bmp",
        L"draw \\001201\\address.bmp", L"copy \\001201\\ab_POS.xml",
        L"key SOFTWARE\\Kelvane\\Vorla\\maps", maps + L"1", maps + L"1\\Master", maps + L"1\\Copy",
        L"folder \\001202", L"link \\001202\\generic_ab.esc", L"link \\001202\\ab1.bmp",
        L"link \\001202\\address.bmp", L"link \\001202\\ab_POS.xml",
        maps + L"2", maps + L"2\\Master", maps + L"2\\Copy",
        L"folder \\001209", L"copy \\001209\\generic_ab.esc", L"copy \\001209\\ab1.bmp",
        L"draw \\001209\\address.bmp", L"copy \\001209\\ab_BACK.xml",
        maps + L"3", maps + L"3\\Master", maps + L"3\\Copy",
    };
    EXPECT_EQ(run.log, expected);
}
