// A CommandPort that records what a command showed, for tests that run commands on a model.
#pragma once
#include <string>
#include <vector>

#include "jobs/port.h"

class RecordingPort : public CommandPort {
public:
    void ShowStatus(const std::wstring& text) override { statuses.push_back(text); }
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
    void RowsChanged() override { ++rowsChanged; }
    void RowUpdated(size_t index) override { updatedRows.push_back(index); }

    std::vector<std::wstring> statuses;
    std::vector<std::wstring> messages;
    std::vector<size_t> updatedRows;
    int rowsChanged = 0;
};
