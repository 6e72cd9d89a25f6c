// The one diff: what a declared state would change on a machine as it stands, one row per action
// it plans, and one per place where it asks the machine whether the run could write.
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

RegValueData Text(const wchar_t* name, const wchar_t* text)
{
    return RegTextValue(name, text);
}

RegValueData Number(const wchar_t* name, uint32_t number)
{
    return RegDwordValue(name, number);
}

// A part that declares one key, below the product key.
DesiredPart Keyed(const std::wstring& below, std::vector<RegValueData> values)
{
    DesiredPart part;
    part.keys.push_back({kVorla + below, {}, std::move(values)});
    return part;
}

DesiredPart Replacing(const std::wstring& below)
{
    DesiredPart part;
    part.replaces = kVorla + below;
    return part;
}

DesiredPart Filed(std::wstring folder, std::vector<DesiredFile> files)
{
    DesiredPart part;
    part.folder = std::move(folder);
    part.files = std::move(files);
    return part;
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

// Each message said where the run says it, then each change as "action path[:name] before ->
// after", then where the run would fail.
std::vector<std::wstring> Rendered(const Plan& plan, const std::vector<OutcomeMessage>& said)
{
    std::vector<std::wstring> lines;
    size_t shown = 0;
    const auto sayUpTo = [&](size_t count) {
        for (; shown < count && shown < said.size(); ++shown)
            lines.push_back(L"said " + said[shown].text);
    };
    const std::vector<Change> changes = plan.Changes();
    for (size_t i = 0; i < changes.size(); ++i) {
        sayUpTo(plan.steps[i].shownBefore);
        const Change& c = changes[i];
        lines.push_back(Wide(ChangeActionName(c.action)) + L" " + c.path + (c.name.empty() ? L"" : L":" + c.name) + L" " +
                        Side(c.before) + L" -> " + Side(c.after));
    }
    sayUpTo(said.size());
    if (plan.Fails())
        lines.push_back(Wide(plan.failCode) + L": " + plan.failText);
    return lines;
}

}  // namespace

TEST(Diff, PlansEachActionAndStopsWhereTheMachineRefuses)
{
    const std::vector<RegKeyData> tree{
        {kVorla, {}, {RegTextValue(L"ps2pdf_cmd", L"gs")}},
        {kVorla + L"\\maps", {}, {}},
        // Flag holds the bytes of a REG_DWORD 1 under another type: another value all the same.
        {kVorla + L"\\maps\\1", {}, {RegTextValue(L"Alias", L"A"), RegValueData{L"Flag", kRegBinary, {1, 0, 0, 0}}}},
        {kVorla + L"\\maps\\2", {}, {RegTextValue(L"Alias", L"C"), RegTextValue(L"Old", L"x")}},
        {kVorla + L"\\mapsOld", {}, {RegTextValue(L"Alias", L"E")}},  // beside maps, never below it
    };
    const std::wstring map1 = kVorla + L"\\maps\\1", map2 = kVorla + L"\\maps\\2", map3 = kVorla + L"\\maps\\3";
    const std::vector<DesiredPart> keepMap1{Replacing(L"\\maps"), Keyed(L"\\maps\\1", {Text(L"Alias", L"A"), Number(L"Flag", 1)})};
    const DesiredFile image{DesiredFile::Source::Image, L"C:\\I\\address.bmp", L"", std::string("IMAGE"), {L"x"}};
    struct Row {
        const char* what;
        std::vector<DesiredPart> parts;
        std::function<void(DesiredState&, PlanInputs&, Disk&)> arrange;
        std::vector<std::wstring> expected;
    };
    const auto none = [](DesiredState&, PlanInputs&, Disk&) {};
    const Row rows[] = {
        {"a value of the same bytes and another type is written", {Keyed(L"\\maps\\1", {Number(L"Flag", 1)})}, none,
         {L"written " + map1 + L":Flag type 3/4 -> type 4/4"}},
        {"a value that stays is not planned", {Keyed(L"\\maps\\1", {Text(L"Alias", L"A")})}, none, {}},
        {"a changed value is written in place", {Keyed(L"\\maps\\1", {Text(L"Alias", L"BB")})}, none,
         {L"written " + map1 + L":Alias type 1/4 -> type 1/6"}},
        {"a new key is created with what it will hold, then its values written", {Keyed(L"\\maps\\3", {Text(L"Alias", L"D")})},
         none, {L"created " + map3 + L" - -> key 1+0", L"written " + map3 + L":Alias - -> type 1/4"}},
        {"a missing key above is created first", {Keyed(L"\\maps\\3\\Copy", {Text(L"Alias", L"D")})}, none,
         {L"created " + map3 + L" - -> key 0+1", L"created " + map3 + L"\\Copy - -> key 1+0",
          L"written " + map3 + L"\\Copy:Alias - -> type 1/4"}},
        {"a map no longer declared is removed with what it held; the map that stays is untouched", keepMap1, none,
         {L"removed " + map2 + L" key 2+0 -> -", L"written " + map1 + L":Flag type 3/4 -> type 4/4"}},
        {"a value no longer declared is removed", {Replacing(L"\\maps"), Keyed(L"\\maps\\2", {Text(L"Alias", L"C")})}, none,
         {L"removed " + map1 + L" key 2+0 -> -", L"removed " + map2 + L":Old type 1/4 -> -"}},
        {"a replaced key that nothing is declared below goes itself", {Replacing(L"\\maps")}, none,
         {L"removed " + kVorla + L"\\maps key 0+2 -> -"}},
        {"a folder is made", {Filed(L"C:\\I\\f", {})}, none, {L"made C:\\I\\f - -> -"}},
        {"a file is copied and linked, never over a file that is there",
         {Filed(L"", {{DesiredFile::Source::Copy, L"C:\\I\\b.txt", L"C:\\I\\a.txt", {}, {}},
                      {DesiredFile::Source::Link, L"C:\\I\\c.txt", L"C:\\I\\b.txt", {}, {}},
                      {DesiredFile::Source::Copy, L"C:\\I\\a.txt", L"C:\\I\\c.txt", {}, {}}})},
         none, {L"copied C:\\I\\b.txt - -> file 3", L"linked C:\\I\\c.txt - -> file 3"}},
        {"the header image is drawn over another, with its lines after", {Filed(L"", {image})}, none,
         {L"drawn C:\\I\\address.bmp file 3 -> file 5 lines"}},
        {"an equal image is left alone", {Filed(L"", {image})},
         [](DesiredState&, PlanInputs&, Disk& d) { d.files[L"C:\\I\\address.bmp"] = "IMAGE"; }, {}},
        {"a part's note is said before its changes", {Keyed(L"\\maps\\1", {Text(L"Alias", L"B")})},
         [](DesiredState& s, PlanInputs&, Disk&) {
             s.parts.front().note = OutcomeMessage{MessageKind::Warning, "template-missing", L"note"};
             s.parts.insert(s.parts.begin(), Keyed(L"", {Text(L"ps2pdf_cmd", L"gs2")}));
         },
         {L"written " + kVorla + L":ps2pdf_cmd type 1/6 -> type 1/8", L"said note", L"written " + map1 + L":Alias type 1/4 -> type 1/4"}},
        // The probes: where the machine refuses, the run would stop, with its own message.
        {"a key that refuses values", {Keyed(L"\\maps\\3", {Text(L"Alias", L"D")}), Keyed(L"\\maps\\1", {Text(L"Alias", L"B")})},
         [](DesiredState&, PlanInputs& in, Disk&) {
             in.canWriteKey = [](const std::wstring& key) { return key.find(L"maps\\1") == std::wstring::npos; };
         },
         {L"created " + map3 + L" - -> key 1+0", L"written " + map3 + L":Alias - -> type 1/4",
          L"map-write-failed: Failed to set data for 'Alias'"}},
        {"a key that an upgrade cannot open", {Keyed(L"\\maps\\1", {Text(L"Alias", L"B")})},
         [](DesiredState& s, PlanInputs& in, Disk&) {
             s.opensKeys = true;
             in.canWriteKey = [](const std::wstring&) { return false; };
         },
         {L"map-write-failed: Failed to open " + kMaps + L"\\1"}},
        {"the product key that refuses values", {Keyed(L"", {Text(L"ps2pdf_cmd", L"gs2")})},
         [](DesiredState&, PlanInputs& in, Disk&) { in.canWriteKey = [](const std::wstring&) { return false; }; },
         {L"product-write-failed: Failed to set data for 'ps2pdf_cmd'"}},
        {"a key that cannot be deleted", keepMap1,
         [](DesiredState&, PlanInputs& in, Disk&) { in.canDeleteKey = [](const std::wstring&) { return false; }; },
         {L"maps-remove-failed: Failed to delete key '2'"}},  // removals come first, as in the run
        {"a backup that cannot be made stops the run before its first change", {Keyed(L"\\maps\\1", {Text(L"Alias", L"B")})},
         [](DesiredState&, PlanInputs& in, Disk&) {
             in.checkBackup = [](const std::vector<std::wstring>&) { throw AppError(L"Cannot write backup B"); };
         },
         {L"backup-failed: Cannot write backup B"}},
        {"a folder that cannot be made takes nothing in",
         {Filed(L"C:\\I\\f", {{DesiredFile::Source::Copy, L"C:\\I\\f\\a.txt", L"C:\\I\\a.txt", {}, {}}})},
         [](DesiredState&, PlanInputs& in, Disk&) { in.disk.folderError = [](const std::wstring&) { return 5ul; }; }, {}},
        {"a header image that cannot be written is said, and not planned", {Filed(L"", {image})},
         [](DesiredState&, PlanInputs& in, Disk&) { in.disk.canWriteFile = [](const std::wstring&) { return false; }; },
         {L"said Cannot create file C:\\I\\address.bmp"}},
    };
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex(std::string(1000, 'a')).substr(0, 16), "41edece42d63e8d9");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Disk disk;
        PlanInputs inputs;
        DesiredState state;
        state.parts = row.parts;
        row.arrange(state, inputs, disk);
        DiskAfter after(disk, inputs.disk);
        std::vector<OutcomeMessage> said;
        Plan plan = Diff(tree, state, &after, said);
        plan.backup = true;
        ProbeWrites(plan, inputs);
        EXPECT_EQ(Rendered(plan, said), row.expected);
        // The plan's tree is the declared state laid over the tree as it stands.
        EXPECT_EQ(plan.treeAfter, TreeAfter(tree, state));
    }
}
