#include "column_index.h"

#include "allocation.h"

namespace davrel3 {
namespace {

ColumnScan& Fresh(ModelState& state, int j) {
  ColumnScan& scan = state.Columns.columns[static_cast<std::size_t>(j)];
  if (!scan.fresh) {
    const TTask& task = state.Task;
    int open = 0;
    for (int c = 0; c < task.Cycles; ++c) {
      if (task.Units[c][j].Open) ++open;
    }
    scan.openCount = open;
    scan.firstOpen = FirstOpenCycle(task, j);
    scan.firstUnperformed = FirstUnperformedCycle(task, j);
    scan.fresh = true;
  }
  return scan;
}

}  // namespace

void ActivateColumnIndex(ModelState& state) {
  state.Columns.active = true;
  state.Columns.columns.assign(static_cast<std::size_t>(CommittedSkills(state.System)), ColumnScan{});
}

void DeactivateColumnIndex(ModelState& state) {
  state.Columns.active = false;
  state.Columns.columns.clear();
}

void MarkColumnStale(ModelState& state, long long j) {
  if (!state.Columns.active) return;
  if (j >= 0 && j < static_cast<long long>(state.Columns.columns.size())) state.Columns.columns[j].fresh = false;
}

int OpenCount(ModelState& state, int j) {
  if (state.Columns.active) return Fresh(state, j).openCount;
  int open = 0;
  for (int c = 0; c < state.Task.Cycles; ++c) {
    if (state.Task.Units[c][j].Open) ++open;
  }
  return open;
}

int FirstOpen(ModelState& state, int j) {
  return state.Columns.active ? Fresh(state, j).firstOpen : FirstOpenCycle(state.Task, j);
}

int FirstUnperformed(ModelState& state, int j) {
  return state.Columns.active ? Fresh(state, j).firstUnperformed : FirstUnperformedCycle(state.Task, j);
}

// Both searches return the start of the last run of matching units. Taking
// that unit leaves the rest of the run, starting one cycle later; taking the
// run's only unit leaves an earlier run, if any, which needs a rescan.
void CloseUnit(ModelState& state, int c, int j) {
  TTask& task = state.Task;
  task.Units[c][j].Open = false;
  if (!state.Columns.active) return;
  ColumnScan& scan = state.Columns.columns[static_cast<std::size_t>(j)];
  if (!scan.fresh) return;
  scan.openCount -= 1;
  if (c == scan.firstOpen && c + 1 < task.Cycles && task.Units[c + 1][j].Open) {
    scan.firstOpen = c + 1;
  } else {
    scan.fresh = false;
  }
}

void MarkPerformed(ModelState& state, int c, int j) {
  TTask& task = state.Task;
  task.Units[c][j].Performed = true;
  if (!state.Columns.active) return;
  ColumnScan& scan = state.Columns.columns[static_cast<std::size_t>(j)];
  if (!scan.fresh) return;
  if (c == scan.firstUnperformed && c + 1 < task.Cycles && !task.Units[c + 1][j].Performed) {
    scan.firstUnperformed = c + 1;
  } else {
    scan.fresh = false;
  }
}

ColumnIndexScope::ColumnIndexScope(ModelState& state) : state_(state) {
  if (state_.FastScans) ActivateColumnIndex(state_);
}

ColumnIndexScope::~ColumnIndexScope() { DeactivateColumnIndex(state_); }

}  // namespace davrel3
