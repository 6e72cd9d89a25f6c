#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "common/codes.h"

// Each declared code has its meaning in the catalogue, and the catalogue names no other code;
// a code is a message's at most once and a problem's at most once.
TEST(Codes, CatalogueHoldsExactlyTheDeclaredCodes)
{
    const std::set<std::string> declared(DeclaredCodes().begin(), DeclaredCodes().end());
    EXPECT_EQ(declared.size(), DeclaredCodes().size()) << "a code declared twice";
    std::set<std::string> catalogued;
    std::set<std::pair<std::string, bool>> uses;
    const std::regex shape("[a-z0-9]+(-[a-z0-9]+)*");
    for (const CodeRow& row : CodeCatalogue()) {
        SCOPED_TRACE(row.code);
        EXPECT_TRUE(std::regex_match(row.code, shape));
        EXPECT_NE(std::string(row.meaning), "");
        EXPECT_TRUE(uses.emplace(row.code, row.kind == CodeKind::Problem).second) << "catalogued twice";
        catalogued.insert(row.code);
    }
    EXPECT_EQ(catalogued, declared);
}
