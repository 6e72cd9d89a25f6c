#include "config/change_plan.h"

#include <algorithm>

#include "common/codes.h"
#include "common/errors.h"
#include "common/paths.h"
#include "common/text.h"

namespace {

// A key's path below its hive, as the registry's calls take it.
std::wstring BelowHive(const std::wstring& full)
{
    const size_t slash = full.find(L'\\');
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

// Key paths and value names compare regardless of letter case, as FindRegKey compares them:
// folded here in the program, with no call to the system for each of the tree's names.
std::wstring RegFold(std::wstring name)
{
    for (wchar_t& c : name)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return name;
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && (a == b || RegFold(a) == RegFold(b));
}

std::wstring ValueKey(const std::wstring& key, const std::wstring& name)
{
    return RegFold(key) + L"\n" + RegFold(name);
}

std::map<std::wstring, const RegKeyData*> ByPath(const std::vector<RegKeyData>& tree)
{
    std::map<std::wstring, const RegKeyData*> keys;
    for (const RegKeyData& key : tree)
        keys[RegFold(key.path)] = &key;
    return keys;
}

std::map<std::wstring, const RegValueData*> ByName(const RegKeyData* key)
{
    std::map<std::wstring, const RegValueData*> values;
    if (key)
        for (const RegValueData& value : key->values)
            values[RegFold(value.name)] = &value;
    return values;
}

// The type is part of the value: the same bytes under another type are another value.
bool SameValue(const RegValueData& a, const RegValueData& b)
{
    return a.type == b.type && a.data == b.data;
}

ChangeSide SideOf(const RegValueData& value)
{
    return ValueSide(value.type, value.data);
}

bool IsAtOrBelow(const std::wstring& path, const std::wstring& top)
{
    const std::wstring p = RegFold(path), t = RegFold(top);
    return p == t || (p.size() > t.size() && p.compare(0, t.size(), t) == 0 && p[t.size()] == L'\\');
}

const size_t kFileLimit = 64u << 20;

}  // namespace

ChangeSide KeySideOf(const std::vector<RegKeyData>& tree, const RegKeyData& key)
{
    ChangeSide side;
    side.kind = ChangeSide::Kind::Key;
    for (const RegValueData& value : key.values)
        side.values.push_back({value.name, SideOf(value)});
    for (const RegKeyData* child : RegChildren(tree, key.path))
        side.subkeys.push_back({child->path.substr(child->path.rfind(L'\\') + 1), KeySideOf(tree, *child)});
    return side;
}

std::vector<Change> TreeChanges(const std::vector<RegKeyData>& before, const std::vector<RegKeyData>& after)
{
    std::vector<Change> changes;
    const auto was = ByPath(before), is = ByPath(after);
    for (const RegKeyData& key : before)
        // A removed key stands for the removed keys below it: the run deletes it with its tree.
        if (!is.count(RegFold(key.path)) &&
            (is.count(RegFold(ParentPath(key.path))) || !was.count(RegFold(ParentPath(key.path)))))
            changes.push_back({ChangeTarget::Key, ChangeAction::Removed, key.path, {}, KeySideOf(before, key), {}});
    for (const RegKeyData& key : after) {
        const auto old = was.find(RegFold(key.path));
        const RegKeyData* oldKey = old == was.end() ? nullptr : old->second;
        if (!oldKey)
            changes.push_back({ChangeTarget::Key, ChangeAction::Created, key.path, {}, {}, KeySideOf(after, key)});
        const auto oldValues = ByName(oldKey), newValues = ByName(&key);
        for (const RegValueData& value : key.values) {
            const auto previous = oldValues.find(RegFold(value.name));
            const RegValueData* prior = previous == oldValues.end() ? nullptr : previous->second;
            if (!prior || !SameValue(*prior, value))
                changes.push_back({ChangeTarget::Value, ChangeAction::Written, key.path, value.name,
                                   prior ? std::optional<ChangeSide>(SideOf(*prior)) : std::nullopt, SideOf(value)});
        }
        if (oldKey)
            for (const RegValueData& value : oldKey->values)
                if (!newValues.count(RegFold(value.name)))
                    changes.push_back({ChangeTarget::Value, ChangeAction::Removed, key.path, value.name, SideOf(value), {}});
    }
    return changes;
}

std::vector<Change> Plan::Changes() const
{
    std::vector<Change> changes;
    const size_t made = backupFails ? 0 : std::min(failsAt, steps.size());
    for (size_t i = 0; i < made; ++i)
        changes.push_back(steps[i].change);
    return changes;
}

std::wstring PlanText(const Plan& plan, bool withFiles)
{
    std::vector<std::wstring> deleted;
    std::vector<RegKeyData> keys;
    std::vector<std::wstring> fileLines;
    const auto section = [&keys](const std::wstring& path) -> RegKeyData& {
        for (RegKeyData& key : keys)
            if (SameName(key.path, path))
                return key;
        keys.push_back(RegKeyData{path, {}, {}});
        return keys.back();
    };
    const size_t made = plan.backupFails ? 0 : std::min(plan.failsAt, plan.steps.size());
    for (size_t i = 0; i < made; ++i) {
        const Change& change = plan.steps[i].change;
        const std::wstring& source = plan.steps[i].source;
        switch (change.action) {
        case ChangeAction::Removed:
            if (change.target == ChangeTarget::Key)
                deleted.push_back(change.path);
            else
                section(change.path).removedValues.push_back(change.name);
            break;
        case ChangeAction::Created: section(change.path); break;
        case ChangeAction::Written: section(change.path).values.push_back(
                                        RegValueData{change.name, change.after->type, change.after->data});
            break;
        case ChangeAction::Made: fileLines.push_back(L"; folder " + change.path); break;
        case ChangeAction::Copied: fileLines.push_back(L"; file   " + change.path + L" (copy of " + source + L")"); break;
        case ChangeAction::Linked:
            fileLines.push_back(L"; file   " + change.path + L" (hard link to " + source + L")");
            break;
        case ChangeAction::Drawn:
            fileLines.push_back(L"; file   " + change.path +
                                (change.before ? L" (branch header image, drawn anew in place)" : L" (branch header image)"));
            break;
        }
    }
    std::wstring text = RegFileText(deleted, keys);
    if (!withFiles)
        return text;
    text += L"; Folders and files this run would make:\r\n";
    for (const std::wstring& line : fileLines)
        text += line + L"\r\n";
    if (fileLines.empty())
        text += L"; (none)\r\n";
    return text;
}

PlanWriter::PlanWriter(const PlanInputs& inputs, MachineProbe& probe, ProductRoot root)
    : inputs_(inputs), probe_(probe), root_(std::move(root)), after_(inputs.tree)
{
}

PlanWriter::Origin PlanWriter::Next(bool update, std::wstring firstValue)
{
    return Origin{++order_, shown_ ? shown_->size() : 0, update, std::move(firstValue)};
}

void PlanWriter::Backup(const std::vector<std::wstring>& productValuesWritten)
{
    backup_ = true;
    backupValues_ = productValuesWritten;
}

// The key, made with the keys above it up to the product key where they are missing, as
// creating a key makes them.
RegKeyData& PlanWriter::KeyAfter(const std::wstring& full, const Origin& origin)
{
    for (RegKeyData& known : after_)
        if (SameName(known.path, full))
            return known;
    const std::wstring parent = ParentPath(full);
    if (IsAtOrBelow(parent, root_.FullPath(root_.key)))
        KeyAfter(parent, origin);
    keyMade_.emplace(RegFold(full), Origin{++order_, origin.shown, origin.update, origin.firstValue});
    after_.push_back(RegKeyData{full, {}, {}});
    return after_.back();
}

void PlanWriter::Write(const std::wstring& path, const std::vector<RegValue>& values, bool update)
{
    const std::wstring full = root_.FullPath(path);
    const Origin origin = Next(update, values.empty() ? std::wstring() : values.front().name);
    RegKeyData* key = &KeyAfter(full, origin);
    for (const RegValue& value : values) {
        RegValueData data = RegDataOf(value);
        Origin set = origin;
        set.order = ++order_;
        set.firstValue = value.name;  // a refused write names its own value
        valueSet_[ValueKey(full, value.name)] = set;
        bool replaced = false;
        for (RegValueData& old : key->values)
            if (SameName(old.name, data.name)) {
                old = data;
                replaced = true;
            }
        if (!replaced)
            key->values.push_back(std::move(data));
    }
}

void PlanWriter::WriteKey(const std::wstring& path, const std::vector<RegValue>& values)
{
    Write(path, values, false);
}

void PlanWriter::UpdateKey(const std::wstring& path, bool createMissing, const std::vector<RegValue>& values)
{
    if (!createMissing && !FindRegKey(after_, root_.FullPath(path)))
        throw OpenKeyFailure(path);
    Write(path, values, true);
}

void PlanWriter::RemoveKeyTree(const std::wstring& path)
{
    const std::wstring full = root_.FullPath(path);
    const Origin origin = Next();
    std::vector<RegKeyData> kept;
    for (RegKeyData& key : after_)
        if (!IsAtOrBelow(key.path, full))
            kept.push_back(std::move(key));
        else
            keyRemoved_[RegFold(key.path)] = origin;
    after_ = std::move(kept);
}

// What the disk holds is asked once per path: the checks after the plan ask for the same files.
bool PlanWriter::OnDisk(const std::wstring& path, bool folder)
{
    const auto [known, added] = onDisk_.emplace(std::pair{PathCompareKey(path), folder}, false);
    if (added)
        known->second = folder ? probe_.IsFolder(path) : probe_.IsFile(path);
    return known->second;
}

bool PlanWriter::IsFolderAfter(const std::wstring& path)
{
    return folders_.count(PathCompareKey(path)) != 0 || OnDisk(path, true);
}

bool PlanWriter::IsFileAfter(const std::wstring& path)
{
    return files_.count(PathCompareKey(path)) != 0 || OnDisk(path, false);
}

std::optional<std::string> PlanWriter::BytesAfter(const std::wstring& path, size_t maxBytes)
{
    const auto file = files_.find(PathCompareKey(path));
    if (file == files_.end()) {  // read once: the plan compares the image, and the checks again
        auto& [size, bytes] = read_[PathCompareKey(path)];
        if (size != maxBytes || !bytes)
            bytes = probe_.FileBytes(path, size = maxBytes);
        return bytes;
    }
    if (!file->second.bytes)
        return BytesAfter(file->second.sameAs, maxBytes);
    return file->second.bytes->substr(0, maxBytes);
}

std::optional<ChangeSide> PlanWriter::SideOf(const std::wstring& path)
{
    const std::optional<std::string> bytes = BytesAfter(path, kFileLimit);
    return bytes ? std::optional<ChangeSide>(FileSide(*bytes)) : std::nullopt;
}

// A folder that cannot be made (a file in its place, a parent that cannot be made, or one the
// system refuses) is not made, and what goes into it cannot be placed.
void PlanWriter::MakeFolder(const std::wstring& path)
{
    if (path.empty() || IsFolderAfter(path) || blocked_.count(PathCompareKey(path)))
        return;
    const std::wstring parent = ParentPath(path);
    MakeFolder(parent);
    if (OnDisk(path, false) || (!parent.empty() && !IsFolderAfter(parent)) ||
        (inputs_.folderError && inputs_.folderError(path) != 0)) {
        blocked_.insert(PathCompareKey(path));
        return;
    }
    folders_.insert(PathCompareKey(path));
    PlannedChange step;
    step.change = {ChangeTarget::Folder, ChangeAction::Made, path, {}, {}, {}};
    fileSteps_.emplace_back(Next().order, std::move(step));
}

// A file already there is the common case (an unchanged run), and the cheapest to see.
bool PlanWriter::CanPlace(const std::wstring& path)
{
    return !IsFileAfter(path) && IsFolderAfter(ParentPath(path)) && !IsFolderAfter(path);
}

void PlanWriter::Place(const std::wstring& path, FileAfter file, ChangeAction action, PlannedChange step)
{
    std::optional<ChangeSide> before = files_.count(PathCompareKey(path)) || !OnDisk(path, false)
                                           ? std::nullopt : SideOf(path);
    files_[PathCompareKey(path)] = std::move(file);
    step.change = {ChangeTarget::File, action, path, {}, std::move(before), SideOf(path)};
    if (step.change.after && action == ChangeAction::Drawn)
        step.change.after->lines = step.lines;
    step.shownBefore = shown_ ? shown_->size() : 0;
    fileSteps_.emplace_back(Next().order, std::move(step));
}

void PlanWriter::CopyNew(const std::wstring& source, const std::wstring& target)
{
    if (CanPlace(target) && IsFileAfter(source)) {
        PlannedChange step;
        step.source = source;
        Place(target, {source, std::nullopt}, ChangeAction::Copied, std::move(step));
    }
}

void PlanWriter::LinkNew(const std::wstring& existing, const std::wstring& link)
{
    if (CanPlace(link) && IsFileAfter(existing)) {
        PlannedChange step;
        step.source = existing;
        Place(link, {existing, std::nullopt}, ChangeAction::Linked, std::move(step));
    }
}

// The image is drawn in place: an equal file is left alone. One that cannot be written keeps its
// bytes, and is reported as the run reports it, equal or not: the run would try, and say so.
void PlanWriter::DrawAddress(const std::wstring& path, const std::vector<std::wstring>& lines,
                             const ShowMessageFn& show)
{
    const std::optional<std::string> image = inputs_.drawImage ? inputs_.drawImage(lines) : std::nullopt;
    if (!image)
        return;
    const bool there = IsFileAfter(path);
    const bool planned = files_.count(PathCompareKey(path)) != 0;
    if ((there && !planned && inputs_.canWriteFile && !inputs_.canWriteFile(path)) || (!there && !CanPlace(path))) {
        show(CreateFileFailure(path).Message());
        return;
    }
    if (!there || BytesAfter(path, image->size() + 1) != image) {
        PlannedChange step;
        step.lines = lines;
        Place(path, {{}, image}, ChangeAction::Drawn, std::move(step));
    }
}

// How the run makes a registry change, and what it says when the registry refuses it.
PlannedChange PlanWriter::Step(const Change& change) const
{
    PlannedChange step;
    step.change = change;
    const std::wstring below = BelowHive(change.path);
    const bool removal = change.action == ChangeAction::Removed;
    const auto origin = [&](const std::map<std::wstring, Origin>& from, const std::wstring& key) {
        const auto found = from.find(key);
        return found == from.end() ? Origin{} : found->second;
    };
    Origin how = change.target == ChangeTarget::Key
                     ? origin(removal ? keyRemoved_ : keyMade_, RegFold(change.path))
                     : removal ? origin(keyRemoved_, RegFold(change.path))
                               : origin(valueSet_, ValueKey(change.path, change.name));
    step.shownBefore = how.shown;
    step.failCode = removal && change.target == ChangeTarget::Key ? codes::kMapsRemoveFailed
                    : SameName(change.path, root_.FullPath(root_.key)) ? codes::kProductWriteFailed
                                                                      : codes::kMapWriteFailed;
    if (removal && change.target == ChangeTarget::Key)
        step.failText = DeleteKeyFailure(below).Message();
    else if (how.update)
        step.failText = OpenKeyFailure(below).Message();
    else
        step.failText = SetDataFailure(removal ? change.name : how.firstValue).Message();
    if (change.action == ChangeAction::Written)
        step.value = RegValueData{change.name, change.after->type, change.after->data};
    return step;
}

Plan PlanWriter::Result()
{
    Plan plan;
    std::vector<std::pair<unsigned, PlannedChange>> ordered;
    for (const Change& change : TreeChanges(inputs_.tree, after_)) {
        const bool removal = change.action == ChangeAction::Removed;
        const std::map<std::wstring, Origin>& from =
            removal ? keyRemoved_ : change.target == ChangeTarget::Key ? keyMade_ : valueSet_;
        const auto found = from.find(change.target == ChangeTarget::Value && !removal
                                         ? ValueKey(change.path, change.name) : RegFold(change.path));
        ordered.emplace_back(found == from.end() ? 0 : found->second.order, Step(change));
    }
    ordered.insert(ordered.end(), fileSteps_.begin(), fileSteps_.end());
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [order, step] : ordered)
        plan.steps.push_back(std::move(step));
    plan.backup = backup_ && !plan.steps.empty();
    plan.backupValues = backupValues_;
    Probe(plan);
    return plan;
}

// Where the run would write, it is asked whether it could: the backup first, then each key in
// the run's order. The first refusal is where the run would stop.
void PlanWriter::Probe(Plan& plan)
{
    plan.failsAt = plan.steps.size();
    if (plan.backup && inputs_.checkBackup)
        try {
            inputs_.checkBackup(plan.backupValues);
        } catch (const AppError& e) {
            plan.backupFails = true;
            plan.failCode = codes::kBackupFailed;
            plan.failText = e.Message();
            plan.failShownBefore = plan.steps.front().shownBefore;
            return;
        }
    for (size_t i = 0; i < plan.steps.size(); ++i) {
        const Change& change = plan.steps[i].change;
        if (change.target != ChangeTarget::Key && change.target != ChangeTarget::Value)
            continue;
        const bool deletes = change.target == ChangeTarget::Key && change.action == ChangeAction::Removed;
        const bool allowed = deletes ? !inputs_.canDeleteKey || inputs_.canDeleteKey(change.path)
                                     : !inputs_.canWriteKey || inputs_.canWriteKey(change.path);
        if (!allowed) {
            plan.failsAt = i;
            plan.failCode = plan.steps[i].failCode;
            plan.failText = plan.steps[i].failText;
            plan.failShownBefore = plan.steps[i].shownBefore;
            return;
        }
    }
}
