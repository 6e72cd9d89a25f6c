#include <gtest/gtest.h>

#include <algorithm>

#include "common/utf.h"
#include "config/check.h"
#include "config/desired.h"

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

Request Asked()
{
    Request r;
    r.branch = 12;
    r.pos = {1};
    r.back = {9};
    r.posPrinter = L"pos receipt printer";  // as typed: printers match in any letter case
    r.backPrinter = L"Back Office Laser";
    return r;
}

// The configuration that /configure writes for the request, as read back.
std::vector<RegKeyData> Configured(const Request& request = Asked())
{
    std::vector<RegKeyData> tree{{L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla", {},
                                  {RegTextValue(L"ps2pdf_cmd", L"C:\\gs.exe"), RegTextValue(L"ps2pdf_params", L"-q")}},
                                 {L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps", {}, {}}};
    for (RegKeyData& key : DesiredMaps(request, kInstall))
        tree.push_back(key);
    return tree;
}

// What /configure would leave for the request.
DesiredState Wanted(const Request& request = Asked())
{
    MachinePaths paths;
    paths.InstallDir = kInstall;
    return Desired(request, paths);
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
    const DesiredState expected = Wanted();
    EXPECT_EQ(ConfigurationProblems(Configured(), machine, {&expected, nullptr}), std::vector<std::wstring>{});

    const std::wstring map1 = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\1";
    std::vector<RegKeyData> tree = Configured();
    Erase(tree, map1, L"SaveImage");
    Erase(tree, map1 + L"\\Copy", L"Font");
    EXPECT_EQ(ConfigurationProblems(tree, machine),
              (std::vector<std::wstring>{
                  map1 + L": SaveImage is missing (the upgrade writes it: run /upgrade)",
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

    Request other = Asked();
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
    Request kitchen = Asked(), more = Asked();
    kitchen.posPrinter = L"Kitchen";
    more.back = {9, 10};
    const DesiredState expected = Wanted(more);
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

// A map that the request does not write is one difference, holding what the map holds.
TEST(Check, AStrayMapIsOneDifferenceWithWhatItHolds)
{
    WholeMachine machine;
    const std::wstring stray = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\9";
    std::vector<RegKeyData> tree = Configured();
    tree.push_back({stray, {}, {RegTextValue(L"Printer", L"x")}});
    const DesiredState expected = Wanted();
    const std::vector<Problem> problems = FindConfigurationProblems(tree, machine, {&expected, nullptr});
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].key, stray);
    ASSERT_TRUE(problems[0].found);
    ASSERT_EQ(problems[0].found->values.size(), 1u);
    EXPECT_EQ(problems[0].found->values[0].name, L"Printer");
}

// Each problem of the registry names the command that mends it: after an upgrade stopped half
// way, the upgrade; a value that only a configuration writes, /configure.
TEST(Check, NamesTheCommandThatMendsEachProblem)
{
    WholeMachine machine;
    const std::wstring map2 = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\2";
    std::vector<RegKeyData> tree = Configured();
    Erase(tree, map2 + L"\\Copy", L"Barcode239");
    Erase(tree, map2, L"ForwardEafdss");
    Erase(tree, map2 + L"\\Copy", L"Font");
    std::vector<std::string> remedies;
    for (const Problem& problem : FindConfigurationProblems(tree, machine))
        remedies.push_back(problem.code + " " + Utf8Of(problem.value) + " " + problem.remedy);
    EXPECT_EQ(remedies, (std::vector<std::string>{"value-missing ForwardEafdss /upgrade",
                                                  "value-missing Barcode239 /upgrade", "value-missing Font /configure"}));

    // Against a request: the upgrade would derive the missing second barcode from a first one
    // that the request writes otherwise, so only /configure leaves what the request asks for.
    tree = Configured();
    for (RegKeyData& key : tree)
        if (key.path == map2 + L"\\Copy")
            for (RegValueData& value : key.values)
                if (value.name == L"Barcode39")
                    value = RegTextValue(L"Barcode39", L"1;2600;1040;90;*001299;*;0;0;Free 3 of 9 Extended;24;0;0;0;0");
    Erase(tree, map2 + L"\\Copy", L"Barcode239");
    const DesiredState expected = Wanted();
    remedies.clear();
    for (const Problem& problem : FindConfigurationProblems(tree, machine, {&expected, nullptr}))
        if (problem.code == "maps-differ")
            remedies.push_back(Utf8Of(problem.value) + " " + problem.remedy);
    EXPECT_EQ(remedies, (std::vector<std::string>{"Barcode39 /configure", "Barcode239 /configure"}));
}
