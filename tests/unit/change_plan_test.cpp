// The plan writer, the one simulation of a run: one row per action it plans, and one per place
// where it asks the machine whether the run could write.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "common/errors.h"
#include "common/sha256.h"
#include "config/change_plan.h"

namespace {

const std::wstring kVorla = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Kelvane\\Vorla";
const std::wstring kMaps = L"SOFTWARE\\Kelvane\\Vorla\\maps";

// Folders and files by path; file bytes by path.
struct Disk : MachineProbe {
    std::set<std::wstring> folders{L"C:\\I"};
    std::map<std::wstring, std::string> files{{L"C:\\I\\a.txt", "abc"}, {L"C:\\I\\address.bmp", "OLD"}};
    std::wstring ProgramFolder() override { return L"C:\\P"; }
    bool ProgramFilesFolder(std::wstring&, unsigned long&) override { return true; }
    bool IsFolder(const std::wstring& path) override { return folders.count(path) != 0; }
    bool IsFile(const std::wstring& path) override { return files.count(path) != 0; }
    std::vector<std::wstring> Printers() override { return {}; }
    bool HasFontFamily(const std::wstring&) override { return true; }
    std::optional<std::string> FileBytes(const std::wstring& path, size_t max) override
    {
        const auto file = files.find(path);
        return file == files.end() ? std::nullopt : std::optional<std::string>(file->second.substr(0, max));
    }
};

RegValue Text(const wchar_t* name, const wchar_t* text)
{
    return RegValue{name, RegKind::Text, text, 0};
}

std::wstring Side(const std::optional<ChangeSide>& side)
{
    if (!side)
        return L"-";
    if (side->kind == ChangeSide::Kind::File)
        return L"file " + std::to_wstring(side->size) + (side->lines.empty() ? L"" : L" lines");
    if (side->kind == ChangeSide::Kind::Key)
        return L"key " + std::to_wstring(side->values.size()) + L"+" + std::to_wstring(side->subkeys.size());
    return L"type " + std::to_wstring(side->type) + L"/" + std::to_wstring(side->data.size());
}

std::wstring Wide(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

// Each change as "action target path[:name] before -> after", then where the run would fail.
std::vector<std::wstring> Rendered(const Plan& plan)
{
    std::vector<std::wstring> lines;
    for (const Change& c : plan.Changes())
        lines.push_back(Wide(ChangeActionName(c.action)) + L" " + c.path + (c.name.empty() ? L"" : L":" + c.name) + L" " + Side(c.before) + L" -> " +
                        Side(c.after));
    if (plan.Fails())
        lines.push_back(Wide(plan.failCode) + L": " + plan.failText);
    return lines;
}

}  // namespace

TEST(PlanWriter, PlansEachActionAndStopsWhereTheMachineRefuses)
{
    const std::vector<RegKeyData> tree{
        {kVorla, {}, {RegTextValue(L"ps2pdf_cmd", L"gs")}},
        {kVorla + L"\\maps", {}, {}},
        // Flag holds the bytes of a REG_DWORD 1 under another type: another value all the same.
        {kVorla + L"\\maps\\1", {}, {RegTextValue(L"Alias", L"A"), RegValueData{L"Flag", kRegBinary, {1, 0, 0, 0}}}},
        {kVorla + L"\\maps\\2", {}, {RegTextValue(L"Alias", L"C"), RegTextValue(L"Old", L"x")}},
    };
    const std::wstring map1 = kVorla + L"\\maps\\1", map2 = kVorla + L"\\maps\\2";
    const auto keepMap1 = [](PlanWriter& w, PlanInputs&, Disk&) {
        w.RemoveKeyTree(kMaps);
        w.WriteKey(kMaps + L"\\1", {Text(L"Alias", L"A"), RegValue{L"Flag", RegKind::Number, L"", 1}});
    };
    struct Row {
        const char* what;
        std::function<void(PlanWriter&, PlanInputs&, Disk&)> run;
        std::vector<std::wstring> expected;
    };
    const Row rows[] = {
        {"a value of the same bytes and another type is written",
         [](PlanWriter& w, PlanInputs&, Disk&) { w.WriteKey(kMaps + L"\\1", {RegValue{L"Flag", RegKind::Number, L"", 1}}); },
         {L"written " + map1 + L":Flag type 3/4 -> type 4/4"}},
        {"a value that stays is not planned",
         [](PlanWriter& w, PlanInputs&, Disk&) { w.WriteKey(kMaps + L"\\1", {Text(L"Alias", L"A")}); }, {}},
        {"a changed value is written in place",
         [](PlanWriter& w, PlanInputs&, Disk&) { w.WriteKey(kMaps + L"\\1", {Text(L"Alias", L"BB")}); },
         {L"written " + map1 + L":Alias type 1/4 -> type 1/6"}},
        {"a new key is created, then its values written",
         [](PlanWriter& w, PlanInputs&, Disk&) { w.WriteKey(kMaps + L"\\3", {Text(L"Alias", L"D")}); },
         {L"created " + kVorla + L"\\maps\\3 - -> key 1+0", L"written " + kVorla + L"\\maps\\3:Alias - -> type 1/4"}},
        {"a map no longer asked for is removed; the map that stays is untouched", keepMap1,
         {L"removed " + map2 + L" key 2+0 -> -", L"written " + map1 + L":Flag type 3/4 -> type 4/4"}},
        {"a value no longer written is removed",
         [](PlanWriter& w, PlanInputs&, Disk&) {
             w.RemoveKeyTree(kMaps);
             w.WriteKey(kMaps + L"\\2", {Text(L"Alias", L"C")});
         },
         {L"removed " + map1 + L" key 2+0 -> -", L"removed " + map2 + L":Old type 1/4 -> -"}},
        {"a folder is made", [](PlanWriter& w, PlanInputs&, Disk&) { w.MakeFolder(L"C:\\I\\f"); },
         {L"made C:\\I\\f - -> -"}},
        {"a file is copied and linked",
         [](PlanWriter& w, PlanInputs&, Disk&) {
             w.CopyNew(L"C:\\I\\a.txt", L"C:\\I\\b.txt");
             w.LinkNew(L"C:\\I\\b.txt", L"C:\\I\\c.txt");
             w.CopyNew(L"C:\\I\\a.txt", L"C:\\I\\a.txt");  // never over a file that is there
         },
         {L"copied C:\\I\\b.txt - -> file 3", L"linked C:\\I\\c.txt - -> file 3"}},
        {"the header image is drawn over another, with its lines after",
         [](PlanWriter& w, PlanInputs&, Disk&) { w.DrawAddress(L"C:\\I\\address.bmp", {L"x"}, [](const std::wstring&) {}); },
         {L"drawn C:\\I\\address.bmp file 3 -> file 5 lines"}},
        {"an equal image is left alone",
         [](PlanWriter& w, PlanInputs&, Disk& d) {
             d.files[L"C:\\I\\address.bmp"] = "IMAGE";
             w.DrawAddress(L"C:\\I\\address.bmp", {L"x"}, [](const std::wstring&) {});
         },
         {}},
        // The probes: where the machine refuses, the run would stop, with its own message.
        {"a key that refuses values",
         [](PlanWriter& w, PlanInputs& in, Disk&) {
             in.canWriteKey = [](const std::wstring& key) { return key.find(L"maps\\1") == std::wstring::npos; };
             w.WriteKey(kMaps + L"\\3", {Text(L"Alias", L"D")});
             w.WriteKey(kMaps + L"\\1", {Text(L"Alias", L"B")});
         },
         {L"created " + kVorla + L"\\maps\\3 - -> key 1+0", L"written " + kVorla + L"\\maps\\3:Alias - -> type 1/4",
          L"map-write-failed: Failed to set data for 'Alias'"}},
        {"a key that an upgrade cannot open",
         [](PlanWriter& w, PlanInputs& in, Disk&) {
             in.canWriteKey = [](const std::wstring&) { return false; };
             w.UpdateKey(kMaps + L"\\1", false, {Text(L"Alias", L"B")});
         },
         {L"map-write-failed: Failed to open " + kMaps + L"\\1"}},
        {"the product key that refuses values",
         [](PlanWriter& w, PlanInputs& in, Disk&) {
             in.canWriteKey = [](const std::wstring&) { return false; };
             w.WriteKey(L"SOFTWARE\\Kelvane\\Vorla", {Text(L"ps2pdf_cmd", L"gs2")});
         },
         {L"product-write-failed: Failed to set data for 'ps2pdf_cmd'"}},
        {"a key that cannot be deleted",
         [keepMap1](PlanWriter& w, PlanInputs& in, Disk& d) {
             in.canDeleteKey = [](const std::wstring&) { return false; };
             keepMap1(w, in, d);
         },
         {L"maps-remove-failed: Failed to delete key '2'"}},  // removals come first, as in the run
        {"a backup that cannot be made stops the run before its first change",
         [](PlanWriter& w, PlanInputs& in, Disk&) {
             in.checkBackup = [](const std::vector<std::wstring>&) { throw AppError(L"Cannot write backup B"); };
             w.Backup({});
             w.WriteKey(kMaps + L"\\1", {Text(L"Alias", L"B")});
         },
         {L"backup-failed: Cannot write backup B"}},
        {"a folder that cannot be made takes nothing in",
         [](PlanWriter& w, PlanInputs& in, Disk&) {
             in.folderError = [](const std::wstring&) { return 5ul; };
             w.MakeFolder(L"C:\\I\\f");
             w.CopyNew(L"C:\\I\\a.txt", L"C:\\I\\f\\a.txt");
         },
         {}},
        {"a header image that cannot be written is said, and not planned",
         [](PlanWriter& w, PlanInputs& in, Disk&) {
             in.canWriteFile = [](const std::wstring&) { return false; };
             std::wstring said;
             w.DrawAddress(L"C:\\I\\address.bmp", {L"x"}, [&](const std::wstring& text) { said = text; });
             EXPECT_EQ(said, L"Cannot create file C:\\I\\address.bmp");
         },
         {}},
    };
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex(std::string(1000, 'a')).substr(0, 16), "41edece42d63e8d9");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Disk disk;
        PlanInputs inputs;
        inputs.tree = tree;
        inputs.drawImage = [](const std::vector<std::wstring>&) { return std::optional<std::string>("IMAGE"); };
        PlanWriter writer(inputs, disk);
        row.run(writer, inputs, disk);
        EXPECT_EQ(Rendered(writer.Result()), row.expected);
    }
}
