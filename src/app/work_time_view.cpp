#include "work_time_view.h"

namespace work_time_view {

davrel3::TextGrid WorkTimeView(const davrel3::TextGrid& model) {
  const int tasks = model.ColumnCount() - 2;
  const int agents = model.RowCount() - 5;
  davrel3::TextGrid view(model.ColumnCount(), model.RowCount());
  if (tasks < 0 || agents < 0) return view;
  auto copy = [&](int column, int row) { view.SetCell(column, row, model.Cell(column, row)); };
  // Headings: the agent numbers and measure names, the task numbers and "Tot.".
  for (int row = 1; row <= agents + 4; ++row) copy(0, row);
  for (int column = 1; column <= tasks + 1; ++column) copy(column, 0);
  // Every agent's time per task and in total (the total is written inside
  // the loop over the tasks, so not at all without tasks), and the slowest
  // times with their total.
  for (int row = 1; row <= agents; ++row) {
    for (int column = 1; column <= tasks; ++column) copy(column, row);
    if (tasks > 0) copy(tasks + 1, row);
  }
  for (int column = 1; column <= tasks + 1; ++column) copy(column, agents + 1);
  // Sum and the two means per task; their "Tot." cells are never written.
  const bool meansApply = agents >= 4;
  for (int column = 1; column <= tasks; ++column) {
    copy(column, agents + 2);
    if (meansApply) {
      copy(column, agents + 3);
      copy(column, agents + 4);
    } else {
      view.SetCell(column, agents + 3, kNotApplicable);
      view.SetCell(column, agents + 4, kNotApplicable);
    }
  }
  return view;
}

}  // namespace work_time_view
