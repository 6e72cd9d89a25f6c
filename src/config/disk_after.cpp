#include "config/disk_after.h"

#include "common/errors.h"
#include "common/paths.h"

namespace {

const size_t kFileLimit = 64u << 20;

}  // namespace

// What the disk holds is asked once per path: the checks after the plan ask for the same files.
bool DiskAfter::OnDisk(const std::wstring& path, bool folder)
{
    const auto [known, added] = onDisk_.emplace(std::pair{PathCompareKey(path), folder}, false);
    if (added)
        known->second = folder ? disk_.IsFolder(path) : disk_.IsFile(path);
    return known->second;
}

bool DiskAfter::IsFolder(const std::wstring& path)
{
    return folders_.count(PathCompareKey(path)) != 0 || OnDisk(path, true);
}

bool DiskAfter::IsFile(const std::wstring& path)
{
    return files_.count(PathCompareKey(path)) != 0 || OnDisk(path, false);
}

std::optional<std::string> DiskAfter::FileBytes(const std::wstring& path, size_t maxBytes)
{
    const auto file = files_.find(PathCompareKey(path));
    if (file == files_.end()) {  // read once: the plan compares the image, and the checks again
        auto& [size, bytes] = read_[PathCompareKey(path)];
        if (size != maxBytes || !bytes)
            bytes = disk_.FileBytes(path, size = maxBytes);
        return bytes;
    }
    if (!file->second.bytes)
        return FileBytes(file->second.sameAs, maxBytes);
    return file->second.bytes->substr(0, maxBytes);
}

std::optional<ChangeSide> DiskAfter::SideOf(const std::wstring& path)
{
    const std::optional<std::string> bytes = FileBytes(path, kFileLimit);
    return bytes ? std::optional<ChangeSide>(FileSide(*bytes)) : std::nullopt;
}

std::vector<Change> DiskAfter::MakeFolder(const std::wstring& path)
{
    if (path.empty() || IsFolder(path))
        return {};
    const std::wstring parent = ParentPath(path);
    std::vector<Change> made = MakeFolder(parent);
    if (OnDisk(path, false) || (!parent.empty() && !IsFolder(parent)) ||
        (probes_.folderError && probes_.folderError(path) != 0))
        return made;
    folders_.insert(PathCompareKey(path));
    made.push_back({ChangeTarget::Folder, ChangeAction::Made, path, {}, {}, {}});
    return made;
}

// A file already there is the common case (an unchanged run), and the cheapest to see.
bool DiskAfter::CanPlace(const std::wstring& path)
{
    return !IsFile(path) && IsFolder(ParentPath(path)) && !IsFolder(path);
}

Change DiskAfter::Place(const std::wstring& path, FileAfter file, ChangeAction action)
{
    std::optional<ChangeSide> before =
        files_.count(PathCompareKey(path)) || !OnDisk(path, false) ? std::nullopt : SideOf(path);
    files_[PathCompareKey(path)] = std::move(file);
    return {ChangeTarget::File, action, path, {}, std::move(before), SideOf(path)};
}

std::optional<Change> DiskAfter::Copy(const std::wstring& source, const std::wstring& target)
{
    if (!CanPlace(target) || !IsFile(source))
        return std::nullopt;
    return Place(target, {source, std::nullopt}, ChangeAction::Copied);
}

std::optional<Change> DiskAfter::Link(const std::wstring& existing, const std::wstring& link)
{
    if (!CanPlace(link) || !IsFile(existing))
        return std::nullopt;
    return Place(link, {existing, std::nullopt}, ChangeAction::Linked);
}

// An equal file is left alone. One that cannot be written keeps its bytes, and is reported as
// the run reports it, equal or not: the run would try, and say so.
std::optional<Change> DiskAfter::Draw(const std::wstring& path, const std::string& image,
                                      const std::vector<std::wstring>& lines, std::optional<std::wstring>& failure)
{
    const bool there = IsFile(path);
    const bool planned = files_.count(PathCompareKey(path)) != 0;
    if ((there && !planned && probes_.canWriteFile && !probes_.canWriteFile(path)) || (!there && !CanPlace(path))) {
        failure = CreateFileFailure(path).Message();
        return std::nullopt;
    }
    if (there && FileBytes(path, image.size() + 1) == image)
        return std::nullopt;
    Change drawn = Place(path, {{}, image}, ChangeAction::Drawn);
    if (drawn.after)
        drawn.after->lines = lines;
    return drawn;
}
