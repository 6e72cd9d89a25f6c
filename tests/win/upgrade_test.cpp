// "Upgrade Vorla" against the real registry of the test prefix, each test on a key of its own
// below HKEY_CURRENT_USER but the menu's, which upgrades the product's key.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/TMainForm.h"
#include "common/show_message.h"
#include "common/errors.h"
#include "common/registry.h"
#include "config/configure.h"
#include "config/desired.h"
#include "config/machine.h"
#include "support/branch_machine.h"
#include "support/stored_registry.h"
#include "support/win_test_support.h"

namespace {

// Where a test's maps are: a key of the test's own, unless it names the product's.
ProductRoot Scratch()
{
    return ScratchProductRoot();
}

using stored::Number;
using stored::Text;
using stored::Tree;
using stored::Values;
using RawValue = stored::Value;

void WriteTree(const Tree& tree, const ProductRoot& root = Scratch())
{
    stored::Write(root.hive, root.MapsKey(), tree);
}

// The maps key's whole content; the maps key itself is the entry "".
Tree ReadTree(const ProductRoot& root = Scratch())
{
    return stored::Read(root.hive, root.MapsKey());
}

std::vector<std::wstring> MapNamesInRegistryOrder()
{
    const ProductRoot root = Scratch();
    const std::vector<RegKeyData> tree = ReadKeyTree(root.MapsKey(), root.hive);
    std::vector<std::wstring> names;
    for (const RegKeyData* key : RegChildren(tree, root.FullPath(root.MapsKey())))
        names.push_back(key->path.substr(key->path.rfind(L'\\') + 1));
    return names;
}

// Keys and values in the order of their names.
std::vector<RegKeyData> SortedTree(std::vector<RegKeyData> tree)
{
    std::sort(tree.begin(), tree.end(), [](const RegKeyData& a, const RegKeyData& b) { return a.path < b.path; });
    for (RegKeyData& key : tree)
        std::sort(key.values.begin(), key.values.end(),
                  [](const RegValueData& a, const RegValueData& b) { return a.name < b.name; });
    return tree;
}

// Runs the upgrade of the test's own maps, writing for real; what it said. Where it ran to its
// end, or stopped at a Barcode39 of another type, it left what its desired state declares.
std::vector<std::wstring> RunUpgrade()
{
    std::vector<std::wstring> messages;
    const ProductRoot root = Scratch();
    std::vector<RegKeyData> before;
    try {
        before = ReadKeyTree(root.MapsKey(), root.hive);
    } catch (const AppError&) {
    }
    messages = UpgradeSample(root);
    if (messages == std::vector<std::wstring>{L"Done!"} ||
        messages == std::vector<std::wstring>{L"Invalid data type for 'Barcode39'"}) {
        EXPECT_EQ(SortedTree(ReadKeyTree(root.MapsKey(), root.hive)), SortedTree(DesiredUpgrade(before, root)));
    }
    return messages;
}

using Messages = std::vector<std::wstring>;
const Messages kDone = {L"Done!"};

// The values the upgrade gives an output section whose Barcode39 yields barcode239.
void AddUpgradedOutput(Values& section, const std::wstring& barcode239)
{
    section[L"Barcode239"] = Text(barcode239);
    section[L"QrCodePosX"] = Number(210);
    section[L"QrCodePosY"] = Number(12);
    section[L"QrCodeWidth"] = Number(30);
}

// The Barcode39 of branch 12, series 3, as the map writer stores it.
const wchar_t kWrittenBarcode39[] = L"1;2600;1040;90;*001203;*;0;0;Free 3 of 9 Extended;24;0;0;0;0";
const wchar_t kWrittenBarcode239[] = L"1;1600;300;0;*001203;*;0;0;Free 3 of 9 Extended;24;0;0;0;0";

// One map as older versions of the writer left it: no flags, no second barcode, no QR code.
Tree OldMap(const std::wstring& name)
{
    Values output = {{L"Barcode39", Text(kWrittenBarcode39)}, {L"Copies", Number(1)}, {L"MakeBarcode", Number(2)}};
    return {{name, {{L"Alias", Text(L"AB_POS" + name)}, {L"LinesPerPage", Number(54)}}},
            {name + L"\\Master", output},
            {name + L"\\Copy", output}};
}

Tree Merge(std::initializer_list<Tree> parts)
{
    Tree all = {{L"", {}}};
    for (const Tree& part : parts)
        all.insert(part.begin(), part.end());
    return all;
}

class UpgradeTest : public testing::Test {
protected:
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, Scratch().MapsKey()); }
    void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, Scratch().key); }
};

}  // namespace

TEST_F(UpgradeTest, DerivesBarcode239FromEachSectionsBarcode39)
{
    struct Case {
        const char* what;
        std::optional<RawValue> barcode39;  // nullopt: no Barcode39 value
        std::wstring expected;
    };
    const Case cases[] = {
        {"as the map writer stores it", Text(kWrittenBarcode39), kWrittenBarcode239},
        {"two fields", Text(L"1;2600"), L"1;1600;300;0"},
        {"fields beyond the fourth", Text(L"1;2600;1040;90;A;B"), L"1;1600;300;0;A;B"},
        {"empty fields", Text(L"1;;;"), L"1;1600;300;0"},
        {"missing", std::nullopt, L";1600;300;0"},
        {"expandable text", Text(L"1;2600;%PATH%", REG_EXPAND_SZ), L"1;1600;300;0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteKeyTree(HKEY_CURRENT_USER, Scratch().MapsKey());
        Values master = {{L"Barcode239", Text(L"anything at all")}, {L"Printer", Text(L"Πρίν")}};
        Values copy = {{L"Barcode239", Number(5)}, {L"PrnOutDir", Text(L"")}};
        if (c.barcode39) {
            master[L"Barcode39"] = *c.barcode39;
            copy[L"Barcode39"] = *c.barcode39;
        }
        Tree before = {{L"", {}}, {L"1", {}}, {L"1\\Master", master}, {L"1\\Copy", copy}};
        WriteTree(before);

        EXPECT_EQ(RunUpgrade(), kDone);

        Tree expected = before;
        expected[L"1"][L"ForwardEafdss"] = Number(1);
        expected[L"1"][L"SaveImage"] = Number(0);
        AddUpgradedOutput(expected[L"1\\Master"], c.expected);
        AddUpgradedOutput(expected[L"1\\Copy"], c.expected);
        EXPECT_EQ(ReadTree(), expected);
    }
}

TEST_F(UpgradeTest, LeavesMapsAsTheMapWriterWritesThemUnchanged)
{
    TempFolder folder;
    SampleBranch branch = SampleBranchIn(folder.Path());
    branch.request.pos = {1, 2, 100};
    branch.request.back = {9, 0, 3};
    ASSERT_EQ(ConfigureSample(branch, Scratch()), Messages{});
    Tree written = ReadTree();
    ASSERT_EQ(written.size(), 1u + 6 * 3);

    EXPECT_EQ(RunUpgrade(), kDone);
    EXPECT_EQ(ReadTree(), written);
    EXPECT_EQ(RunUpgrade(), kDone);
    EXPECT_EQ(ReadTree(), written);
}

TEST_F(UpgradeTest, KeepsExistingFlagsWhateverTheyHold)
{
    Tree before = Merge({OldMap(L"1"), OldMap(L"2"), OldMap(L"3")});
    before[L"1"][L"ForwardEafdss"] = Number(0);
    before[L"1"][L"SaveImage"] = Number(1);
    before[L"2"][L"ForwardEafdss"] = Text(L"no");  // not even a flag: still left alone
    WriteTree(before);

    EXPECT_EQ(RunUpgrade(), kDone);

    Tree expected = before;
    expected[L"2"][L"SaveImage"] = Number(0);
    expected[L"3"][L"ForwardEafdss"] = Number(1);
    expected[L"3"][L"SaveImage"] = Number(0);
    for (const wchar_t* map : {L"1", L"2", L"3"})
        for (const wchar_t* section : {L"\\Master", L"\\Copy"})
            AddUpgradedOutput(expected[map + std::wstring(section)], kWrittenBarcode239);
    EXPECT_EQ(ReadTree(), expected);
}

TEST_F(UpgradeTest, CreatesAMissingCopySectionWithoutBarcode39)
{
    Tree before = Merge({OldMap(L"1")});
    before.erase(L"1\\Copy");
    WriteTree(before);

    EXPECT_EQ(RunUpgrade(), kDone);

    Tree expected = before;
    expected[L"1"][L"ForwardEafdss"] = Number(1);
    expected[L"1"][L"SaveImage"] = Number(0);
    AddUpgradedOutput(expected[L"1\\Master"], kWrittenBarcode239);
    AddUpgradedOutput(expected[L"1\\Copy"], L";1600;300;0");
    EXPECT_EQ(ReadTree(), expected);
}

TEST_F(UpgradeTest, ASecondRunChangesNothing)
{
    Tree before = Merge({OldMap(L"1"), OldMap(L"2")});
    before[L"1\\Master"][L"Barcode39"] = Text(L"1;2600");
    before[L"2\\Copy"][L"Barcode39"] = Text(L"9;8;7;6;5");
    before.erase(L"2\\Master");
    WriteTree(before);
    ASSERT_EQ(RunUpgrade(), kDone);
    Tree once = ReadTree();
    ASSERT_NE(once, before);

    EXPECT_EQ(RunUpgrade(), kDone);
    EXPECT_EQ(ReadTree(), once);
}

TEST_F(UpgradeTest, NoMapsKeyFailsAndCreatesNothing)
{
    const HKEY hive = HKEY_CURRENT_USER;
    ASSERT_FALSE(RegistryKey::Open(hive, Scratch().MapsKey(), KEY_READ).Valid());
    EXPECT_EQ(RunUpgrade(), Messages{L"Failed to open " + Scratch().MapsKey()});
    EXPECT_FALSE(RegistryKey::Open(hive, Scratch().MapsKey(), KEY_READ).Valid());
}

TEST_F(UpgradeTest, EmptyMapsKeyIsDone)
{
    WriteTree({{L"", {}}});
    EXPECT_EQ(RunUpgrade(), kDone);
    EXPECT_EQ(ReadTree(), (Tree{{L"", {}}}));
}

TEST_F(UpgradeTest, FailureAtTheSecondMapKeepsTheFirstUpgraded)
{
    Tree before = Merge({OldMap(L"1"), OldMap(L"2"), OldMap(L"3")});
    WriteTree(before);
    std::vector<std::wstring> order = MapNamesInRegistryOrder();
    ASSERT_EQ(order.size(), 3u);
    Tree after;
    {
        machine::KeyLocked locked(Scratch().MapsKey() + L"\\" + order[1], L"D:P(A;;KR;;;WD)", HKEY_CURRENT_USER);
        EXPECT_EQ(RunUpgrade(), Messages{L"Failed to open " + Scratch().MapsKey() + L"\\" + order[1]});
        after = ReadTree();
    }

    Tree expected = before;
    expected[order[0]][L"ForwardEafdss"] = Number(1);
    expected[order[0]][L"SaveImage"] = Number(0);
    AddUpgradedOutput(expected[order[0] + L"\\Master"], kWrittenBarcode239);
    AddUpgradedOutput(expected[order[0] + L"\\Copy"], kWrittenBarcode239);
    EXPECT_EQ(after, expected);
}

TEST_F(UpgradeTest, FailureAtAnOutputSectionKeepsWhatCameBefore)
{
    Tree before = Merge({OldMap(L"1")});
    WriteTree(before);
    Tree after;
    {
        machine::KeyLocked locked(Scratch().MapsKey() + L"\\1\\Copy", L"D:P(A;;KR;;;WD)", HKEY_CURRENT_USER);
        EXPECT_EQ(RunUpgrade(), Messages{L"Failed to open " + Scratch().MapsKey() + L"\\1\\Copy"});
        after = ReadTree();
    }

    Tree expected = before;
    expected[L"1"][L"ForwardEafdss"] = Number(1);
    expected[L"1"][L"SaveImage"] = Number(0);
    AddUpgradedOutput(expected[L"1\\Master"], kWrittenBarcode239);
    EXPECT_EQ(after, expected);
}

TEST_F(UpgradeTest, Barcode39OfAnotherTypeStopsTheRun)
{
    Tree before = Merge({OldMap(L"1"), OldMap(L"2")});
    for (const wchar_t* copy : {L"1\\Copy", L"2\\Copy"})
        before[copy][L"Barcode39"] = Number(1);
    WriteTree(before);
    std::vector<std::wstring> order = MapNamesInRegistryOrder();
    ASSERT_EQ(order.size(), 2u);

    EXPECT_EQ(RunUpgrade(), Messages{L"Invalid data type for 'Barcode39'"});

    Tree expected = before;
    expected[order[0]][L"ForwardEafdss"] = Number(1);
    expected[order[0]][L"SaveImage"] = Number(0);
    AddUpgradedOutput(expected[order[0] + L"\\Master"], kWrittenBarcode239);
    EXPECT_EQ(ReadTree(), expected);
}

// On the product's own key: queued behind the lock of the Branch suites.
class BranchUpgrade : public UpgradeTest {};

// The menu command upgrades the product's own key, shows "Done!" and leaves the status bar alone.
TEST_F(BranchUpgrade, MenuCommandShowsDone)
{
    ExpectLocked();
    const ProductRoot product;
    DeleteKeyTree(HKEY_LOCAL_MACHINE, product.MapsKey());
    Tree before = Merge({OldMap(L"1")});
    WriteTree(before, product);
    TMainForm form;
    form.Create(nullptr, nullptr, nullptr);
    std::wstring status = StatusBarText(form.StatusBar1());
    MessageBoxWatcher boxes;

    SendMessageW(form.Handle(), WM_COMMAND, IdUpgradeVorla, 0);

    EXPECT_EQ(boxes.Texts(), kDone);
    EXPECT_EQ(StatusBarText(form.StatusBar1()), status);
    EXPECT_EQ(ReadTree(product).at(L"1\\Copy").at(L"Barcode239"), Text(kWrittenBarcode239));
    DestroyWindow(form.Handle());
    DeleteKeyTree(HKEY_LOCAL_MACHINE, product.MapsKey());
}
