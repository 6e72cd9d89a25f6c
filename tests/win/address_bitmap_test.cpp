// The branch header image as a file: when it is written, replaced and refused. Its pixels are
// checked by address_bitmap_check.py.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/handles.h"
#include "config/address_bitmap.h"
#include "support/win_test_support.h"

namespace {
const size_t kBitmapFileSize = 14 + 40 + 256 * 4 + 488 * 102;

const std::vector<std::wstring> kHeader = {
    L"Κατάστημα: Λεωφ. Αθηνών 12", L"Αθήνα, Τηλ. 2101234567", L"Κεντρικό: Σταδίου 5",
    L"Τηλ. 2107654321",            L"ΑΦΜ 099999999, ΔΟΥ ΦΑΕ",
};

struct Recorder {
    std::vector<std::wstring> messages;
    ShowMessageFn Fn()
    {
        return [this](const std::wstring& text) { messages.push_back(text); };
    }
};

}  // namespace

TEST(AddressBitmapFile, AnythingButFiveLinesWritesNothing)
{
    TempFolder folder;
    for (size_t count : {0u, 1u, 4u, 6u}) {
        SCOPED_TRACE(count);
        std::vector<std::wstring> lines(count, L"Κατάστημα: x");
        Recorder recorder;
        EXPECT_FALSE(RenderAddressBitmap(folder / L"address.bmp", lines, recorder.Fn()).has_value());
        EXPECT_EQ(GetFileAttributesW((folder / L"address.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(recorder.messages.empty());
    }
}

TEST(AddressBitmapFile, ReplacesAnExistingFileInPlace)
{
    // Map folders link to the first folder's image: a new image must reach every link.
    TempFolder folder;
    const std::wstring path = folder / L"address.bmp";
    const std::wstring link = folder / L"linked.bmp";
    WriteBytes(path, std::string(100000, 'x'));
    ASSERT_TRUE(CreateHardLinkW(link.c_str(), path.c_str(), nullptr));

    Recorder recorder;
    ASSERT_TRUE(RenderAddressBitmap(path, kHeader, recorder.Fn()).has_value());
    EXPECT_TRUE(recorder.messages.empty());
    std::string image = ReadBytes(path);
    EXPECT_EQ(image.size(), kBitmapFileSize);
    EXPECT_EQ(image.substr(0, 2), "BM");
    EXPECT_TRUE(ReadBytes(link) == image);
    EXPECT_EQ(FileInfo(path).nNumberOfLinks, 2u);
}

TEST(AddressBitmapFile, FileThatCannotBeCreatedIsReportedAndTheCallerGoesOn)
{
    TempFolder folder;
    const std::wstring locked = folder / L"locked.bmp";
    WriteBytes(locked, "old");
    UniqueFile holder(CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    const std::wstring folderInTheWay = folder / L"address.bmp";
    MakeFolders(folderInTheWay);

    struct Case {
        const char* what;
        std::wstring path;
    };
    const Case cases[] = {
        {"missing folder", folder / L"missing\\address.bmp"},
        {"opened by another without sharing", locked},
        {"a folder of that name", folderInTheWay},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder recorder;
        EXPECT_TRUE(RenderAddressBitmap(c.path, kHeader, recorder.Fn()).has_value());
        EXPECT_EQ(recorder.messages, std::vector<std::wstring>{L"Cannot create file " + c.path});
    }
    holder.reset();
    EXPECT_TRUE(ReadBytes(locked) == "old");
}

TEST(AddressBitmapFile, TextThatNeverFitsIsDrawnAtTheSmallestHeight)
{
    TempFolder folder;
    std::vector<std::wstring> lines = kHeader;
    lines[1] = std::wstring(3000, L'W');
    Recorder recorder;
    auto fit = RenderAddressBitmap(folder / L"address.bmp", lines, recorder.Fn());
    ASSERT_TRUE(fit.has_value());
    EXPECT_EQ(fit->fontHeight, kAddressMinFontHeight);
    EXPECT_GT(fit->block.width, kAddressFitWidth);
    EXPECT_EQ(ReadBytes(folder / L"address.bmp").size(), kBitmapFileSize);
}

TEST(AddressBitmapFile, MeasureLinesTakesTheWidestAndAddsTheHeightsOfTheFirstFour)
{
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    UniqueFont font(CreateFontW(25, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
    SelectScope select(dc.get(), font.get());
    const std::wstring wide = L"Κεντρικό: Σταδίου 5, Αθήνα";
    TextBlockSize one = MeasureLines(dc.get(), {L"Τηλ."});
    TextBlockSize widest = MeasureLines(dc.get(), {wide});
    ASSERT_GT(one.height, 0);
    ASSERT_GT(widest.width, one.width);

    TextBlockSize four = MeasureLines(dc.get(), {L"Τηλ.", wide, L"Τηλ.", L"Τηλ."});
    EXPECT_EQ(four.width, widest.width);
    EXPECT_EQ(four.height, 4 * one.height);
    TextBlockSize five = MeasureLines(dc.get(), {L"Τηλ.", wide, L"Τηλ.", L"Τηλ.", std::wstring(500, L'W')});
    EXPECT_EQ(five.width, four.width);
    EXPECT_EQ(five.height, four.height);
}
