#include <gtest/gtest.h>

#include "common/paths.h"

TEST(Paths, ParentSeparatorsAndTheFolderChain)
{
    EXPECT_EQ(ParentPath(L"C:\\a\\b.prn"), L"C:\\a");
    EXPECT_EQ(ParentPath(L"C:/a/b"), L"C:/a");
    EXPECT_EQ(ParentPath(L"\\a"), L"");
    EXPECT_EQ(ParentPath(L"name"), L"");
    EXPECT_EQ(WithTrailingSeparator(L"C:"), L"C:\\");
    EXPECT_EQ(WithTrailingSeparator(L"C:\\"), L"C:\\");
    EXPECT_EQ(WithoutTrailingSeparator(L"C:\\a\\"), L"C:\\a");
    EXPECT_EQ(FolderChain(L"C:\\a\\b"), (std::vector<std::wstring>{L"C:", L"C:\\a", L"C:\\a\\b"}));
    EXPECT_EQ(PathCompareKey(L"c:\\Ab"), L"C:\\AB");
    EXPECT_EQ(Utf16FileBytes(L"A\x0391"), std::string("\xFF\xFE" "A\0\x91\x03", 6));
}
