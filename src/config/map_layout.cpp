#include "config/map_layout.h"

#include <cstdio>

#include "common/locale_text.h"
#include "common/text.h"

namespace {
constexpr LayoutCell Text(const wchar_t* text) { return {MapDatum::Constant, text, 0}; }
constexpr LayoutCell Number(uint32_t number) { return {MapDatum::Constant, nullptr, number}; }
constexpr LayoutCell Fact(MapDatum datum) { return {datum, nullptr, 0}; }
constexpr LayoutCell Filled(const wchar_t* format) { return {MapDatum::BranchSeries, format, 0}; }

// One cell for both columns.
constexpr LayoutValue Both(const wchar_t* name, RegKind kind, LayoutCell cell) { return {name, kind, cell, cell}; }

constexpr LayoutCell kBarcode39 = Filled(L"1;2600;1040;90;*%04d%02d;*;0;0;Free 3 of 9 Extended;24;0;0;0;0");
constexpr LayoutCell kBarcode239 = Filled(L"1;1600;300;0;*%04d%02d;*;0;0;Free 3 of 9 Extended;24;0;0;0;0");
constexpr LayoutCell kFont = Text(L"161;-2147483640;Arial;7;0;0;0;0;");
constexpr const wchar_t kBranchSeriesFormat[] = L"%04d%02d";
}  // namespace

const std::array<LayoutValue, 2> kProductValues = {{
    Both(L"ps2pdf_cmd", RegKind::Text, Fact(MapDatum::GhostscriptPath)),
    Both(L"ps2pdf_params", RegKind::Text,
         Text(L"-dBATCH -dNOPAUSE -dNOOUTERSAVE -dUseCIEColor -sProcessColorModel=DeviceCMYK -sDEVICE=pdfwrite")),
}};

const std::array<LayoutValue, 13> kMapValues = {{
    Both(L"Alias", RegKind::Text, Fact(MapDatum::Alias)),
    Both(L"EscFile", RegKind::Text, Fact(MapDatum::EscFile)),
    Both(L"Encoding", RegKind::Number, Number(437)),
    {L"LinesPerPage", RegKind::Number, Number(54), Number(53)},
    Both(L"FirstPageLine", RegKind::Number, Number(0)),
    Both(L"FirstLinePos", RegKind::Number, Number(1)),
    {L"LastLinePos", RegKind::Number, Number(0), Number(51)},
    {L"FirstItemPos", RegKind::Number, Number(19), Number(0)},
    Both(L"PageSeparator", RegKind::Number, Number(12)),
    {L"FirstFooterPos", RegKind::Text, Text(L""), Text(L"0,0,0")},
    {L"FloatFieldReset", RegKind::Text, Text(L"0,0,0"), Text(L"14,73,81")},
    Both(L"ForwardEafdss", RegKind::Flag, Number(1)),
    Both(L"SaveImage", RegKind::Flag, Number(0)),
}};

const std::array<LayoutValue, 13> kMasterValues = {{
    Both(L"Barcode39", RegKind::Text, kBarcode39),
    Both(L"Barcode239", RegKind::Text, kBarcode239),
    Both(L"Copies", RegKind::Number, Number(1)),
    Both(L"Font", RegKind::Text, kFont),
    Both(L"MakeBarcode", RegKind::Number, Number(2)),
    Both(L"OpaqueText", RegKind::Number, Number(0)),
    Both(L"PageSize", RegKind::Number, Number(9)),
    Both(L"Orientation", RegKind::Number, Number(2)),
    Both(L"Printer", RegKind::Text, Fact(MapDatum::Printer)),
    Both(L"XmlFile", RegKind::Text, Fact(MapDatum::XmlFile)),
    Both(L"QrCodePosX", RegKind::Number, Number(210)),
    Both(L"QrCodePosY", RegKind::Number, Number(12)),
    Both(L"QrCodeWidth", RegKind::Number, Number(30)),
}};

const std::array<LayoutValue, 15> kCopyValues = {{
    Both(L"Barcode39", RegKind::Text, kBarcode39),
    Both(L"Barcode239", RegKind::Text, kBarcode239),
    Both(L"Copies", RegKind::Number, Number(1)),
    Both(L"Font", RegKind::Text, kFont),
    Both(L"MakeBarcode", RegKind::Number, Number(2)),
    Both(L"OpaqueText", RegKind::Number, Number(0)),
    Both(L"PageSize", RegKind::Number, Number(9)),
    Both(L"Orientation", RegKind::Number, Number(2)),
    Both(L"Printer", RegKind::Text, Text(L"CutePDF Writer")),
    Both(L"PrnOutDir", RegKind::Text, Fact(MapDatum::PrnOutDir)),
    Both(L"PrnExType", RegKind::Text, Filled(L"psa;1;%04d%02d")),
    Both(L"XmlFile", RegKind::Text, Fact(MapDatum::XmlFile)),
    Both(L"QrCodePosX", RegKind::Number, Number(210)),
    Both(L"QrCodePosY", RegKind::Number, Number(12)),
    Both(L"QrCodeWidth", RegKind::Number, Number(30)),
}};

const std::array<const wchar_t*, 2> kUpgradeMapFlags = {L"ForwardEafdss", L"SaveImage"};
const std::array<const wchar_t*, 4> kUpgradeSectionValues = {L"Barcode239", L"QrCodePosX", L"QrCodePosY",
                                                             L"QrCodeWidth"};

bool AddedByUpgrade(std::wstring_view name)
{
    for (const wchar_t* added : kUpgradeMapFlags)
        if (name == added)
            return true;
    for (const wchar_t* added : kUpgradeSectionValues)
        if (name == added)
            return true;
    return false;
}

const wchar_t kMasterSubkey[] = L"Master";
const wchar_t kCopySubkey[] = L"Copy";
const wchar_t kEscFileName[] = L"generic_ab.esc";
const wchar_t kLogoFileName[] = L"ab1.bmp";
const wchar_t kAddressFileName[] = L"address.bmp";

bool RegValue::operator==(const RegValue& other) const
{
    return name == other.name && kind == other.kind && text == other.text && number == other.number;
}

bool IsPosType(std::wstring_view type)
{
    return SameTextLocale(type, L"POS");
}

int SeriesNumber(std::wstring_view item)
{
    int value = 0;
    return ParseInt32(item, value) ? value : 0;
}

std::wstring BranchSeriesText(int branch, int series)
{
    char buffer[32];
    int n = std::snprintf(buffer, sizeof buffer, "%04d%02d", branch, series);
    return std::wstring(buffer, buffer + n);
}

std::wstring MapFolderPath(const std::wstring& installDir, int branch, int series)
{
    return installDir + L"\\" + BranchSeriesText(branch, series);
}

std::wstring MapXmlName(const std::wstring& type)
{
    return L"ab_" + type + L".xml";
}

std::wstring TemplateXmlName(const std::wstring& type)
{
    return L"ab" + type + L".xml";
}

// The format with its one "%04d%02d" replaced by BBBBSS.
static std::wstring FillBranchSeries(std::wstring format, int branch, int series)
{
    size_t at = format.find(kBranchSeriesFormat);
    if (at != std::wstring::npos)
        format.replace(at, std::char_traits<wchar_t>::length(kBranchSeriesFormat), BranchSeriesText(branch, series));
    return format;
}

static std::wstring TextOf(const LayoutCell& cell, const MapFacts& facts)
{
    switch (cell.datum) {
    case MapDatum::Constant:
        return cell.text ? cell.text : L"";
    case MapDatum::GhostscriptPath:
        return facts.ghostscriptPath;
    case MapDatum::Alias:
        return L"AB_" + facts.type + facts.item;
    case MapDatum::EscFile:
        return facts.mapFolder + L"\\" + kEscFileName;
    case MapDatum::XmlFile:
        return facts.mapFolder + L"\\" + MapXmlName(facts.type);
    case MapDatum::Printer:
        return facts.printer;
    case MapDatum::PrnOutDir:
        return facts.prnOutDir;
    case MapDatum::BranchSeries:
        return FillBranchSeries(cell.text, facts.branch, SeriesNumber(facts.item));
    }
    return {};
}

RegValue ResolveValue(const LayoutValue& row, const MapFacts& facts)
{
    const LayoutCell& cell = IsPosType(facts.type) ? row.pos : row.back;
    RegValue value{row.name, row.kind, {}, 0};
    if (row.kind == RegKind::Text)
        value.text = TextOf(cell, facts);
    else
        value.number = cell.number;
    return value;
}

std::vector<RegValue> ResolveProductValues(const std::wstring& ghostscriptPath)
{
    MapFacts facts;
    facts.ghostscriptPath = ghostscriptPath;
    return ResolveValues(kProductValues, facts);
}

RegValueData RegDataOf(const RegValue& value)
{
    if (value.kind == RegKind::Text)
        return RegTextValue(value.name, value.text);
    return RegDwordValue(value.name, value.kind == RegKind::Flag ? (value.number != 0 ? 1 : 0) : value.number);
}
