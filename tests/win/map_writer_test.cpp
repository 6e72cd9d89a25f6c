// The maps a request declares, planned and made against the real registry of the test prefix and
// real map folders, each test on a key of its own below HKEY_CURRENT_USER, read back with the
// product's tree reader.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/registry.h"
#include "config/barcode239.h"
#include "config/machine.h"
#include "config/request.h"
#include "support/branch_machine.h"
#include "support/stored_registry.h"
#include "support/win_test_support.h"

namespace {

stored::Values KeyValues(const std::wstring& path)
{
    const stored::Tree tree = stored::Read(RegHive::CurrentUser, path);
    return tree.empty() ? stored::Values{} : tree.at(L"");
}

stored::Value ReadRaw(const std::wstring& path, const std::wstring& name)
{
    const stored::Values values = KeyValues(path);
    const auto found = values.find(name);
    return found == values.end() ? stored::Value{} : found->second;
}

std::wstring ReadText(const std::wstring& path, const std::wstring& name)
{
    return RegTextOf(RegValueData{name, ReadRaw(path, name).type, ReadRaw(path, name).data}).value_or(L"");
}

bool KeyExists(const std::wstring& path)
{
    return !stored::Read(RegHive::CurrentUser, path).empty();
}

// The key holds exactly these values, each with its type and data.
void ExpectKeyHolds(const std::wstring& path, const std::vector<RegValue>& values)
{
    SCOPED_TRACE(testing::Message() << "key " << Utf8(path));
    EXPECT_EQ(KeyValues(path).size(), values.size());
    for (const RegValue& value : values)
        EXPECT_EQ(ReadRaw(path, value.name), stored::Of(RegDataOf(value))) << Utf8(value.name);
}

bool SameFile(const std::wstring& a, const std::wstring& b)
{
    BY_HANDLE_FILE_INFORMATION x = FileInfo(a), y = FileInfo(b);
    return x.nNumberOfLinks > 0 && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// One map as the test expects it.
struct ExpectedMap {
    const wchar_t* type;
    const wchar_t* item;
    const wchar_t* folder;  // BBBBSS
};

class MapWriterTest : public testing::Test {
protected:
    void SetUp() override { DeleteKeyTree(HKEY_CURRENT_USER, root.MapsKey()); }
    void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, root.key); }

    // The request's maps as every run writes them: planned on the machine as it stands, then made.
    void WriteBoth(const std::wstring& posText, const std::wstring& backText)
    {
        std::optional<SeriesFault> fault;
        branch.request.pos = SeriesOf(posText, SeriesList::Pos, fault);
        branch.request.back = SeriesOf(backText, SeriesList::Back, fault);
        ASSERT_FALSE(fault) << Utf8(posText + L" " + backText);
        for (const std::wstring& said : ConfigureSample(branch, root))
            messages.push_back(said);
    }

    std::wstring Folder(const std::wstring& bbbbss) const { return branch.paths.InstallDir + L"\\" + bbbbss; }

    MapFacts FactsOf(const ExpectedMap& map) const
    {
        bool pos = IsPosType(map.type);
        return {map.type,
                map.item,
                branch.request.branch,
                Folder(map.folder),
                pos ? branch.request.posPrinter : branch.request.backPrinter,
                pos ? branch.request.uncPos : branch.request.uncBack,
                {}};
    }

    // Map n and its sections hold exactly the layout tables' values for it.
    void ExpectMap(int n, const ExpectedMap& map)
    {
        SCOPED_TRACE(testing::Message() << "map " << n);
        MapFacts facts = FactsOf(map);
        ExpectKeyHolds(root.MapKey(n), ResolveValues(kMapValues, facts));
        ExpectKeyHolds(root.MapSectionKey(n, kMasterSubkey), ResolveValues(kMasterValues, facts));
        ExpectKeyHolds(root.MapSectionKey(n, kCopySubkey), ResolveValues(kCopyValues, facts));
        EXPECT_EQ(stored::Children(stored::Read(root.hive, root.MapKey(n))), (std::vector<std::wstring>{L"Copy", L"Master"}));
    }

    void ExpectMaps(const std::vector<ExpectedMap>& maps)
    {
        for (size_t i = 0; i < maps.size(); ++i)
            ExpectMap(static_cast<int>(i + 1), maps[i]);
        std::vector<std::wstring> names;
        for (size_t i = 0; i < maps.size(); ++i)
            names.push_back(std::to_wstring(i + 1));
        std::sort(names.begin(), names.end());
        EXPECT_EQ(stored::Children(stored::Read(root.hive, root.MapsKey())), names);
    }

    TempFolder temp;
    const ProductRoot root = ScratchProductRoot();
    SampleBranch branch = SampleBranchIn(temp.Path());
    std::vector<std::wstring> messages;
};

const wchar_t* const kFolderFiles[] = {L"generic_ab.esc", L"ab1.bmp", L"address.bmp"};
}  // namespace

TEST_F(MapWriterTest, WorkedExample)
{
    WriteBoth(L"1,2,4", L"9,10,12");
    EXPECT_TRUE(messages.empty()) << Utf8(messages.empty() ? L"" : messages[0]);
    const std::vector<ExpectedMap> maps = {
        {L"POS", L"1", L"001201"},  {L"POS", L"2", L"001202"},   {L"POS", L"4", L"001204"},
        {L"BACK", L"9", L"001209"}, {L"BACK", L"10", L"001210"}, {L"BACK", L"12", L"001212"},
    };
    ExpectMaps(maps);

    // A few data spelt out, as the technician will find them.
    EXPECT_EQ(ReadText(root.MapKey(5), L"Alias"), L"AB_BACK10");
    EXPECT_EQ(ReadText(root.MapSectionKey(5, kMasterSubkey), L"Barcode39"),
              L"1;2600;1040;90;*001210;*;0;0;Free 3 of 9 Extended;24;0;0;0;0");
    EXPECT_EQ(ReadText(root.MapSectionKey(5, kMasterSubkey), L"Printer"), L"Εκτυπωτής γραφείου");
    EXPECT_EQ(ReadText(root.MapSectionKey(5, kCopySubkey), L"PrnOutDir"), L"");
    EXPECT_EQ(ReadRaw(root.MapSectionKey(5, kCopySubkey), L"PrnOutDir").data.size(), sizeof(wchar_t));
    EXPECT_EQ(ReadText(root.MapSectionKey(2, kCopySubkey), L"XmlFile"), Folder(L"001202") + L"\\ab_POS.xml");
    EXPECT_EQ(ReadText(root.MapKey(1), L"FirstFooterPos"), L"");

    // Barcode239 is what the upgrade would derive from Barcode39.
    for (int n = 1; n <= 6; ++n)
        for (const wchar_t* section : {kMasterSubkey, kCopySubkey}) {
            SCOPED_TRACE(testing::Message() << n << " " << Utf8(section));
            std::wstring path = root.MapSectionKey(n, section);
            EXPECT_EQ(ReadText(path, L"Barcode239"), Barcode239From(ReadText(path, L"Barcode39")));
        }

    // The first folder of each type holds copies and the image; the later ones link to them.
    struct Group {
        const wchar_t* xml;
        const wchar_t* xmlData;
        std::vector<const wchar_t*> folders;
    };
    const Group groups[] = {{L"ab_POS.xml", L"<pos/>", {L"001201", L"001202", L"001204"}},
                            {L"ab_BACK.xml", L"<back/>", {L"001209", L"001210", L"001212"}}};
    for (const Group& group : groups) {
        const std::wstring first = Folder(group.folders[0]);
        EXPECT_EQ(ReadBytes(first + L"\\generic_ab.esc"), "escape file");
        EXPECT_EQ(ReadBytes(first + L"\\ab1.bmp"), "logo");
        EXPECT_EQ(ReadBytes(first + L"\\" + group.xml), Utf8(group.xmlData));
        EXPECT_EQ(ReadBytes(first + L"\\address.bmp").substr(0, 2), "BM");
        std::vector<std::wstring> names(std::begin(kFolderFiles), std::end(kFolderFiles));
        names.push_back(group.xml);
        for (const std::wstring& name : names) {
            SCOPED_TRACE(Utf8(name));
            EXPECT_EQ(FileInfo(first + L"\\" + name).nNumberOfLinks, 3u);
            for (size_t i = 1; i < group.folders.size(); ++i)
                EXPECT_TRUE(SameFile(Folder(group.folders[i]) + L"\\" + name, first + L"\\" + name));
        }
        EXPECT_FALSE(UnixPathOf(first + L"\\address.bmp").empty());
    }
    EXPECT_FALSE(Exists(Folder(L"001201") + L"\\ab_BACK.xml"));
}

TEST_F(MapWriterTest, SeriesNamedByTheirNumbers)
{
    struct Case {
        const wchar_t* text;
        std::vector<ExpectedMap> maps;
        std::vector<const wchar_t*> aliases;
    };
    const Case cases[] = {
        {L"1, 2", {{L"POS", L"1", L"001201"}, {L"POS", L"2", L"001202"}}, {L"AB_POS1", L"AB_POS2"}},
        {L"01", {{L"POS", L"1", L"001201"}}, {L"AB_POS1"}},
        {L"100", {{L"POS", L"100", L"0012100"}}, {L"AB_POS100"}},
        {L"", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "series " << testing::PrintToString(std::wstring(c.text)));
        DeleteKeyTree(HKEY_CURRENT_USER, root.MapsKey());
        RemoveTree(branch.paths.InstallDir);
        messages.clear();
        WriteBoth(c.text, L"");
        EXPECT_TRUE(messages.empty());
        ExpectMaps(c.maps);
        for (size_t i = 0; i < c.maps.size(); ++i) {
            EXPECT_EQ(ReadText(root.MapKey(static_cast<int>(i + 1)), L"Alias"), c.aliases[i]);
            for (const wchar_t* name : {L"generic_ab.esc", L"ab1.bmp", L"address.bmp", L"ab_POS.xml"}) {
                EXPECT_TRUE(Exists(Folder(c.maps[i].folder) + L"\\" + name)) << Utf8(name);
            }
        }
        if (c.maps.empty()) {
            EXPECT_FALSE(Exists(branch.paths.InstallDir));
        }
    }
}

TEST_F(MapWriterTest, MissingTemplateSkipsOnlyItsType)
{
    struct Case {
        const wchar_t* missing;
        const wchar_t* pos;
        const wchar_t* back;
        std::vector<ExpectedMap> maps;
        const wchar_t* absentFolder;
    };
    const Case cases[] = {
        {L"abBACK.xml", L"1", L"9", {{L"POS", L"1", L"001201"}}, L"001209"},
        {L"abPOS.xml", L"1", L"9", {{L"BACK", L"9", L"001209"}}, L"001201"},
        {L"abPOS.xml", L"", L"9", {{L"BACK", L"9", L"001209"}}, L"001201"},  // tested without series too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << Utf8(c.missing) << " " << Utf8(c.pos));
        DeleteKeyTree(HKEY_CURRENT_USER, root.MapsKey());
        RemoveTree(branch.paths.InstallDir);
        WriteBytes(branch.paths.ProgramDir + L"\\abPOS.xml", "<pos/>");
        WriteBytes(branch.paths.ProgramDir + L"\\abBACK.xml", "<back/>");
        DeleteFileW((branch.paths.ProgramDir + L"\\" + c.missing).c_str());
        messages.clear();
        WriteBoth(c.pos, c.back);
        EXPECT_EQ(messages, std::vector<std::wstring>{L"Δεν βρέθηκε το αρχείο " + branch.paths.ProgramDir + L"\\" +
                                                      c.missing});
        ExpectMaps(c.maps);
        EXPECT_FALSE(Exists(Folder(c.absentFolder)));
    }
}

TEST_F(MapWriterTest, HeaderImageThatCannotBeSavedIsReportedAndTheMapsAreWritten)
{
    MakeFolders(Folder(L"001201") + L"\\address.bmp");  // a folder where the image should go
    WriteBoth(L"1,2", L"");
    EXPECT_EQ(messages, std::vector<std::wstring>{L"Cannot create file " + Folder(L"001201") + L"\\address.bmp"});
    ExpectMaps({{L"POS", L"1", L"001201"}, {L"POS", L"2", L"001202"}});
    EXPECT_FALSE(Exists(Folder(L"001202") + L"\\address.bmp"));
    EXPECT_TRUE(SameFile(Folder(L"001202") + L"\\ab_POS.xml", Folder(L"001201") + L"\\ab_POS.xml"));
}

TEST_F(MapWriterTest, RerunKeepsExistingCopiesAndRefreshesTheLinkedImage)
{
    WriteBoth(L"1,2", L"");
    const std::string firstImage = ReadBytes(Folder(L"001202") + L"\\address.bmp");
    WriteBytes(branch.paths.EscSourcePath, "new escape file");
    branch.request.headerLines[0] = L"Κατάστημα: Πλατεία Συντάγματος 1";
    DeleteKeyTree(HKEY_CURRENT_USER, root.MapsKey());
    WriteBoth(L"1,2", L"");
    EXPECT_TRUE(messages.empty());
    ExpectMaps({{L"POS", L"1", L"001201"}, {L"POS", L"2", L"001202"}});
    EXPECT_EQ(ReadBytes(Folder(L"001201") + L"\\generic_ab.esc"), "escape file");
    const std::string image = ReadBytes(Folder(L"001201") + L"\\address.bmp");
    EXPECT_TRUE(image != firstImage);
    EXPECT_TRUE(ReadBytes(Folder(L"001202") + L"\\address.bmp") == image);
}

TEST_F(MapWriterTest, RefusedWriteStopsBothTypesAndKeepsWhatWasWritten)
{
    struct Case {
        const wchar_t* blocked;  // below the maps key
        const wchar_t* value;    // the first value that key takes
        size_t mapValues, masterValues, copyValues;
    };
    const Case cases[] = {
        {L"2", L"Alias", 0, 0, 0},
        {L"2\\Master", L"Barcode39", 13, 0, 0},
        {L"2\\Copy", L"Barcode39", 13, 13, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.blocked));
        DeleteKeyTree(HKEY_CURRENT_USER, root.MapsKey());
        RemoveTree(branch.paths.InstallDir);
        messages.clear();
        {
            const std::wstring blocked = root.MapsKey() + L"\\" + c.blocked;
            ASSERT_TRUE(RegistryKey::Create(HKEY_CURRENT_USER, blocked).Valid());
            machine::KeyLocked locked(blocked, L"D:P(A;;KR;;;WD)", HKEY_CURRENT_USER);
            WriteBoth(L"1,2,3", L"9");
        }
        EXPECT_EQ(messages, std::vector<std::wstring>{std::wstring(L"Failed to set data for '") + c.value + L"'"});
        ExpectMap(1, {L"POS", L"1", L"001201"});
        EXPECT_EQ(KeyValues(root.MapKey(2)).size(), c.mapValues);
        EXPECT_EQ(KeyValues(root.MapSectionKey(2, kMasterSubkey)).size(), c.masterValues);
        EXPECT_EQ(KeyValues(root.MapSectionKey(2, kCopySubkey)).size(), c.copyValues);
        EXPECT_FALSE(KeyExists(root.MapKey(3)));
        EXPECT_FALSE(KeyExists(root.MapKey(4)));
        // The folders and files of the failing series were made before its keys.
        EXPECT_TRUE(Exists(Folder(L"001202") + L"\\ab_POS.xml"));
        EXPECT_FALSE(Exists(Folder(L"001203")));
        EXPECT_FALSE(Exists(Folder(L"001209")));
    }
}
