#include <gtest/gtest.h>

#include <set>

#include "config/barcode239.h"
#include "config/map_layout.h"

// Found by gtest through RegValue's (global) namespace.
static void PrintTo(const RegValue& v, std::ostream* os)
{
    *os << testing::PrintToString(v.name) << "=";
    if (v.kind == RegKind::Text)
        *os << testing::PrintToString(v.text);
    else
        *os << (v.kind == RegKind::Flag ? "flag " : "") << v.number;
}

namespace {
RegValue T(const wchar_t* name, const std::wstring& text) { return {name, RegKind::Text, text, 0}; }
RegValue N(const wchar_t* name, uint32_t number) { return {name, RegKind::Number, {}, number}; }
RegValue F(const wchar_t* name, bool flag) { return {name, RegKind::Flag, {}, flag ? 1u : 0u}; }

const wchar_t kFolder[] = L"C:\\Program Files\\Kelvane\\Kelvane Vorla\\001210";

MapFacts Facts(const wchar_t* type, const wchar_t* item)
{
    return {type, item, 12, kFolder, L"Epson TM", L"\\\\srv\\STORE_FILES$\\BACK", {}};
}
}  // namespace

TEST(SeriesNumber, ReadsSignedDecimalOrZero)
{
    struct Case {
        const wchar_t* item;
        int series;
    };
    const Case cases[] = {
        {L"1", 1},   {L" 2", 2},     // leading blanks are allowed
        {L"2 ", 0},  {L"", 0},       // ... trailing ones are not; an empty entry is 0
        {L"-5", -5}, {L"+7", 7},     {L"100", 100}, {L"x1", 0},
        {L"99999999999", 0},         // beyond 32 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.item)));
        EXPECT_EQ(SeriesNumber(c.item), c.series);
    }
}

TEST(MapFolderPath, PrintsBranchAndSeriesWithMinimumWidths)
{
    struct Case {
        int branch, series;
        const wchar_t* folder;
    };
    const Case cases[] = {
        {12, 3, L"I\\001203"},   {12, 0, L"I\\001200"},     {12, 100, L"I\\0012100"},
        {12, -5, L"I\\0012-5"},  {9999, 99, L"I\\999999"},  {1, 12, L"I\\000112"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.branch << "/" << c.series);
        EXPECT_EQ(MapFolderPath(L"I", c.branch, c.series), c.folder);
    }
}

TEST(IsPosType, AnyCaseOfPosIsPosEverythingElseBack)
{
    for (const wchar_t* pos : {L"POS", L"pos", L"Pos"})
        EXPECT_TRUE(IsPosType(pos)) << testing::PrintToString(std::wstring(pos));
    for (const wchar_t* back : {L"BACK", L"back", L"", L"POS ", L"PO", L"xyz"})
        EXPECT_FALSE(IsPosType(back)) << testing::PrintToString(std::wstring(back));
}

TEST(MapLayout, BackMapOfTheWorkedExample)
{
    MapFacts facts = Facts(L"BACK", L"10");
    const std::vector<RegValue> map = {
        T(L"Alias", L"AB_BACK10"),
        T(L"EscFile", std::wstring(kFolder) + L"\\generic_ab.esc"),
        N(L"Encoding", 437),
        N(L"LinesPerPage", 53),
        N(L"FirstPageLine", 0),
        N(L"FirstLinePos", 1),
        N(L"LastLinePos", 51),
        N(L"FirstItemPos", 0),
        N(L"PageSeparator", 12),
        T(L"FirstFooterPos", L"0,0,0"),
        T(L"FloatFieldReset", L"14,73,81"),
        F(L"ForwardEafdss", true),
        F(L"SaveImage", false),
    };
    EXPECT_EQ(ResolveValues(kMapValues, facts), map);

    const std::wstring xml = std::wstring(kFolder) + L"\\ab_BACK.xml";
    const std::vector<RegValue> shared = {
        T(L"Barcode39", L"1;2600;1040;90;*001210;*;0;0;Free 3 of 9 Extended;24;0;0;0;0"),
        T(L"Barcode239", L"1;1600;300;0;*001210;*;0;0;Free 3 of 9 Extended;24;0;0;0;0"),
        N(L"Copies", 1),
        T(L"Font", L"161;-2147483640;Arial;7;0;0;0;0;"),
        N(L"MakeBarcode", 2),
        N(L"OpaqueText", 0),
        N(L"PageSize", 9),
        N(L"Orientation", 2),
    };
    std::vector<RegValue> master = shared;
    master.insert(master.end(), {T(L"Printer", L"Epson TM"), T(L"XmlFile", xml), N(L"QrCodePosX", 210),
                                 N(L"QrCodePosY", 12), N(L"QrCodeWidth", 30)});
    EXPECT_EQ(ResolveValues(kMasterValues, facts), master);

    std::vector<RegValue> copy = shared;
    copy.insert(copy.end(), {T(L"Printer", L"CutePDF Writer"), T(L"PrnOutDir", L"\\\\srv\\STORE_FILES$\\BACK"),
                             T(L"PrnExType", L"psa;1;001210"), T(L"XmlFile", xml), N(L"QrCodePosX", 210),
                             N(L"QrCodePosY", 12), N(L"QrCodeWidth", 30)});
    EXPECT_EQ(ResolveValues(kCopyValues, facts), copy);
}

TEST(MapLayout, PosColumnDiffersOnlyWhereTheTableSays)
{
    // Cells in which a POS map differs from a BACK map of the same series, besides the texts
    // that carry the type itself.
    const std::set<std::wstring> differing = {L"Alias",        L"LinesPerPage",   L"LastLinePos",
                                              L"FirstItemPos", L"FirstFooterPos", L"FloatFieldReset"};
    std::vector<RegValue> pos = ResolveValues(kMapValues, Facts(L"pos", L"4"));
    std::vector<RegValue> back = ResolveValues(kMapValues, Facts(L"BACK", L"4"));
    ASSERT_EQ(pos.size(), back.size());
    for (size_t i = 0; i < pos.size(); ++i) {
        SCOPED_TRACE(testing::PrintToString(pos[i].name));
        EXPECT_EQ(differing.count(pos[i].name) == 0, pos[i] == back[i]);
    }
    EXPECT_EQ(pos[0], T(L"Alias", L"AB_pos4"));  // the type as passed, not upper-cased
    EXPECT_EQ(pos[3], N(L"LinesPerPage", 54));
    EXPECT_EQ(pos[6], N(L"LastLinePos", 0));
    EXPECT_EQ(pos[7], N(L"FirstItemPos", 19));
    EXPECT_EQ(pos[9], T(L"FirstFooterPos", L""));
    EXPECT_EQ(pos[10], T(L"FloatFieldReset", L"0,0,0"));
    EXPECT_EQ(ResolveValues(kMasterValues, Facts(L"pos", L"4"))[9].text, std::wstring(kFolder) + L"\\ab_pos.xml");
}

TEST(MapLayout, EntriesAsTypedReachAliasAndNumbers)
{
    struct Case {
        const wchar_t* item;
        const wchar_t* alias;
        const wchar_t* prnExType;
    };
    const Case cases[] = {
        {L"", L"AB_POS", L"psa;1;001200"},        // an empty entry is series 0
        {L" 2", L"AB_POS 2", L"psa;1;001202"},    // the blank stays in the alias
        {L"100", L"AB_POS100", L"psa;1;0012100"},
        {L"-5", L"AB_POS-5", L"psa;1;0012-5"},
        {L"x", L"AB_POSx", L"psa;1;001200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.item)));
        MapFacts facts = Facts(L"POS", c.item);
        EXPECT_EQ(ResolveValues(kMapValues, facts)[0].text, c.alias);
        EXPECT_EQ(ResolveValues(kCopyValues, facts)[10], T(L"PrnExType", c.prnExType));
    }
}

TEST(MapLayout, Barcode239IsWhatTheUpgradeDerivesFromBarcode39)
{
    for (const wchar_t* item : {L"1", L"100", L"-5", L""}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(item)));
        for (const std::vector<RegValue>& values :
             {ResolveValues(kMasterValues, Facts(L"POS", item)), ResolveValues(kCopyValues, Facts(L"POS", item))}) {
            ASSERT_EQ(values[0].name, L"Barcode39");
            ASSERT_EQ(values[1].name, L"Barcode239");
            EXPECT_EQ(values[1].text, Barcode239From(values[0].text));
        }
    }
}

TEST(MapLayout, ProductValues)
{
    const std::vector<RegValue> expected = {
        T(L"ps2pdf_cmd", L"C:\\Program Files\\gs\\gs9.14\\bin\\gswin32c.exe"),
        T(L"ps2pdf_params",
          L"-dBATCH -dNOPAUSE -dNOOUTERSAVE -dUseCIEColor -sProcessColorModel=DeviceCMYK -sDEVICE=pdfwrite"),
    };
    EXPECT_EQ(ResolveProductValues(L"C:\\Program Files\\gs\\gs9.14\\bin\\gswin32c.exe"), expected);
}
