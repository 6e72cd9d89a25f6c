#include <gtest/gtest.h>

#include "common/long_path.h"
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

// The long-path form: only absolute paths of MAX_PATH - 12 characters or more get a prefix, and
// taking it away gives the ordinary path back.
TEST(Paths, TheLongFormIsGivenOnlyToLongAbsolutePaths)
{
    const std::wstring name(250, L'n');
    const std::wstring cases[][2] = {
        {L"C:\\a", L"C:\\a"},
        {L"C:\\" + name, L"\\\\?\\C:\\" + name},
        {L"\\\\s\\" + name, L"\\\\?\\UNC\\s\\" + name},
        {L"\\\\?\\C:\\" + name, L"\\\\?\\C:\\" + name},
        {L"a\\" + name, L"a\\" + name},  // relative: the system resolves it only without a prefix
    };
    for (const auto& [path, form] : cases) {
        SCOPED_TRACE(path.substr(0, 12));
        EXPECT_EQ(LongPathName(path), form);
        EXPECT_EQ(WithoutLongPrefix(LongPathName(path)), path.rfind(L"\\\\?\\", 0) == 0 ? path.substr(4) : path);
    }
}
