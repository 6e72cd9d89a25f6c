#include "config/change_plan.h"

#include "common/errors.h"
#include "common/paths.h"
#include "common/text.h"

namespace {

// A key's path below its hive, as changes name it.
std::wstring BelowHive(const std::wstring& full)
{
    const size_t slash = full.find(L'\\');
    return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

// Names and paths compare as the registry compares them, regardless of letter case.
bool SameName(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() && (a == b || PathCompareKey(a) == PathCompareKey(b));
}

std::map<std::wstring, const RegKeyData*> ByPath(const std::vector<RegKeyData>& tree)
{
    std::map<std::wstring, const RegKeyData*> keys;
    for (const RegKeyData& key : tree)
        keys[PathCompareKey(key.path)] = &key;
    return keys;
}

std::map<std::wstring, const RegValueData*> ByName(const RegKeyData* key)
{
    std::map<std::wstring, const RegValueData*> values;
    if (key)
        for (const RegValueData& value : key->values)
            values[PathCompareKey(value.name)] = &value;
    return values;
}

bool SameValue(const RegValueData& a, const RegValueData& b)
{
    return a.type == b.type && a.data == b.data;
}

bool IsAtOrBelow(const std::wstring& path, const std::wstring& top)
{
    const std::wstring p = PathCompareKey(path), t = PathCompareKey(top);
    return p == t || (p.size() > t.size() && p.compare(0, t.size(), t) == 0 && p[t.size()] == L'\\');
}

}  // namespace

std::vector<Change> TreeChanges(const std::vector<RegKeyData>& before, const std::vector<RegKeyData>& after)
{
    std::vector<Change> changes;
    const auto was = ByPath(before), is = ByPath(after);
    for (const RegKeyData& key : before)
        if (!is.count(PathCompareKey(key.path)))
            changes.push_back({ChangeTarget::Key, ChangeAction::Removed, BelowHive(key.path), {}});
    for (const RegKeyData& key : after) {
        const auto old = was.find(PathCompareKey(key.path));
        const RegKeyData* oldKey = old == was.end() ? nullptr : old->second;
        if (!oldKey)
            changes.push_back({ChangeTarget::Key, ChangeAction::Created, BelowHive(key.path), {}});
        const auto oldValues = ByName(oldKey), newValues = ByName(&key);
        for (const auto& [name, value] : newValues) {
            const auto previous = oldValues.find(name);
            if (previous == oldValues.end() || !SameValue(*previous->second, *value))
                changes.push_back({ChangeTarget::Value, ChangeAction::Written, BelowHive(key.path), value->name});
        }
        for (const auto& [name, value] : oldValues)
            if (!newValues.count(name))
                changes.push_back({ChangeTarget::Value, ChangeAction::Removed, BelowHive(key.path), value->name});
    }
    return changes;
}

PlanWriter::PlanWriter(const PlanInputs& inputs, MachineProbe& probe, ProductRoot root)
    : inputs_(inputs), probe_(probe), root_(std::move(root)), after_(inputs.tree)
{
}

std::vector<Change> PlanWriter::Changes() const
{
    std::vector<Change> changes = TreeChanges(inputs_.tree, after_);
    changes.insert(changes.end(), fileChanges_.begin(), fileChanges_.end());
    return changes;
}

// The key, made with the keys above it up to the product key where they are missing, as
// creating a key makes them.
RegKeyData& PlanWriter::KeyAfter(const std::wstring& full)
{
    for (RegKeyData& known : after_)
        if (SameName(known.path, full))
            return known;
    const std::wstring parent = ParentPath(full);
    if (IsAtOrBelow(parent, root_.FullPath(root_.key)))
        KeyAfter(parent);
    after_.push_back(RegKeyData{full, {}, {}});
    return after_.back();
}

void PlanWriter::Write(const std::wstring& path, const std::vector<RegValue>& values)
{
    RegKeyData* key = &KeyAfter(root_.FullPath(path));
    for (const RegValue& value : values) {
        RegValueData data = RegDataOf(value);
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
    Write(path, values);
}

void PlanWriter::UpdateKey(const std::wstring& path, bool createMissing, const std::vector<RegValue>& values)
{
    if (!createMissing && !FindRegKey(after_, root_.FullPath(path)))
        throw OpenKeyFailure(path);
    Write(path, values);
}

void PlanWriter::RemoveKeyTree(const std::wstring& path)
{
    const std::wstring full = root_.FullPath(path);
    std::vector<RegKeyData> kept;
    for (RegKeyData& key : after_)
        if (!IsAtOrBelow(key.path, full))
            kept.push_back(std::move(key));
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

void PlanWriter::MakeFolder(const std::wstring& path)
{
    if (path.empty() || IsFolderAfter(path) || blocked_.count(PathCompareKey(path)))
        return;
    const std::wstring parent = ParentPath(path);
    MakeFolder(parent);
    // A file in its place, or a parent that cannot be made, keeps the folder from being made.
    if (OnDisk(path, false) || (!parent.empty() && !IsFolderAfter(parent))) {
        blocked_.insert(PathCompareKey(path));
        return;
    }
    folders_.insert(PathCompareKey(path));
    fileChanges_.push_back({ChangeTarget::Folder, ChangeAction::Made, path, {}});
}

// A file already there is the common case (an unchanged run), and the cheapest to see.
bool PlanWriter::CanPlace(const std::wstring& path)
{
    return !IsFileAfter(path) && IsFolderAfter(ParentPath(path)) && !IsFolderAfter(path);
}

void PlanWriter::Place(const std::wstring& path, FileAfter file, ChangeAction action)
{
    files_[PathCompareKey(path)] = std::move(file);
    fileChanges_.push_back({ChangeTarget::File, action, path, {}});
}

void PlanWriter::CopyNew(const std::wstring& source, const std::wstring& target)
{
    if (CanPlace(target) && IsFileAfter(source))
        Place(target, {source, std::nullopt}, ChangeAction::Copied);
}

void PlanWriter::LinkNew(const std::wstring& existing, const std::wstring& link)
{
    if (CanPlace(link) && IsFileAfter(existing))
        Place(link, {existing, std::nullopt}, ChangeAction::Linked);
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
    if (!there || BytesAfter(path, image->size() + 1) != image)
        Place(path, {{}, image}, ChangeAction::Drawn);
}
