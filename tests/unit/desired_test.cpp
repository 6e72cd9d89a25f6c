// The desired state of the worked example: branch 12, POS 1,2,4, BACK 9,10,12.
#include <gtest/gtest.h>

#include "common/utf.h"
#include "config/desired.h"

TEST(Desired, TheWorkedExample)
{
    Request request;
    request.branch = 12;
    request.pos = {1, 2, 4};
    request.back = {9, 10, 12};
    request.posPrinter = L"POS Printer";
    request.backPrinter = L"Εκτυπωτής γραφείου";
    request.uncPos = L"\\\\fs\\POS";
    const MachinePaths paths{L"C:\\P", L"C:\\V", L"C:\\gs\\gswin32c.exe", L"C:\\P\\generic_ab.esc"};
    const DesiredState state = Desired(request, paths);

    EXPECT_EQ(state.Folders(), (std::vector<std::wstring>{L"C:\\V\\001201", L"C:\\V\\001202", L"C:\\V\\001204",
                                                         L"C:\\V\\001209", L"C:\\V\\001210", L"C:\\V\\001212"}));
    std::wstring files;
    for (const DesiredFile& file : state.Files())
        files += std::to_wstring(static_cast<int>(file.source)) + L" " + file.path + L" < " + file.from + L"\n";
    const std::wstring posFiles = L"0 C:\\V\\001201\\generic_ab.esc < C:\\P\\generic_ab.esc\n"
                                  L"0 C:\\V\\001201\\ab1.bmp < C:\\P\\ab1.bmp\n"
                                  L"2 C:\\V\\001201\\address.bmp < \n"
                                  L"0 C:\\V\\001201\\ab_POS.xml < C:\\P\\abPOS.xml\n"
                                  L"1 C:\\V\\001202\\generic_ab.esc < C:\\V\\001201\\generic_ab.esc\n";
    EXPECT_EQ(files.substr(0, posFiles.size()), posFiles);
    EXPECT_NE(files.find(L"1 C:\\V\\001212\\ab_BACK.xml < C:\\V\\001209\\ab_BACK.xml\n"), std::wstring::npos);
    EXPECT_EQ(state.Files().size(), 24u);

    const std::vector<RegKeyData> keys = state.Keys();
    ASSERT_EQ(keys.size(), 1u + 6 * 3);
    EXPECT_EQ(keys[0].values.size(), 2u);  // ps2pdf_cmd, ps2pdf_params
    EXPECT_EQ(state.parts[1].replaces, L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps");  // and only the request's maps
    const std::vector<RegKeyData> map5(keys.begin() + 1 + 4 * 3, keys.begin() + 1 + 5 * 3);
    EXPECT_EQ(Utf8Of(RegFileText({}, map5)),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\5]\r\n"
              "\"Alias\"=\"AB_BACK10\"\r\n"
              "\"EscFile\"=\"C:\\\\V\\\\001210\\\\generic_ab.esc\"\r\n"
              "\"Encoding\"=dword:000001b5\r\n"
              "\"LinesPerPage\"=dword:00000035\r\n"
              "\"FirstPageLine\"=dword:00000000\r\n"
              "\"FirstLinePos\"=dword:00000001\r\n"
              "\"LastLinePos\"=dword:00000033\r\n"
              "\"FirstItemPos\"=dword:00000000\r\n"
              "\"PageSeparator\"=dword:0000000c\r\n"
              "\"FirstFooterPos\"=\"0,0,0\"\r\n"
              "\"FloatFieldReset\"=\"14,73,81\"\r\n"
              "\"ForwardEafdss\"=dword:00000001\r\n"
              "\"SaveImage\"=dword:00000000\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\5\\Master]\r\n"
              "\"Barcode39\"=\"1;2600;1040;90;*001210;*;0;0;Free 3 of 9 Extended;24;0;0;0;0\"\r\n"
              "\"Barcode239\"=\"1;1600;300;0;*001210;*;0;0;Free 3 of 9 Extended;24;0;0;0;0\"\r\n"
              "\"Copies\"=dword:00000001\r\n"
              "\"Font\"=\"161;-2147483640;Arial;7;0;0;0;0;\"\r\n"
              "\"MakeBarcode\"=dword:00000002\r\n"
              "\"OpaqueText\"=dword:00000000\r\n"
              "\"PageSize\"=dword:00000009\r\n"
              "\"Orientation\"=dword:00000002\r\n"
              "\"Printer\"=\"Εκτυπωτής γραφείου\"\r\n"
              "\"XmlFile\"=\"C:\\\\V\\\\001210\\\\ab_BACK.xml\"\r\n"
              "\"QrCodePosX\"=dword:000000d2\r\n"
              "\"QrCodePosY\"=dword:0000000c\r\n"
              "\"QrCodeWidth\"=dword:0000001e\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps\\5\\Copy]\r\n"
              "\"Barcode39\"=\"1;2600;1040;90;*001210;*;0;0;Free 3 of 9 Extended;24;0;0;0;0\"\r\n"
              "\"Barcode239\"=\"1;1600;300;0;*001210;*;0;0;Free 3 of 9 Extended;24;0;0;0;0\"\r\n"
              "\"Copies\"=dword:00000001\r\n"
              "\"Font\"=\"161;-2147483640;Arial;7;0;0;0;0;\"\r\n"
              "\"MakeBarcode\"=dword:00000002\r\n"
              "\"OpaqueText\"=dword:00000000\r\n"
              "\"PageSize\"=dword:00000009\r\n"
              "\"Orientation\"=dword:00000002\r\n"
              "\"Printer\"=\"CutePDF Writer\"\r\n"
              "\"PrnOutDir\"=\"\"\r\n"
              "\"PrnExType\"=\"psa;1;001210\"\r\n"
              "\"XmlFile\"=\"C:\\\\V\\\\001210\\\\ab_BACK.xml\"\r\n"
              "\"QrCodePosX\"=dword:000000d2\r\n"
              "\"QrCodePosY\"=dword:0000000c\r\n"
              "\"QrCodeWidth\"=dword:0000001e\r\n\r\n");
}
