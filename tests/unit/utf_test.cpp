#include <gtest/gtest.h>

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
        {"\xCE\xA9" "caf\xE9", TextFileRefused::NotUtf8, 5},
        {"\xEF\xBB\xBF" "caf\xE9", TextFileRefused::NotUtf8, 6},
        {"caf\xE9 \xCE\xA9", TextFileRefused::NotUtf8, 3},
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
