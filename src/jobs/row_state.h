// Where a row of the job list stands after a pass, for the report and for machine-read results.
// Pure.
#pragma once

enum class RowState {
    NotSubmitted,      // no job went out for it in this run
    Submitted,         // its job was handed to the client in this run, and the client answered
    SubmittedEarlier,  // a journal shows that an earlier run submitted it
    Uncertain,         // a journal shows a start without an end: it may have been submitted
    StoppedHere,       // the pass stopped on this row (a failure, a timeout, the technician's Esc)
};

// The state's stable name: "not submitted", "submitted", "submitted earlier", "uncertain",
// "stopped here".
inline const char* RowStateName(RowState state)
{
    switch (state) {
    case RowState::NotSubmitted: return "not submitted";
    case RowState::Submitted: return "submitted";
    case RowState::SubmittedEarlier: return "submitted earlier";
    case RowState::Uncertain: return "uncertain";
    case RowState::StoppedHere: return "stopped here";
    }
    return "not submitted";
}
