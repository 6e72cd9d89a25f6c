#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <vector>

#include "common/locale_text.h"
#include "common/utf.h"

// UTF-16 to UTF-8: pairs joined, a lone surrogate replaced.
TEST(Utf, EncodesPairsAndReplacesLoneSurrogates)
{
    EXPECT_EQ(Utf8Of(L"A\x03A9\x20AC"), "A\xCE\xA9\xE2\x82\xAC");
    EXPECT_EQ(Utf8Of(std::wstring{wchar_t(0xD83D), wchar_t(0xDE00), wchar_t(0xD800)}), "\xF0\x9F\x98\x80\xEF\xBF\xBD");
    EXPECT_EQ(Utf8Of(std::wstring{wchar_t(0xDC00), L'x'}), "\xEF\xBF\xBDx");
}

TEST(Utf, DecodesOnlyValidUtf8)
{
    struct Case {
        const char* what;
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"ascii and Greek", "a\xCE\xA9", true},
        {"four bytes", "\xF0\x9F\x98\x80", true},
        {"cut short", "\xCE", false},
        {"overlong slash", "\xC0\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", false},
        {"stray continuation", "\x80", false},
        {"windows-1253 Omega", "\xD9", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(WideOfUtf8(c.bytes).has_value(), c.valid);
        if (c.valid)
            EXPECT_EQ(Utf8Of(*WideOfUtf8(c.bytes)), c.bytes);
    }
    EXPECT_EQ(*WideOfUtf8("\xF0\x9F\x98\x80"), (std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}));
    EXPECT_EQ(WideOfUtf8Lossy("a\xC0\xAF" "b"), L"a\xFFFD\xFFFD" L"b");
}

// Each BOM decides the encoding; without one, UTF-8 text is UTF-8 and text with no UTF-8 is ANSI.
TEST(Utf, TextFilesByTheirBom)
{
    EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFE\xA9\x03x\0", 6)), L"\x03A9x");
    EXPECT_EQ(DecodeTextFile(std::string("\xFE\xFF\x03\xA9\0x", 6)), L"\x03A9x");
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF\xCE\xA9"), L"\x03A9");
    EXPECT_EQ(DecodeTextFile("\xCE\xA9"), L"\x03A9");
    EXPECT_EQ(DecodeTextFile("abc"), L"abc");
    EXPECT_EQ(DecodeTextFile("caf\xE9"), AnsiToWide("caf\xE9"));  // not UTF-8: the ANSI code page
    EXPECT_EQ(DecodeTextFile("caf\xE9").size(), 4u);

    // Never guessed at: UTF-8 beside a byte that is not, and UTF-16 that is not whole.
    const struct {
        std::string bytes;
        TextFileRefused::Fault fault;
        size_t offset;
    } refused[] = {
        {"\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9" "caf\xE9", TextFileRefused::NotUtf8, 11},
        {"\xEF\xBB\xBF" "caf\xE9", TextFileRefused::NotUtf8, 6},
        {"caf\xE9 \xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9", TextFileRefused::NotUtf8, 3},
        {std::string("\xFF\xFEx\0\x00\xDC", 6), TextFileRefused::LoneSurrogate, 4},
        {std::string("\xFE\xFF\xD8\x00\0x", 6), TextFileRefused::LoneSurrogate, 2},
        {std::string("\xFF\xFEx\0y", 5), TextFileRefused::OddUtf16, 4},
    };
    for (const auto& r : refused) {
        try {
            DecodeTextFile(r.bytes);
            ADD_FAILURE() << "read: " << r.bytes;
        } catch (const TextFileRefused& e) {
            EXPECT_EQ(e.fault, r.fault);
            EXPECT_EQ(e.offset, r.offset);
        }
    }
}

// Decoding in a code page drops no byte: each byte that it leaves undefined is refused with its
// offset, whatever the system would make of it. The rows of code pages that a build does not know
// (the native one knows UTF-8 and Latin-1) are passed over.
TEST(Utf, CodePagesRefuseTheBytesTheyLeaveUndefined)
{
    const struct {
        unsigned codePage;
        std::string bytes;
        std::optional<size_t> undefinedAt;  // none: read as text
        std::wstring text;
    } rows[] = {
        {1253, "\xC1\xE2 \xA2", std::nullopt, L"\x0391\x03B2 \x0386"},
        {1253, "AB\xAA", 2, {}},
        {1253, "\xD2", 0, {}},
        {1253, "x\xFF", 1, {}},
        {1252, "caf\xE9 \xAA\x80", std::nullopt, L"caf\x00E9 \x00AA\x20AC"},
        {1252, "ab\x81", 2, {}},
        {20127, "plain", std::nullopt, L"plain"},
        {20127, "ab\xAA", 2, {}},
        {20127, "\x80", 0, {}},
        {65001, "\xCE\xA9", std::nullopt, L"\x03A9"},
        {65001, "a\xCE", 1, {}},
    };
    for (const auto& row : rows) {
        if (!IsKnownCodePage(row.codePage))
            continue;
        SCOPED_TRACE(std::to_string(row.codePage) + " " + row.bytes);
        try {
            EXPECT_EQ(DecodeInCodePage(row.bytes, row.codePage), row.text);
            EXPECT_FALSE(row.undefinedAt);
        } catch (const TextFileRefused& e) {
            EXPECT_EQ(e.fault, TextFileRefused::NotInCodePage);
            EXPECT_EQ(row.undefinedAt, e.offset);
        }
    }
}

namespace {

// Code page 1253 for the characters of Greek header lines: letters, « » °, and ASCII.
std::string Cp1253(std::wstring_view text)
{
    const std::wstring_view others = L"ΆΈΉΊΌΎΏ«»°";
    std::string out;
    for (wchar_t c : text)
        out += c >= 0x0390 && c <= 0x03CE       ? static_cast<char>(c - 0x02D0)
               : others.find(c) == others.npos ? static_cast<char>(c)
                                               : "\xA2\xB8\xB9\xBA\xBC\xBE\xBF\xAB\xBB\xB0"[others.find(c)];
    return out;
}

const wchar_t* const kHeaderLines[] = {
    L"«ΤΟ ΣΤΈΚΙ» Ο.Ε.", L"ΟΔΌΣ ΑΘΗΝΆΣ 12", L"ΑΦΜ 099999999 ΔΟΥ Α' ΑΘΗΝΩΝ", L"ΕΣΤΙΑΤΌΡΙΟ - ΚΑΦΕΤΈΡΙΑ",
    L"Λεωφ. Κηφισίας 124, 115 26 Αθήνα", L"ΠΑΝΤΟΠΩΛΕΊΟ «Η ΓΩΝΙΆ»", L"ΚΑΦΈ ΜΠΑΡ «ΤΟ ΣΤΈΚΙ» Ο.Ε.", L"ΘΕΡΜΟΚΡΑΣΊΑ 4°C"};

}  // namespace

// Greek headers saved in code page 1253 read in the ANSI code page, whatever their letters: real
// lines, and every text of two or three characters (but those that are UTF-8 throughout, which
// read as UTF-8 as any such text does).
TEST(Utf, GreekAnsiTextsReadInTheAnsiCodePage)
{
    const std::wstring alphabet =
        L"«»°19 .,-'&ΆΈΉΊΌΎΏάέήίόύώΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩαβγδεζηθικλμνξοπρςστυφχψω";
    std::vector<std::wstring> texts(std::begin(kHeaderLines), std::end(kHeaderLines));
    for (wchar_t a : alphabet)
        for (wchar_t b : alphabet) {
            texts.push_back({a, b});
            for (wchar_t c : alphabet)
                texts.push_back({a, b, c});
        }
    for (const std::wstring& text : texts)
        if (const std::string bytes = Cp1253(text); !WideOfUtf8(bytes))
            ASSERT_EQ(DecodeTextFile(bytes), AnsiToWide(bytes)) << Utf8Of(text);
}

// Greek UTF-8 with one to three stray bytes, put in or put over a byte at its start, middle and
// end, is refused: a whole header, and each line of ten Greek letters or more with one stray.
TEST(Utf, GreekUtf8WithStrayBytesIsRefused)
{
    std::wstring header;
    for (const wchar_t* line : kHeaderLines)
        header += std::wstring(line) + L"\r\n";
    std::vector<std::pair<std::string, int>> texts{{Utf8Of(header), 3}};
    for (const wchar_t* line : kHeaderLines)
        if (std::count_if(line, line + wcslen(line), [](wchar_t c) { return c >= 0x0386; }) >= 10)
            texts.push_back({Utf8Of(line), 1});
    for (const auto& [text, most] : texts)
        for (unsigned char stray : {0x80, 0xA0, 0xB8, 0xC0, 0xCE, 0xE9, 0xFF})
            for (int count = 1; count <= most; ++count)
                for (size_t step = 0; step < 3; ++step) {
                    std::string bytes = text;
                    for (int k = 0; k < count; ++k) {
                        const size_t at = (step * (text.size() - 1) / 2 + 7 * k) % bytes.size();
                        if ((k + step) % 2)
                            bytes.insert(at, 1, static_cast<char>(stray));
                        else
                            bytes[at] = static_cast<char>(stray);
                    }
                    if (!WideOfUtf8(bytes))  // else the stray made no damage
                        EXPECT_THROW(DecodeTextFile(bytes), TextFileRefused) << bytes;
                }
}
