#include "common/outcome.h"

#include "common/sha256.h"

const char* MessageKindName(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Success: return "success";
    case MessageKind::Warning: return "warning";
    case MessageKind::Failure: return "failure";
    }
    return "failure";
}

const char* ChangeTargetName(ChangeTarget target)
{
    switch (target) {
    case ChangeTarget::Key: return "key";
    case ChangeTarget::Value: return "value";
    case ChangeTarget::Folder: return "folder";
    case ChangeTarget::File: return "file";
    }
    return "key";
}

const char* ChangeActionName(ChangeAction action)
{
    switch (action) {
    case ChangeAction::Created: return "created";
    case ChangeAction::Written: return "written";
    case ChangeAction::Removed: return "removed";
    case ChangeAction::Made: return "made";
    case ChangeAction::Copied: return "copied";
    case ChangeAction::Linked: return "linked";
    case ChangeAction::Drawn: return "drawn";
    }
    return "written";
}

void MessageLog::operator()(MessageKind kind, const char* code, const std::wstring& text) const
{
    outcome_.messages.push_back(OutcomeMessage{kind, code, text});
    if (show_)
        show_(text);
}

ShowMessageFn MessageLog::As(MessageKind kind, const char* code) const
{
    return [log = *this, kind, code](const std::wstring& text) { log(kind, code, text); };
}

ChangeSide FileSide(const std::string& bytes, std::vector<std::wstring> lines)
{
    ChangeSide side;
    side.kind = ChangeSide::Kind::File;
    side.size = bytes.size();
    side.sha256 = Sha256Hex(bytes);
    side.lines = std::move(lines);
    return side;
}

ChangeSide ValueSide(uint32_t type, std::vector<uint8_t> data)
{
    ChangeSide side;
    side.type = type;
    side.data = std::move(data);
    return side;
}
