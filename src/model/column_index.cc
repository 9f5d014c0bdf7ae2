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
    if (!unit.Performed && previousPerformed) firstUnperformed = c;
    previousOpen = unit.Open;
    previousPerformed = unit.Performed;
  }
  scan.openCount = open;
  scan.firstOpen = firstOpen;
  scan.firstUnperformed = firstUnperformed;
  scan.fresh = true;
}

void ColumnIndex::MarkStale(long long j) {
  if (j >= 0 && j < static_cast<long long>(columns_.size())) columns_[static_cast<std::size_t>(j)].fresh = false;
}

// Both searches return the start of the last run of matching units. Taking
// that unit leaves the rest of the run, starting one cycle later; taking the
// run's only unit leaves an earlier run, if any, which needs a rescan.
void ColumnIndex::CloseUnit(int c, int j) {
  TaskUnit(task_, c, j).Open = false;
  Scan& scan = columns_[static_cast<std::size_t>(j)];
  if (!scan.fresh) return;
  scan.openCount -= 1;
  if (c == scan.firstOpen && c + 1 < task_.Cycles && TaskUnit(task_, c + 1, j).Open) {
    scan.firstOpen = c + 1;
  } else {
    scan.fresh = false;
  }
}

void ColumnIndex::MarkPerformed(int c, int j) {
  TaskUnit(task_, c, j).Performed = true;
  Scan& scan = columns_[static_cast<std::size_t>(j)];
  if (!scan.fresh) return;
  if (c == scan.firstUnperformed && c + 1 < task_.Cycles && !TaskUnit(task_, c + 1, j).Performed) {
    scan.firstUnperformed = c + 1;
  } else {
    scan.fresh = false;
  }
}

}  // namespace davrel3
