// What the scans of the task grid's columns find (open units, the first open
// cycle, the first unperformed cycle), kept up to date while a run goes, so
// that a timestep costs about agents x skills instead of rescanning columns
// for every count.
//
// A run owns its index and passes it in its context. Every change of a unit
// during the run goes through CloseUnit and MarkPerformed, or marks its column
// stale; a stale column is rescanned once, the next time it is asked about. A
// new index knows nothing yet, so one made for a single step reads the task
// as it stands, changed by hand or not.
#pragma once

#include <vector>

#include "model_state.h"

namespace davrel3 {

// The cycle where the last run of open (unperformed) units of column j starts,
// task.Cycles if there is none.
int FirstOpenCycle(const TTask& task, int j);
int FirstUnperformedCycle(const TTask& task, int j);

class ColumnIndex {
 public:
  // One summary per column of the committed group, every one stale.
  explicit ColumnIndex(ModelState& state);

  // Open units of column j, not capped.
  int OpenCount(int j) { return Fresh(j).openCount; }
  int FirstOpen(int j) { return Fresh(j).firstOpen; }
  int FirstUnperformed(int j) { return Fresh(j).firstUnperformed; }

  // Unit (c, j) is given out / performed.
  void CloseUnit(int c, int j) {
    TTaskUnit& unit = TaskUnit(task_, c, j);
    if (!unit.Open) return;
    unit.Open = false;
    Scan& scan = columns_[static_cast<std::size_t>(j)];
    if (!scan.fresh) return;
    const bool nextOpen = c + 1 < task_.Cycles && TaskUnit(task_, c + 1, j).Open;
    Leave(scan, c, nextOpen, scan.openCount, scan.firstOpen);
  }
  void MarkPerformed(int c, int j) {
    TTaskUnit& unit = TaskUnit(task_, c, j);
    if (unit.Performed) return;
    unit.Performed = true;
    Scan& scan = columns_[static_cast<std::size_t>(j)];
    if (!scan.fresh) return;
    const bool nextUnperformed = c + 1 < task_.Cycles && !TaskUnit(task_, c + 1, j).Performed;
    Leave(scan, c, nextUnperformed, scan.unperformedCount, scan.firstUnperformed);
  }
  // Column j was changed some other way.
  void MarkStale(long long j);
  // Every unit of column j was just made open and unperformed.
  void MarkReset(long long j);

 private:
  struct Scan {
    int openCount = 0;
    int unperformedCount = 0;
    int firstOpen = 0;
    int firstUnperformed = 0;
    bool fresh = false;
  };
  Scan& Fresh(int j) {
    Scan& scan = columns_[static_cast<std::size_t>(j)];
    if (!scan.fresh) Rescan(scan, j);
    return scan;
  }
  void Rescan(Scan& scan, int j);
  // Unit c of a fresh column no longer matches one of the two searches,
  // whose matching units number `count` and whose last run starts at
  // `first`. Both searches return the start of the last run of matching
  // units: taking that unit leaves the rest of the run, one cycle later, if
  // the next unit still matches; taking the column's last matching unit
  // leaves none; otherwise an earlier run is left, found by a rescan.
  void Leave(Scan& scan, int c, bool nextMatches, int& count, int& first) {
    count -= 1;
    if (c == first && nextMatches) {
      first = c + 1;
    } else if (count == 0) {
      first = task_.Cycles;
    } else {
      scan.fresh = false;
    }
  }

  TTask& task_;
  std::vector<Scan> columns_;
};

}  // namespace davrel3
