// The form-map writer against the real registry of the test prefix and real map folders.
// The suites here rebuild HKLM\SOFTWARE\Kelvane\Vorla\maps: tests/CMakeLists.txt queues them
// with the other tests of that key (PRODUCT_KEY_TESTS).
#include <windows.h>

#include <gtest/gtest.h>
#include <sddl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/errors.h"
#include "common/handles.h"
#include "config/barcode239.h"
#include "config/map_writer.h"
#include "support/win_test_support.h"

namespace {
const REGSAM kView = KEY_WOW64_32KEY;

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RawValue& other) const { return type == other.type && data == other.data; }
};

void PrintTo(const RawValue& v, std::ostream* os)
{
    *os << "type " << v.type << ": ";
    if (v.type == REG_SZ)
        *os << testing::PrintToString(
            std::wstring(reinterpret_cast<const wchar_t*>(v.data.data()), v.data.size() / sizeof(wchar_t)));
    else if (v.type == REG_DWORD && v.data.size() == 4)
        *os << *reinterpret_cast<const DWORD*>(v.data.data());
    else
        *os << v.data.size() << " bytes";
}

// How a value must be stored: text with its terminating NUL, numbers and flags as DWORDs.
RawValue Stored(const RegValue& value)
{
    if (value.kind == RegKind::Text) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(value.text.c_str());
        return {REG_SZ, std::vector<BYTE>(bytes, bytes + (value.text.size() + 1) * sizeof(wchar_t))};
    }
    const BYTE* bytes = reinterpret_cast<const BYTE*>(&value.number);
    return {REG_DWORD, std::vector<BYTE>(bytes, bytes + sizeof(DWORD))};
}

UniqueHKey OpenRead(const std::wstring& path)
{
    UniqueHKey key;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | kView, key.put());
    return key;
}

bool KeyExists(const std::wstring& path)
{
    return static_cast<bool>(OpenRead(path));
}

RawValue ReadRaw(const std::wstring& path, const std::wstring& name)
{
    RawValue value;
    UniqueHKey key = OpenRead(path);
    DWORD size = 0;
    if (!key || RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return {};
    value.data.resize(size);
    RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, value.data.data(), &size);
    return value;
}

std::wstring ReadText(const std::wstring& path, const std::wstring& name)
{
    RawValue raw = ReadRaw(path, name);
    std::wstring text(reinterpret_cast<const wchar_t*>(raw.data.data()), raw.data.size() / sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

DWORD ValueCount(const std::wstring& path)
{
    DWORD count = 0;
    UniqueHKey key = OpenRead(path);
    if (key)
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                         nullptr, nullptr);
    return count;
}

std::vector<std::wstring> SubkeysOf(const std::wstring& path)
{
    std::vector<std::wstring> names;
    UniqueHKey key = OpenRead(path);
    wchar_t name[256];
    for (DWORD i = 0; key; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The key holds exactly these values, each with its type and data.
void ExpectKeyHolds(const std::wstring& path, const std::vector<RegValue>& values)
{
    SCOPED_TRACE(testing::Message() << "key " << Utf8(path));
    EXPECT_EQ(ValueCount(path), values.size());
    for (const RegValue& value : values)
        EXPECT_EQ(ReadRaw(path, value.name), Stored(value)) << Utf8(value.name);
}

BY_HANDLE_FILE_INFORMATION FileInfo(const std::wstring& path)
{
    BY_HANDLE_FILE_INFORMATION info{};
    UniqueFile file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (file)
        GetFileInformationByHandle(file.get(), &info);
    return info;
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

const std::vector<std::wstring> kHeader = {
    L"Κατάστημα: Λεωφ. Αθηνών 12", L"Αθήνα, Τηλ. 2101234567", L"Κεντρικό: Σταδίου 5",
    L"Τηλ. 2107654321",            L"ΑΦΜ 099999999, ΔΟΥ ΦΑΕ",
};

class MapWriterTest : public testing::Test {
protected:
    void SetUp() override
    {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kMapsKeyPath);
        settings.BranchNo = 12;
        settings.ProgramDir = temp / L"program";
        settings.InstallDir = temp / L"Program Files\\Kelvane\\Kelvane Vorla";
        settings.EscSourcePath = settings.ProgramDir + L"\\generic_ab.esc";
        settings.PosPrinter = L"Epson TM-T88 (POS)";
        settings.BackPrinter = L"Εκτυπωτής γραφείου";
        settings.UncPos = L"\\\\fs01\\STORE_FILES$\\POS";
        settings.UncBack = L"";
        settings.AddressLines = kHeader;
        WriteBytes(settings.EscSourcePath, "escape file");
        WriteBytes(settings.ProgramDir + L"\\ab1.bmp", "logo");
        WriteBytes(settings.ProgramDir + L"\\abPOS.xml", "<pos/>");
        WriteBytes(settings.ProgramDir + L"\\abBACK.xml", "<back/>");
    }
    void TearDown() override { DeleteKeyTree(HKEY_LOCAL_MACHINE, kMapsKeyPath); }

    // What the dialog does: one counter, POS first, BACK second, one error guard around both.
    void WriteBoth(const std::wstring& posText, const std::wstring& backText)
    {
        counter = 0;
        try {
            WriteMaps(settings, posText, L"POS", counter, mapDir, Show());
            WriteMaps(settings, backText, L"BACK", counter, mapDir, Show());
        } catch (const AppError& e) {
            messages.push_back(e.Message());
        }
    }

    ShowMessageFn Show()
    {
        return [this](const std::wstring& text) { messages.push_back(text); };
    }

    std::wstring Folder(const std::wstring& bbbbss) const { return settings.InstallDir + L"\\" + bbbbss; }

    MapFacts FactsOf(const ExpectedMap& map) const
    {
        bool pos = IsPosType(map.type);
        return {map.type,
                map.item,
                settings.BranchNo,
                Folder(map.folder),
                pos ? settings.PosPrinter : settings.BackPrinter,
                pos ? settings.UncPos : settings.UncBack,
                {}};
    }

    // Map n and its sections hold exactly the layout tables' values for it.
    void ExpectMap(int n, const ExpectedMap& map)
    {
        SCOPED_TRACE(testing::Message() << "map " << n);
        MapFacts facts = FactsOf(map);
        ExpectKeyHolds(MapKeyPath(n), ResolveValues(kMapValues, facts));
        ExpectKeyHolds(MapSectionKeyPath(n, kMasterSubkey), ResolveValues(kMasterValues, facts));
        ExpectKeyHolds(MapSectionKeyPath(n, kCopySubkey), ResolveValues(kCopyValues, facts));
        EXPECT_EQ(SubkeysOf(MapKeyPath(n)), (std::vector<std::wstring>{L"Copy", L"Master"}));
    }

    void ExpectMaps(const std::vector<ExpectedMap>& maps)
    {
        for (size_t i = 0; i < maps.size(); ++i)
            ExpectMap(static_cast<int>(i + 1), maps[i]);
        std::vector<std::wstring> names;
        for (size_t i = 0; i < maps.size(); ++i)
            names.push_back(std::to_wstring(i + 1));
        std::sort(names.begin(), names.end());
        EXPECT_EQ(SubkeysOf(kMapsKeyPath), names);
    }

    TempFolder temp;
    MapSettings settings;
    int counter = 0;
    std::wstring mapDir;
    std::vector<std::wstring> messages;
};

const wchar_t* const kFolderFiles[] = {L"generic_ab.esc", L"ab1.bmp", L"address.bmp"};
}  // namespace

TEST_F(MapWriterTest, WorkedExample)
{
    WriteBoth(L"1,2,4", L"9,10,12");
    EXPECT_TRUE(messages.empty()) << Utf8(messages.empty() ? L"" : messages[0]);
    EXPECT_EQ(counter, 6);
    EXPECT_EQ(mapDir, Folder(L"001212"));
    const std::vector<ExpectedMap> maps = {
        {L"POS", L"1", L"001201"},  {L"POS", L"2", L"001202"},   {L"POS", L"4", L"001204"},
        {L"BACK", L"9", L"001209"}, {L"BACK", L"10", L"001210"}, {L"BACK", L"12", L"001212"},
    };
    ExpectMaps(maps);

    // A few data spelt out, as the technician will find them.
    EXPECT_EQ(ReadText(MapKeyPath(5), L"Alias"), L"AB_BACK10");
    EXPECT_EQ(ReadText(MapSectionKeyPath(5, kMasterSubkey), L"Barcode39"),
              L"1;2600;1040;90;*001210;*;0;0;Free 3 of 9 Extended;24;0;0;0;0");
    EXPECT_EQ(ReadText(MapSectionKeyPath(5, kMasterSubkey), L"Printer"), L"Εκτυπωτής γραφείου");
    EXPECT_EQ(ReadText(MapSectionKeyPath(5, kCopySubkey), L"PrnOutDir"), L"");
    EXPECT_EQ(ReadRaw(MapSectionKeyPath(5, kCopySubkey), L"PrnOutDir").data.size(), sizeof(wchar_t));
    EXPECT_EQ(ReadText(MapSectionKeyPath(2, kCopySubkey), L"XmlFile"), Folder(L"001202") + L"\\ab_POS.xml");
    EXPECT_EQ(ReadText(MapKeyPath(1), L"FirstFooterPos"), L"");

    // Barcode239 is what the upgrade would derive from Barcode39.
    for (int n = 1; n <= 6; ++n)
        for (const wchar_t* section : {kMasterSubkey, kCopySubkey}) {
            SCOPED_TRACE(testing::Message() << n << " " << Utf8(section));
            std::wstring path = MapSectionKeyPath(n, section);
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

TEST_F(MapWriterTest, SeriesTextsAsTyped)
{
    struct Case {
        const wchar_t* text;
        std::vector<ExpectedMap> maps;
        std::vector<const wchar_t*> aliases;
    };
    const Case cases[] = {
        {L"1,,2", {{L"POS", L"1", L"001201"}, {L"POS", L"", L"001200"}, {L"POS", L"2", L"001202"}},
         {L"AB_POS1", L"AB_POS", L"AB_POS2"}},
        {L"1,2,", {{L"POS", L"1", L"001201"}, {L"POS", L"2", L"001202"}, {L"POS", L"", L"001200"}},
         {L"AB_POS1", L"AB_POS2", L"AB_POS"}},
        {L"1, 2", {{L"POS", L"1", L"001201"}, {L"POS", L" 2", L"001202"}}, {L"AB_POS1", L"AB_POS 2"}},
        {L"100", {{L"POS", L"100", L"0012100"}}, {L"AB_POS100"}},
        {L"-5", {{L"POS", L"-5", L"0012-5"}}, {L"AB_POS-5"}},
        {L"3,3", {{L"POS", L"3", L"001203"}, {L"POS", L"3", L"001203"}}, {L"AB_POS3", L"AB_POS3"}},
        {L"", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "series " << testing::PrintToString(std::wstring(c.text)));
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kMapsKeyPath);
        RemoveTree(settings.InstallDir);
        messages.clear();
        WriteBoth(c.text, L"");
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(counter, static_cast<int>(c.maps.size()));
        ExpectMaps(c.maps);
        for (size_t i = 0; i < c.maps.size(); ++i) {
            EXPECT_EQ(ReadText(MapKeyPath(static_cast<int>(i + 1)), L"Alias"), c.aliases[i]);
            for (const wchar_t* name : {L"generic_ab.esc", L"ab1.bmp", L"address.bmp", L"ab_POS.xml"}) {
                EXPECT_TRUE(Exists(Folder(c.maps[i].folder) + L"\\" + name)) << Utf8(name);
            }
        }
        if (c.maps.empty()) {
            EXPECT_FALSE(Exists(settings.InstallDir));
        }
    }
}

TEST_F(MapWriterTest, RepeatedSeriesKeepsTheCopies)
{
    WriteBoth(L"3,3", L"");
    EXPECT_EQ(counter, 2);
    for (const wchar_t* name : {L"generic_ab.esc", L"ab1.bmp", L"address.bmp", L"ab_POS.xml"})
        EXPECT_EQ(FileInfo(Folder(L"001203") + L"\\" + name).nNumberOfLinks, 1u) << Utf8(name);
}

TEST_F(MapWriterTest, SameNumberInBothListsSharesTheFolder)
{
    WriteBoth(L"5", L"5,6");
    EXPECT_TRUE(messages.empty());
    ExpectMaps({{L"POS", L"5", L"001205"}, {L"BACK", L"5", L"001205"}, {L"BACK", L"6", L"001206"}});
    const std::wstring shared = Folder(L"001205");
    EXPECT_EQ(ReadBytes(shared + L"\\ab_POS.xml"), "<pos/>");
    EXPECT_EQ(ReadBytes(shared + L"\\ab_BACK.xml"), "<back/>");
    // 001206 links to what 001205 holds, whichever pass put it there.
    for (const wchar_t* name : {L"generic_ab.esc", L"ab1.bmp", L"address.bmp", L"ab_BACK.xml"}) {
        SCOPED_TRACE(Utf8(name));
        EXPECT_TRUE(SameFile(Folder(L"001206") + L"\\" + name, shared + L"\\" + name));
        EXPECT_EQ(FileInfo(shared + L"\\" + name).nNumberOfLinks, 2u);
    }
    EXPECT_FALSE(Exists(Folder(L"001206") + L"\\ab_POS.xml"));
}

TEST_F(MapWriterTest, TypeInAnyLetterCaseTakesThePosColumn)
{
    counter = 0;
    WriteMaps(settings, L"1", L"pos", counter, mapDir, Show());
    ExpectMaps({{L"pos", L"1", L"001201"}});
    EXPECT_EQ(ReadRaw(MapKeyPath(1), L"LinesPerPage"), Stored({L"", RegKind::Number, {}, 54}));
    EXPECT_EQ(ReadText(MapKeyPath(1), L"Alias"), L"AB_pos1");
    EXPECT_EQ(ReadBytes(Folder(L"001201") + L"\\ab_pos.xml"), "<pos/>");
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
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kMapsKeyPath);
        RemoveTree(settings.InstallDir);
        WriteBytes(settings.ProgramDir + L"\\abPOS.xml", "<pos/>");
        WriteBytes(settings.ProgramDir + L"\\abBACK.xml", "<back/>");
        DeleteFileW((settings.ProgramDir + L"\\" + c.missing).c_str());
        messages.clear();
        WriteBoth(c.pos, c.back);
        EXPECT_EQ(messages, std::vector<std::wstring>{L"Δεν βρέθηκε το αρχείο " + settings.ProgramDir + L"\\" +
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
    WriteBytes(settings.EscSourcePath, "new escape file");
    settings.AddressLines[0] = L"Κατάστημα: Πλατεία Συντάγματος 1";
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kMapsKeyPath);
    WriteBoth(L"1,2", L"");
    EXPECT_TRUE(messages.empty());
    ExpectMaps({{L"POS", L"1", L"001201"}, {L"POS", L"2", L"001202"}});
    EXPECT_EQ(ReadBytes(Folder(L"001201") + L"\\generic_ab.esc"), "escape file");
    const std::string image = ReadBytes(Folder(L"001201") + L"\\address.bmp");
    EXPECT_TRUE(image != firstImage);
    EXPECT_TRUE(ReadBytes(Folder(L"001202") + L"\\address.bmp") == image);
}

namespace {
// Makes a key refuse to be opened for writing while it lives, then lets it be deleted again.
class WriteProtectedKey {
public:
    explicit WriteProtectedKey(const std::wstring& path)
    {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kView, nullptr, key_.put(),
                        nullptr);
        ok_ = key_ && SetDacl(L"D:P(A;;KR;;;WD)");
    }
    ~WriteProtectedKey() { SetDacl(L"D:P(A;;KA;;;WD)"); }
    bool Ok() const { return ok_; }

private:
    bool SetDacl(const wchar_t* sddl)
    {
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr))
            return false;
        bool set = RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
        LocalFree(sd);
        return set;
    }
    UniqueHKey key_;
    bool ok_ = false;
};
}  // namespace

TEST_F(MapWriterTest, RefusedWriteStopsBothTypesAndKeepsWhatWasWritten)
{
    struct Case {
        const wchar_t* blocked;  // below the maps key
        const wchar_t* value;    // the first value that key takes
        DWORD mapValues, masterValues, copyValues;
    };
    const Case cases[] = {
        {L"2", L"Alias", 0, 0, 0},
        {L"2\\Master", L"Barcode39", 13, 0, 0},
        {L"2\\Copy", L"Barcode39", 13, 13, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.blocked));
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kMapsKeyPath);
        RemoveTree(settings.InstallDir);
        messages.clear();
        {
            WriteProtectedKey blocked(std::wstring(kMapsKeyPath) + L"\\" + c.blocked);
            ASSERT_TRUE(blocked.Ok());
            WriteBoth(L"1,2,3", L"9");
        }
        EXPECT_EQ(messages, std::vector<std::wstring>{std::wstring(L"Failed to set data for '") + c.value + L"'"});
        EXPECT_EQ(counter, 2);
        ExpectMap(1, {L"POS", L"1", L"001201"});
        EXPECT_EQ(ValueCount(MapKeyPath(2)), c.mapValues);
        EXPECT_EQ(ValueCount(MapSectionKeyPath(2, kMasterSubkey)), c.masterValues);
        EXPECT_EQ(ValueCount(MapSectionKeyPath(2, kCopySubkey)), c.copyValues);
        EXPECT_FALSE(KeyExists(MapKeyPath(3)));
        EXPECT_FALSE(KeyExists(MapKeyPath(4)));
        // The folders and files of the failing series were made before its keys.
        EXPECT_TRUE(Exists(Folder(L"001202") + L"\\ab_POS.xml"));
        EXPECT_FALSE(Exists(Folder(L"001203")));
        EXPECT_FALSE(Exists(Folder(L"001209")));
    }
}
