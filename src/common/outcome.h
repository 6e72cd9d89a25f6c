// What a command did, as data. The engines fill it; the window, the console's lines and JSON
// are three renderers of the same outcome, and none of them learns what happened by reading a
// display text. Pure.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/show_message.h"

// How a message ends or colours a run: success to standard output, the others to standard error.
enum class MessageKind { Success, Warning, Failure };

// One message as the technician sees it, with a stable code a fleet tool can match
// (one of common/codes.h). The text is exactly what the window shows.
struct OutcomeMessage {
    MessageKind kind = MessageKind::Success;
    std::string code;
    std::wstring text;
};

// What was done to one thing on the machine.
enum class ChangeAction { Created, Written, Removed, Made, Copied, Linked, Drawn };
enum class ChangeTarget { Key, Value, Folder, File };

// What a value, a file or a key holds on one side of a change: a value's registry type and bytes
// as stored; a file's size and SHA-256 (with, for the header image, the lines it is drawn from
// where they are known); a key's values and the keys below it, each named.
struct ChangeSide {
    enum class Kind { Value, File, Key } kind = Kind::Value;
    struct Named;
    uint32_t type = 0;
    std::vector<uint8_t> data;
    uint64_t size = 0;
    std::string sha256;  // lower-case hex
    std::vector<std::wstring> lines;
    std::vector<Named> values;   // a key's, in the order it holds them
    std::vector<Named> subkeys;  // a key's, each a key side
    bool operator==(const ChangeSide& o) const;
};

struct ChangeSide::Named {
    std::wstring name;
    ChangeSide side;
    bool operator==(const Named& o) const { return name == o.name && side == o.side; }
};

inline bool ChangeSide::operator==(const ChangeSide& o) const
{
    return kind == o.kind && type == o.type && data == o.data && size == o.size && sha256 == o.sha256 &&
           lines == o.lines && values == o.values && subkeys == o.subkeys;
}

struct Change {
    ChangeTarget target = ChangeTarget::Key;
    ChangeAction action = ChangeAction::Written;
    std::wstring path;  // the key with its hive ("HKEY_LOCAL_MACHINE\SOFTWARE\..."), or the file or folder
    std::wstring name;  // the value's name, for a value
    std::optional<ChangeSide> before;  // nothing for a folder, or what was not there
    std::optional<ChangeSide> after;   // nothing for a folder, or what goes
    bool operator==(const Change& o) const
    {
        return target == o.target && action == o.action && path == o.path && name == o.name && before == o.before &&
               after == o.after;
    }
};

// A file's side of a change: its size and the SHA-256 of its bytes.
ChangeSide FileSide(const std::string& bytes, std::vector<std::wstring> lines = {});
// A value's side: its type and bytes.
ChangeSide ValueSide(uint32_t type, std::vector<uint8_t> data);

// A problem found in what a run left or would leave, with its stable code and what it concerns.
struct Problem {
    std::string code;
    std::wstring text;
    std::wstring key;
    std::wstring value;
    std::wstring file;
    // For a difference from what a request would leave: what it would leave, and what is there.
    std::optional<ChangeSide> expected;
    std::optional<ChangeSide> found;
    // The command whose run removes it: "/upgrade" where the upgrade alone mends it,
    // "/configure" where only a configuration does; empty where neither does (a printer, a font).
    std::string remedy;
};

struct Outcome {
    std::vector<OutcomeMessage> messages;
    std::vector<Change> changes;
    std::vector<Problem> problems;
    std::optional<std::wstring> backup;  // the backup written or named, when there is one

    bool Changed() const { return !changes.empty(); }
};

// The stable names that machine-read results use: "success", "warning", "failure"; "key",
// "value", "folder", "file"; "created", "written", "removed", "made", "copied", "linked", "drawn".
const char* MessageKindName(MessageKind kind);
const char* ChangeTargetName(ChangeTarget target);
const char* ChangeActionName(ChangeAction action);

// An engine's voice: each message is shown as it comes (a message box, a console line, a record
// in tests) and kept, with its kind and code, in the outcome.
class MessageLog {
public:
    MessageLog(Outcome& outcome, ShowMessageFn show) : outcome_(outcome), show_(std::move(show)) {}
    void operator()(MessageKind kind, const char* code, const std::wstring& text) const;
    // For a callee that shows plain texts: each one it shows is kept with this kind and code.
    ShowMessageFn As(MessageKind kind, const char* code) const;
    Outcome& outcome() const { return outcome_; }

private:
    Outcome& outcome_;
    ShowMessageFn show_;
};
