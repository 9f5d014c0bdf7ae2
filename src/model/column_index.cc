#include "column_index.h"

namespace davrel3 {

int FirstOpenCycle(const TTask& task, int j) {
  int result = task.Cycles;
  for (int c = 0; c < task.Cycles; ++c) {
    if (!task.Units[c][j].Open) continue;
    if (c == 0) {
      result = 0;
    } else if (!task.Units[c - 1][j].Open) {
      result = c;
    }
  }
  return result;
}

int FirstUnperformedCycle(const TTask& task, int j) {
  int result = task.Cycles;
  for (int c = 0; c < task.Cycles; ++c) {
    if (task.Units[c][j].Performed) continue;
    if (c == 0) {
      result = 0;
    } else if (task.Units[c - 1][j].Performed) {
      result = c;
    }
  }
  return result;
}

ColumnIndex::ColumnIndex(ModelState& state)
    : task_(state.Task), columns_(static_cast<std::size_t>(CommittedSkills(state.System))) {}

void ColumnIndex::Rescan(Scan& scan, int j) {
  int open = 0;
  for (int c = 0; c < task_.Cycles; ++c) {
    if (task_.Units[c][j].Open) ++open;
  }
  scan.openCount = open;
  scan.firstOpen = FirstOpenCycle(task_, j);
  scan.firstUnperformed = FirstUnperformedCycle(task_, j);
  scan.fresh = true;
}

void ColumnIndex::MarkStale(long long j) {
  if (j >= 0 && j < static_cast<long long>(columns_.size())) columns_[static_cast<std::size_t>(j)].fresh = false;
}

// Both searches return the start of the last run of matching units. Taking
// that unit leaves the rest of the run, starting one cycle later; taking the
// run's only unit leaves an earlier run, if any, which needs a rescan.
void ColumnIndex::CloseUnit(int c, int j) {
  task_.Units[c][j].Open = false;
  Scan& scan = columns_[static_cast<std::size_t>(j)];
  if (!scan.fresh) return;
  scan.openCount -= 1;
  if (c == scan.firstOpen && c + 1 < task_.Cycles && task_.Units[c + 1][j].Open) {
    scan.firstOpen = c + 1;
  } else {
    scan.fresh = false;
  }
}

void ColumnIndex::MarkPerformed(int c, int j) {
  task_.Units[c][j].Performed = true;
  Scan& scan = columns_[static_cast<std::size_t>(j)];
  if (!scan.fresh) return;
  if (c == scan.firstUnperformed && c + 1 < task_.Cycles && !task_.Units[c + 1][j].Performed) {
    scan.firstUnperformed = c + 1;
  } else {
    scan.fresh = false;
  }
}

}  // namespace davrel3
