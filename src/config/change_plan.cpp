#include "config/change_plan.h"

#include <algorithm>
#include <map>
#include <set>

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

std::map<std::wstring, const RegKeyData*> ByPath(const std::vector<RegKeyData>& tree)
{
    std::map<std::wstring, const RegKeyData*> keys;
    for (const RegKeyData& key : tree)
        keys[RegFold(key.path)] = &key;
    return keys;
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

namespace {

// How the run makes each step of a plan, and what it says when the machine refuses it.
class Planner {
public:
    Planner(const std::vector<RegKeyData>& current, const DesiredState& desired, DiskAfter* disk,
            std::vector<OutcomeMessage>& messages, const ProductRoot& root)
        : current_(current), desired_(desired), disk_(disk), messages_(messages), root_(root),
          was_(ByPath(current)), after_(TreeAfter(current, desired, root)), is_(ByPath(after_))
    {
    }

    Plan Steps()
    {
        for (const DesiredPart& part : desired_.parts) {
            if (part.note)
                messages_.push_back(*part.note);
            if (!part.replaces.empty())
                Removals(part.replaces);
            if (disk_) {
                for (Change& made : disk_->MakeFolder(part.folder))
                    Add(std::move(made));
                for (const DesiredFile& file : part.files)
                    Place(file);
            }
            for (const RegKeyData& key : part.keys)
                Key(key);
        }
        plan_.treeAfter = std::move(after_);
        return std::move(plan_);
    }

private:
    PlannedChange& Add(Change change)
    {
        PlannedChange step;
        step.change = std::move(change);
        step.shownBefore = messages_.size();
        plan_.steps.push_back(std::move(step));
        return plan_.steps.back();
    }

    // A registry step, with the code and message of the run's refusal: an opened key that cannot
    // be opened, or the value (for a key made, its first value) that cannot be written.
    void AddRegistry(Change change, const std::wstring& valueNamed)
    {
        const bool product = SameName(change.path, root_.FullPath(root_.key));
        const std::wstring below = BelowHive(change.path);
        PlannedChange& step = Add(std::move(change));
        step.failCode = product ? codes::kProductWriteFailed : codes::kMapWriteFailed;
        step.failText = desired_.opensKeys ? OpenKeyFailure(below).Message() : SetDataFailure(valueNamed).Message();
        if (step.change.action == ChangeAction::Written)
            step.value = RegValueData{step.change.name, step.change.after->type, step.change.after->data};
    }

    // What the state does not declare below the replaced key: the topmost keys that go (each
    // standing for the keys below it), then the values that go from the keys that stay.
    void Removals(const std::wstring& top)
    {
        for (const RegKeyData& key : current_)
            if (IsRegKeyBelow(key.path, top, true) && !is_.count(RegFold(key.path)) &&
                (is_.count(RegFold(ParentPath(key.path))) || !was_.count(RegFold(ParentPath(key.path))))) {
                PlannedChange& step =
                    Add({ChangeTarget::Key, ChangeAction::Removed, key.path, {}, KeySideOf(current_, key), {}});
                step.failCode = codes::kMapsRemoveFailed;
                step.failText = DeleteKeyFailure(BelowHive(key.path)).Message();
            }
        for (const RegKeyData& key : current_) {
            const auto kept = is_.find(RegFold(key.path));
            if (!IsRegKeyBelow(key.path, top, true) || kept == is_.end())
                continue;
            for (const RegValueData& value : key.values)
                if (!FindRegValue(*kept->second, value.name))
                    AddRegistry({ChangeTarget::Value, ChangeAction::Removed, key.path, value.name, SideOf(value), {}},
                                value.name);
        }
    }

    // The key and the keys above it that are missing (up to the product key), then each of its
    // values that is not as declared.
    void Key(const RegKeyData& key)
    {
        const std::wstring firstValue = key.values.empty() ? std::wstring() : key.values.front().name;
        std::vector<std::wstring> missing;
        const std::wstring top = root_.FullPath(root_.key);
        for (std::wstring path = key.path; !was_.count(RegFold(path)) && !made_.count(RegFold(path));
             path = ParentPath(path)) {
            missing.insert(missing.begin(), path);
            if (!IsRegKeyBelow(ParentPath(path), top, true))
                break;
        }
        for (const std::wstring& path : missing) {
            made_.insert(RegFold(path));
            AddRegistry({ChangeTarget::Key, ChangeAction::Created, path, {}, {}, KeySideOf(after_, *is_.at(RegFold(path)))},
                        firstValue);
        }
        const auto old = was_.find(RegFold(key.path));
        for (const RegValueData& value : key.values) {
            const RegValueData* prior = old == was_.end() ? nullptr : FindRegValue(*old->second, value.name);
            if (!prior || !SameValue(*prior, value))
                AddRegistry({ChangeTarget::Value, ChangeAction::Written, key.path, value.name,
                             prior ? std::optional<ChangeSide>(SideOf(*prior)) : std::nullopt, SideOf(value)},
                            value.name);
        }
    }

    void Place(const DesiredFile& file)
    {
        std::optional<Change> change;
        switch (file.source) {
        case DesiredFile::Source::Copy: change = disk_->Copy(file.from, file.path); break;
        case DesiredFile::Source::Link: change = disk_->Link(file.from, file.path); break;
        case DesiredFile::Source::Image: {
            if (!file.image)
                return;
            std::optional<std::wstring> failure;
            change = disk_->Draw(file.path, *file.image, file.lines, failure);
            if (failure)
                messages_.push_back({MessageKind::Warning, codes::kAddressImageNotWritten, *failure});
            break;
        }
        }
        if (!change)
            return;
        PlannedChange& step = Add(std::move(*change));
        step.source = file.from;
        step.lines = file.lines;
    }

    const std::vector<RegKeyData>& current_;
    const DesiredState& desired_;
    DiskAfter* disk_;
    std::vector<OutcomeMessage>& messages_;
    const ProductRoot& root_;
    const std::map<std::wstring, const RegKeyData*> was_;
    std::vector<RegKeyData> after_;
    const std::map<std::wstring, const RegKeyData*> is_;
    std::set<std::wstring> made_;
    Plan plan_;
};

}  // namespace

Plan Diff(const std::vector<RegKeyData>& current, const DesiredState& desired, DiskAfter* disk,
          std::vector<OutcomeMessage>& messages, const ProductRoot& root)
{
    return Planner(current, desired, disk, messages, root).Steps();
}

void ProbeWrites(Plan& plan, const PlanInputs& inputs)
{
    plan.failsAt = plan.steps.size();
    if (plan.backup && inputs.checkBackup)
        try {
            inputs.checkBackup(plan.backupValues);
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
        const bool allowed = deletes ? !inputs.canDeleteKey || inputs.canDeleteKey(change.path)
                                     : !inputs.canWriteKey || inputs.canWriteKey(change.path);
        if (!allowed) {
            plan.failsAt = i;
            plan.failCode = plan.steps[i].failCode;
            plan.failText = plan.steps[i].failText;
            plan.failShownBefore = plan.steps[i].shownBefore;
            return;
        }
    }
}
