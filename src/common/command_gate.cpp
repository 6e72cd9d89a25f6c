#include "common/command_gate.h"

std::vector<std::wstring> DroppedPaths(HDROP drop)
{
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::wstring> paths;
    paths.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        // The buffer holds the reported length and 10 more characters.
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length + 10, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), length + 10));
        paths.push_back(std::move(path));
    }
    return paths;
}

void CommandGate::Take(UniqueDrop drop)
{
    if (running_) {
        kept_ = std::move(drop);  // frees the one kept before
        return;
    }
    const std::vector<std::wstring> paths = DroppedPaths(drop.get());
    drop.reset();
    open_(paths);
}

void CommandGate::OpenKept()
{
    if (kept_)
        Take(std::move(kept_));
}
