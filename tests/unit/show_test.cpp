// /show reads back the request that /configure was given, or says why no request gives the tree.
#include <gtest/gtest.h>

#include "common/utf.h"
#include "config/check.h"
#include "config/desired.h"
#include "config/configure.h"
#include "config/show.h"

namespace {

const std::wstring kInstall = L"C:\\Program Files\\Kelvane\\Kelvane Vorla", kGs = L"C:\\gs.exe";
const std::wstring kMaps = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla\\maps";

Request Asked(int branch, std::vector<int> pos, std::vector<int> back)
{
    Request r;
    r.branch = branch;
    r.pos = std::move(pos);
    r.back = std::move(back);
    r.posPrinter = r.pos.empty() ? L"" : L"POS Printer";
    r.backPrinter = r.back.empty() ? L"" : L"Γραφείο";
    r.uncPos = r.pos.empty() ? L"" : L"\\\\fs\\POS";
    return r;
}

// The tree that /configure leaves for the request.
std::vector<RegKeyData> Configured(const Request& request)
{
    std::vector<RegKeyData> tree{{L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla", {}, {}}, {kMaps, {}, {}}};
    for (const RegValue& value : ResolveProductValues(kGs))
        tree[0].values.push_back(RegTextValue(value.name, value.text));
    for (RegKeyData& key : DesiredMaps(request, kInstall))
        tree.push_back(key);
    return tree;
}

}  // namespace

TEST(ShowRequest, GivesBackTheRequestThatConfiguredTheTree)
{
    for (const Request& request : {Asked(12, {1, 2, 4}, {9, 10, 12}), Asked(1, {100}, {}), Asked(9999, {}, {0, 7}),
                                   Asked(305, {5}, {50})}) {
        SCOPED_TRACE(request.branch);
        const ShownRequest shown = ShowRequest(Configured(request), kInstall, kGs);
        ASSERT_TRUE(shown.request) << Utf8Of(shown.whyNone);
        EXPECT_EQ(*shown.request, request);
    }
}

TEST(ShowRequest, SaysWhyNoRequestGivesTheTree)
{
    const std::vector<RegKeyData> good = Configured(Asked(12, {1, 2}, {9}));
    struct Case {
        const char* what;
        void (*breakIt)(std::vector<RegKeyData>&);
        std::wstring why;
    };
    const Case cases[] = {
        {"a stray map", [](std::vector<RegKeyData>& t) { t.push_back({kMaps + L"\\9", {}, {RegTextValue(L"Printer", L"x")}}); },
         kMaps + L"\\4 is missing: a request numbers its maps from 1 without gaps"},
        {"an alias of neither type",
         [](std::vector<RegKeyData>& t) { t[2].values[0] = RegTextValue(L"Alias", L"AB_X1"); },
         kMaps + L"\\1 is not a map that a request writes"},
        {"a value changed by hand",
         [](std::vector<RegKeyData>& t) { t[2].values[2] = RegDwordValue(L"Encoding", 1253); },
         kMaps + L"\\1: Encoding holds what no request writes"},
        {"an extra value", [](std::vector<RegKeyData>& t) { t[2].values.push_back(RegDwordValue(L"Extra", 1)); },
         kMaps + L"\\1: Extra is there, and no request writes it"},
        {"no maps", [](std::vector<RegKeyData>& t) { t.resize(2); }, kMaps + L" holds no map, so nothing tells the branch number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<RegKeyData> tree = good;
        c.breakIt(tree);
        const ShownRequest shown = ShowRequest(tree, kInstall, kGs);
        EXPECT_FALSE(shown.request);
        EXPECT_EQ(shown.whyNone, c.why);
    }
}
