#include <gtest/gtest.h>

#include "common/reg_text.h"

namespace {

const wchar_t kHeader[] = L"Windows Registry Editor Version 5.00\r\n\r\n";
const wchar_t kKey[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla";

std::wstring Section(const std::wstring& lines)
{
    return kHeader + (L"[" + std::wstring(kKey) + L"]\r\n") + lines + L"\r\n";
}

}  // namespace

TEST(RegText, WritesEachValueAsRegeditDoes)
{
    struct Case {
        const char* what;
        RegValueData value;
        const wchar_t* line;
    };
    const Case cases[] = {
        {"escapes", RegTextValue(L"a\"b\\c", L"C:\\gs\\\"x\""), L"\"a\\\"b\\\\c\"=\"C:\\\\gs\\\\\\\"x\\\"\""},
        {"Greek", RegTextValue(L"Όνομα", L"Ερμού 1"), L"\"Όνομα\"=\"Ερμού 1\""},
        {"default value", RegTextValue(L"", L""), L"@=\"\""},
        {"dword", RegDwordValue(L"n", 0xA0B0C0D), L"\"n\"=dword:0a0b0c0d"},
        {"dword of 3 bytes", {L"n", 4, {1, 2, 3}}, L"\"n\"=hex(4):01,02,03"},
        {"expand_sz", {L"p", 2, {'%', 0, 0, 0}}, L"\"p\"=hex(2):25,00,00,00"},
        {"qword", {L"q", 11, {1, 0, 0, 0, 0, 0, 0, 0x80}}, L"\"q\"=hex(b):01,00,00,00,00,00,00,80"},
        {"other type", {L"o", 0x10000, {}}, L"\"o\"=hex(10000):"},
        {"binary wraps at 80 columns",
         {L"Bin", 3, std::vector<uint8_t>(30, 0xab)},
         L"\"Bin\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,\\\r\n"
         L"  ab,ab,ab,ab,ab,ab,ab"},
        {"text with a line break", RegTextValue(L"t", L"a\r\n"), L"\"t\"=hex(1):61,00,0d,00,0a,00,00,00"},
        {"text without its NUL", {L"t", 1, {'a', 0}}, L"\"t\"=hex(1):61,00"},
        {"text with an inner NUL", {L"t", 1, {'a', 0, 0, 0, 0, 0}}, L"\"t\"=hex(1):61,00,00,00,00,00"},
        {"text of odd length", {L"t", 1, {'a', 0, 0}}, L"\"t\"=hex(1):61,00,00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RegFileText({}, {{kKey, {}, {c.value}}}), Section(c.line + std::wstring(L"\r\n")));
    }
}

TEST(RegText, DeletedKeysComeFirstThenRemovedValuesBeforeTheOthers)
{
    std::wstring maps = std::wstring(kKey) + L"\\maps";
    std::wstring text = RegFileText({maps, kKey}, {{kKey, {L"gone", L""}, {RegDwordValue(L"x", 1)}}, {maps, {}, {}}});
    EXPECT_EQ(text, std::wstring(kHeader) + L"[-" + maps + L"]\r\n\r\n[-" + kKey + L"]\r\n\r\n[" + kKey +
                        L"]\r\n\"gone\"=-\r\n@=-\r\n\"x\"=dword:00000001\r\n\r\n[" + maps + L"]\r\n\r\n");
}
