// What the chart window shows of the work-time table. The model's grid
// keeps every text it was ever given (cells of an earlier, larger group
// included), as the measures leave it; the view shows only the cells the
// last draw wrote, so nothing stale is in view, copied or saved. With fewer
// than four agents the two corrected means have no newcomer column to read
// and show "n/a".
#pragma once

#include "model/text_grid.h"

namespace work_time_view {

inline constexpr const char* kNotApplicable = "n/a";

// The view of `model` as the last draw laid it out: its counts give the
// tasks (columns - 2) and agents (rows - 5).
davrel3::TextGrid WorkTimeView(const davrel3::TextGrid& model);

}  // namespace work_time_view
