#include <gtest/gtest.h>

#include "config/backup_names.h"
#include "config/check.h"

namespace {

const std::wstring kInstall = L"C:\\Vorla";

// A machine where every file is there, with the PDF printer, two others and the barcode font.
struct WholeMachine : MachineProbe {
    std::wstring ProgramFolder() override { return L"C:\\prog"; }
    bool ProgramFilesFolder(std::wstring&, unsigned long&) override { return true; }
    bool IsFolder(const std::wstring&) override { return true; }
    bool IsFile(const std::wstring&) override { return true; }
    std::vector<std::wstring> Printers() override
    {
        return {L"CutePDF Writer", L"POS Receipt Printer", L"Back Office Laser"};
    }
    bool HasFontFamily(const std::wstring&) override { return true; }
};

ConfigRequest Request()
{
    ConfigRequest r;
    r.posSeries = L"1";
    r.backSeries = L"9";
    r.posPrinter = L"pos receipt printer";  // as typed: printers match in any letter case
    r.backPrinter = L"Back Office Laser";
    return r;
}

// The configuration that /configure writes for the request, as read back.
std::vector<RegKeyData> Configured(const ConfigRequest& request = Request())
{
    std::vector<RegKeyData> tree{{L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla", {},
                                  {RegTextValue(L"ps2pdf_cmd", L"C:\\gs.exe"), RegTextValue(L"ps2pdf_params", L"-q")}},
                                 {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps", {}, {}}};
    for (RegKeyData& key : ExpectedMaps(request, 12, kInstall))
        tree.push_back(key);
    return tree;
}

void Erase(std::vector<RegKeyData>& tree, const std::wstring& path, const std::wstring& value)
{
    for (RegKeyData& key : tree)
        if (key.path == path)
            for (size_t i = 0; i < key.values.size(); ++i)
                if (key.values[i].name == value)
                    key.values.erase(key.values.begin() + static_cast<long>(i));
}

}  // namespace

TEST(Check, NamesEachProblemExactlyAndNothingOnAWholeConfiguration)
{
    WholeMachine machine;
    const std::vector<RegKeyData> expected = ExpectedMaps(Request(), 12, kInstall);
    EXPECT_EQ(ConfigurationProblems(Configured(), machine, {&expected, nullptr}), std::vector<std::wstring>{});

    const std::wstring map1 = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\1";
    std::vector<RegKeyData> tree = Configured();
    Erase(tree, map1, L"SaveImage");
    Erase(tree, map1 + L"\\Copy", L"Font");
    EXPECT_EQ(ConfigurationProblems(tree, machine),
              (std::vector<std::wstring>{
                  map1 + L": SaveImage is missing (the configuration was never upgraded: run Upgrade Vorla)",
                  map1 + L"\\Copy: Font is missing"}));
    EXPECT_EQ(ConfigurationProblems(tree, machine, {&expected, nullptr}).back(),
              map1 + L": SaveImage is missing; /configure with these switches would write 0");

    ConfigRequest other = Request();
    other.posPrinter = L"Kitchen";
    EXPECT_EQ(ConfigurationProblems(Configured(other), machine).front(),
              map1 + L"\\Master: Printer names a printer this machine does not have: Kitchen");
}

// The newest stay, and the oldest, the way back to before any configuration; other names never go.
TEST(BackupNames, PruningKeepsTheNewestAndTheOldest)
{
    const std::vector<std::wstring> names = {
        L"Vorla-20260101-000000.reg", L"Vorla-20260102-000000.reg", L"Vorla-20260103-000000.reg",
        L"Vorla-20260103-000000-2.reg", L"Vorla-20260104-000000.reg", L"notes.reg"};
    EXPECT_EQ(BackupsToPrune(names, 2),
              (std::vector<std::wstring>{L"Vorla-20260103-000000.reg", L"Vorla-20260102-000000.reg"}));
    EXPECT_EQ(BackupsToPrune(names, 5), std::vector<std::wstring>{});
}
