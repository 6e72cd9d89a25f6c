// How a planned configuration run goes, whichever front end asked for it: a preview says what
// the run would do and exits as it would; a run that the plan would not pass (it would fail, or
// leave problems) writes nothing unless forced; a run that would change nothing writes nothing;
// otherwise the plan's changes are made, and only those, and the machine is planned again to see
// what is left. Each message goes through the log as the run reaches it.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/outcome.h"
#include "config/backup.h"
#include "config/converge.h"

enum class RunEnd {
    Done,
    Failed,        // it would stop or refuse, or a write stopped it
    LeftProblems,  // it ended, but what it left has problems
};

struct RunRules {
    bool preview = false;         // nothing is written; the run's end is said as a preview's
    bool force = false;           // a run that the plan would not pass goes ahead all the same
    bool filesInPreview = false;  // the preview's text lists the folders and files too
    // The run's own remarks beside the product's messages: that nothing had to change
    // (kNothingChanged), that an unfinished backup of a stopped run was deleted.
    bool remarks = false;
    std::function<RunPlan()> replan;  // after the run, what is left; none: not looked at
};

struct PlannedRun {
    RunEnd end = RunEnd::Done;
    bool wroteNothing = false;
    std::vector<Problem> problems;  // of what the run would leave, or left
    // Said after the problems, of them: why nothing was written.
    std::optional<OutcomeMessage> conclusion;
    std::vector<Change> changes;    // what the run changed, or a preview would change
    std::optional<BackupMade> backup;
    std::optional<std::wstring> previewText;  // the preview as a .reg file
};

// The line of a run refused before its first write.
extern const wchar_t kRefusedBeforeWriting[];

PlannedRun RunPlanned(const RunPlan& plan, const RunRules& rules, const MessageLog& log);
