// The job list: the rows that the main window shows and every command works on.
// Pure model: the window shows it through a virtual list view.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "jobs/row_state.h"

// One row: caption (File column, a full path), then up to two sub-items, Directions and
// Result, which exist only once written and are added in order.
struct JobRow {
    std::wstring caption;
    std::wstring directions;  // sub-item 0
    std::wstring result;      // sub-item 1
    uint8_t subItems = 0;     // 0, 1 or 2
    RowState state = RowState::NotSubmitted;  // where the last submission left it (the report's State)

    JobRow() = default;
    explicit JobRow(std::wstring path) : caption(std::move(path)) {}

    bool HasDirections() const { return subItems >= 1; }
    // Sub-item 0: appended when the row has none, replaced otherwise.
    void SetDirections(std::wstring text);
    // Sub-item 1: empty sub-items are appended up to two, then it is replaced.
    void SetResult(std::wstring text);
    void ClearSubItems();
    // Sub-item by index (0 or 1); empty for one that does not exist.
    const std::wstring& SubItem(int index) const;
};

using JobList = std::vector<JobRow>;
