// What the scans of the task grid's columns find (open units, the first open
// cycle, the first unperformed cycle), kept up to date while a run goes, so
// that a timestep costs about agents x skills instead of rescanning columns
// for every count.
//
// The index is active only inside a run whose ModelState asks for it
// (FastScans). While it is active every change of a unit goes through
// CloseUnit and MarkPerformed, or marks its column stale; a stale column is
// rescanned once, the next time it is asked about. Outside a run the
// straightforward scans serve, so records changed by hand are always read as
// they are.
#pragma once

#include "model_state.h"

namespace davrel3 {

void ActivateColumnIndex(ModelState& state);
void DeactivateColumnIndex(ModelState& state);
void MarkColumnStale(ModelState& state, long long j);

// Open units of column j, not capped.
int OpenCount(ModelState& state, int j);
int FirstOpen(ModelState& state, int j);
int FirstUnperformed(ModelState& state, int j);

// Unit (c, j) is given out / performed.
void CloseUnit(ModelState& state, int c, int j);
void MarkPerformed(ModelState& state, int c, int j);

// Keeps the index active for the lifetime of a run, whatever way it ends.
class ColumnIndexScope {
 public:
  explicit ColumnIndexScope(ModelState& state);
  ~ColumnIndexScope();
  ColumnIndexScope(const ColumnIndexScope&) = delete;
  ColumnIndexScope& operator=(const ColumnIndexScope&) = delete;

 private:
  ModelState& state_;
};

}  // namespace davrel3
