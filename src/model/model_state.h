// Everything one simulated work group owns: the records, the run history, the
// position of the skill window and the texts of the grids the run writes.
// Nothing in the model is global, so independent groups can run side by side.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "division_of_labour.h"
#include "history.h"
#include "parameter_panel.h"
#include "parameter_set.h"
#include "records.h"
#include "run_observer.h"
#include "text_grid.h"

namespace davrel3 {

class AgentSnapshot;
class ColumnIndex;

struct ModelState {
  TSystem System;
  TTask Task;
  RunHistory History;
  // Absolute index of the first skill of the current task's window. It may
  // leave the range of skills (a negative variety moves it down); every use
  // reduces it with SkillColumn.
  long long WindowStart = 0;
  TextGrid TaskGrid{40, 6};
  TextGrid AllocationGrid;
  TextGrid WorkTimeGrid{9, 7};
  // Who performed which unit of which skill, counted as the run performs them.
  DivisionOfLabour Labour;
  // A group that serves only result tables (design, sweep and point runs):
  // its commits size no per-timestep history, and its runs record none, keep
  // no PerformedAt marks (no operation reads them) and write no grid texts.
  // What they compute otherwise, and every number a table row holds, is the
  // same as for a full run.
  bool TablesOnly = false;
};

// What the model's procedures work with: the state, the parameter panel
// construction writes, the observer they report to, and the parameter values
// the operation converted once at its start (every read takes these). A run
// keeps its column index here; a step called outside a run has none and reads
// the task grid as it stands.
struct RunContext {
  ModelState& state;
  ParameterPanel& panel;
  RunObserver& observer;
  const ParameterSet& parameters;
  ColumnIndex* columns = nullptr;
  // Set by a run for the allocation of one timestep: its first pass starts
  // each agent's timestep and each skill's (AgentSnapshot::StartAgent and
  // the SkillStarts it returns) before the drives change them. Without it
  // the caller has started the timestep.
  AgentSnapshot* timestepStart = nullptr;
};

// A fault that ends a run: a zero denominator, a result that is not finite,
// or a history that would grow past its limit. what() names the quantity.
class RunFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raises a RunFault out of line (run.cc), so that the rules which can fail
// keep their code compact.
[[noreturn, gnu::cold]] void ThrowRunFault(const char* what);

// The non-negative remainder of a skill position modulo the number of skills:
// the column of the task grid that the position really stands for.
inline long long SkillColumn(long long position, int skills) {
  if (skills <= 0) return 0;
  long long r = position % skills;
  return r < 0 ? r + skills : r;
}

// Number of skills of the committed group (the first agent's), 0 without agents.
inline int CommittedSkills(const TSystem& system) {
  return system.Agents.empty() ? 0 : system.Agents[0].NrOfSkills;
}

}  // namespace davrel3
