#include <gtest/gtest.h>

#include <algorithm>

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
                  map1 + L": SaveImage is missing (a configuration writes it: run /configure again)",
                  map1 + L"\\Copy: Font is missing"}));
    const std::vector<std::wstring> all = ConfigurationProblems(tree, machine, {&expected, nullptr});
    EXPECT_EQ(std::count(all.begin(), all.end(), map1 + L": SaveImage is missing; /configure with these switches would write 0"), 1);
    EXPECT_EQ(all.back(), map1 + L"\\Copy: Font is missing; /configure with these switches would write \"161;-2147483640;Arial;7;0;0;0;0;\"");

    // The same bytes under another type differ: the run would write the value again.
    std::vector<RegKeyData> expandable = Configured();
    for (RegKeyData& key : expandable)
        if (key.path == map1)
            for (RegValueData& value : key.values)
                if (value.name == L"Alias")
                    value.type = kRegExpandSz;
    EXPECT_EQ(FindConfigurationProblems(expandable, machine, {&expected, nullptr}).size(), 1u);

    ConfigRequest other = Request();
    other.posPrinter = L"Kitchen";
    EXPECT_EQ(ConfigurationProblems(Configured(other), machine).front(),
              map1 + L"\\Master: Printer names a printer this machine does not have: Kitchen");
}

// Each problem's stable code, found by breaking one thing of a whole configuration or machine.
TEST(Check, EachProblemHasItsCode)
{
    const std::wstring maps = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps", map1 = maps + L"\\1";
    struct Broken : WholeMachine {
        std::wstring missingFile;
        bool font = true;
        bool IsFile(const std::wstring& path) override { return missingFile.empty() || path.find(missingFile) == std::wstring::npos; }
        bool HasFontFamily(const std::wstring&) override { return font; }
    };
    using Tree = std::vector<RegKeyData>;
    const auto without = [](Tree tree, const std::wstring& prefix) {
        tree.erase(std::remove_if(tree.begin(), tree.end(), [&](const RegKeyData& key) { return key.path.rfind(prefix, 0) == 0; }),
                   tree.end());
        return tree;
    };
    ConfigRequest kitchen = Request(), more = Request();
    kitchen.posPrinter = L"Kitchen";
    more.backSeries = L"9,10";
    const Tree expected = ExpectedMaps(more, 12, kInstall);
    Tree mistyped = Configured(), notUpgraded = Configured(), lacksValue = Configured();
    mistyped[2].values[0] = RegDwordValue(mistyped[2].values[0].name, 1);
    for (RegKeyData& key : notUpgraded)  // never upgraded: no map holds what an upgrade adds
        key.values.erase(std::remove_if(key.values.begin(), key.values.end(),
                                        [](const RegValueData& v) { return AddedByUpgrade(v.name); }),
                         key.values.end());
    Erase(lacksValue, map1 + L"\\Copy", L"Font");
    const struct {
        const char* code;
        Tree tree;
        std::wstring missingFile;
        bool font;
        CheckExpectation expectation;
    } cases[] = {
        {"product-key-missing", {}, L"", true, {}},
        {"maps-missing", without(Configured(), maps), L"", true, {}},
        {"maps-empty", without(Configured(), maps + L"\\"), L"", true, {}},
        {"section-missing", without(Configured(), map1 + L"\\Copy"), L"", true, {}},
        {"value-missing", lacksValue, L"", true, {}},
        {"value-not-upgraded", notUpgraded, L"", true, {}},
        {"value-mistyped", mistyped, L"", true, {}},
        {"file-missing", Configured(), L".esc", true, {}},
        {"map-folder-incomplete", Configured(), kLogoFileName, true, {}},
        {"printer-missing", Configured(kitchen), L"", true, {}},
        {"barcode-font-missing", Configured(), L"", false, {}},
        {"maps-differ", Configured(), L"", true, {&expected, nullptr}},
    };
    for (const auto& c : cases) {
        Broken machine;
        machine.missingFile = c.missingFile;
        machine.font = c.font;
        const std::vector<Problem> problems = FindConfigurationProblems(c.tree, machine, c.expectation);
        ASSERT_FALSE(problems.empty()) << c.code;
        EXPECT_EQ(problems.front().code, c.code);
    }
    const std::string image = "BM";
    WholeMachine machine;  // reads no address.bmp: the POS and the back-office one differ
    const std::vector<Problem> problems = FindConfigurationProblems(Configured(), machine, {nullptr, &image});
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].code, "address-bmp-differs");
    EXPECT_EQ(problems[0].file.substr(problems[0].file.size() - 12), L"\\address.bmp");
}
