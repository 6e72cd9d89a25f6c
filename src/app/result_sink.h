// What a handler tells while it runs, before it returns its result: the passes' messages as they
// come, and the report's rows, for standard output, as the command is done with them. The console
// shows them at once, so that a run killed meanwhile has shown every job it ended; with /json
// the rows wait for the document.
#pragma once
#include <string>

#include "jobs/joblist.h"

class ResultSink {
public:
    // A message of a pass (the analysis, the submission), the one that stops it too.
    virtual void PassMessage(const std::wstring& text) = 0;
    // The report goes to standard output: its head now, then each row as the command ends it.
    virtual void ReportHead() = 0;
    virtual void ReportRow(const JobRow& row) = 0;

protected:
    ~ResultSink() = default;
};
