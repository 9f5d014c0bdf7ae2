#include "column_index.h"

namespace davrel3 {

int FirstOpenCycle(const TTask& task, int j) {
  int result = task.Cycles;
  for (int c = 0; c < task.Cycles; ++c) {
    if (!TaskUnit(task, c, j).Open) continue;
    if (c == 0) {
      result = 0;
    } else if (!TaskUnit(task, c - 1, j).Open) {
      result = c;
    }
  }
  return result;
}

int FirstUnperformedCycle(const TTask& task, int j) {
  int result = task.Cycles;
  for (int c = 0; c < task.Cycles; ++c) {
    if (TaskUnit(task, c, j).Performed) continue;
    if (c == 0) {
      result = 0;
    } else if (TaskUnit(task, c - 1, j).Performed) {
      result = c;
    }
  }
  return result;
}

ColumnIndex::ColumnIndex(ModelState& state)
    : task_(state.Task), columns_(static_cast<std::size_t>(CommittedSkills(state.System))) {}

// One pass over the column finds what FirstOpenCycle and
// FirstUnperformedCycle find: the start of the last run of open, and of
// unperformed, units.
void ColumnIndex::Rescan(Scan& scan, int j) {
  int open = 0;
  int unperformed = 0;
  int firstOpen = task_.Cycles;
  int firstUnperformed = task_.Cycles;
  bool previousOpen = false;
  bool previousPerformed = true;
  for (int c = 0; c < task_.Cycles; ++c) {
    const TTaskUnit& unit = TaskUnit(task_, c, j);
    if (unit.Open) {
      ++open;
      if (!previousOpen) firstOpen = c;
    }
    if (!unit.Performed) {
      ++unperformed;
      if (previousPerformed) firstUnperformed = c;
    }
    previousOpen = unit.Open;
    previousPerformed = unit.Performed;
  }
  scan.openCount = open;
  scan.unperformedCount = unperformed;
  scan.firstOpen = firstOpen;
  scan.firstUnperformed = firstUnperformed;
  scan.fresh = true;
}

void ColumnIndex::MarkStale(long long j) {
  if (j >= 0 && j < static_cast<long long>(columns_.size())) columns_[static_cast<std::size_t>(j)].fresh = false;
}

void ColumnIndex::MarkReset(long long j) {
  if (j < 0 || j >= static_cast<long long>(columns_.size())) return;
  Scan& scan = columns_[static_cast<std::size_t>(j)];
  const int units = task_.Cycles > 0 ? task_.Cycles : 0;
  scan.openCount = units;
  scan.unperformedCount = units;
  scan.firstOpen = units > 0 ? 0 : task_.Cycles;
  scan.firstUnperformed = scan.firstOpen;
  scan.fresh = true;
}

}  // namespace davrel3
