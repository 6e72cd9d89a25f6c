// Files dropped from the shell, and the one rule for what arrives while a command runs.
#pragma once
#include <windows.h>

#include <shellapi.h>

#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/handles.h"

struct DropTraits {
    using Type = HDROP;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { DragFinish(h); }
};
using UniqueDrop = UniqueResource<DropTraits>;

// Every path of the drop in the shell's order, each fetched whole.
std::vector<std::wstring> DroppedPaths(HDROP drop);

// One command at a time, and one rule for drops, whichever message loop takes them from the
// queue (the main loop, a dialog's, a message box's): outside a command a drop is opened at
// once; one that arrives while a command runs is opened when the command ends, however it
// ends. Of several such drops the last wins; the others are freed unopened.
class CommandGate {
public:
    using OpenDrop = std::function<void(const std::vector<std::wstring>& paths)>;
    explicit CommandGate(OpenDrop open) : open_(std::move(open)) {}

    bool CommandRunning() const { return running_; }
    // Opens the drop now, or keeps it for the end of the running command.
    void Take(UniqueDrop drop);
    // Runs the command unless one is running already (then it is not started). A drop kept
    // meanwhile is opened after it, also when it throws; the exception then goes on.
    template <class Command>
    void Run(Command&& command);

private:
    // "A command is running", for one scope, whichever way the scope is left.
    class RunningScope {
    public:
        explicit RunningScope(bool& running) : running_(running) { running_ = true; }
        RunningScope(const RunningScope&) = delete;
        RunningScope& operator=(const RunningScope&) = delete;
        ~RunningScope() { running_ = false; }

    private:
        bool& running_;
    };
    void OpenKept();

    OpenDrop open_;
    bool running_ = false;
    UniqueDrop kept_;
};

template <class Command>
void CommandGate::Run(Command&& command)
{
    if (running_)
        return;
    std::exception_ptr failure;
    {
        RunningScope running(running_);
        try {
            command();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    OpenKept();
    if (failure)
        std::rethrow_exception(failure);
}
