#include "allocation.h"

#include <cmath>
#include <optional>

#include "column_index.h"
#include "int_text.h"

namespace davrel3 {
namespace {

double DriveDifference(const TSkill& skill) { return skill.IValue - skill.YouValue; }

bool Free(const TAgent& agent) { return agent.Available && agent.Present; }

// Row of skill j in the task frame: its position inside the current window.
long long TaskGridRow(const ModelState& state, int j) {
  return SkillColumn(j - state.WindowStart, CommittedSkills(state.System)) + 1;
}

}  // namespace

std::string AllocationText(long long n, int agent) { return IntToStr(n + 1) + " / " + IntToStr(agent + 1); }

std::string PerformanceText(long long n, int agent) { return IntToStr(n + 1) + "/" + IntToStr(agent + 1); }

void ComputeTendency(TSkill& skill) {
  const double e = skill.Expertise;
  const double m = skill.Motivation;
  const double w = skill.ExpWeight;
  double iValue = 0;
  double youValue = 1.0;
  if (!(skill.ExpThresh >= e)) {
    const long long expRange = static_cast<long long>(skill.ExpMax) - skill.ExpThresh;
    if (expRange == 0) throw RunFault("division by zero: ExpMax - ExpThresh is 0");
    const double relExp = (e - skill.ExpThresh) / static_cast<double>(expRange);
    if (skill.MotThresh >= m) {
      if (skill.MotThresh == 0) throw RunFault("division by zero: MotThresh is 0");
      iValue = w * relExp;
      youValue = (1 - w) * (skill.MotThresh - m) / skill.MotThresh;
    } else {
      const long long motRange = static_cast<long long>(skill.MotMax) - skill.MotThresh;
      if (motRange == 0) throw RunFault("division by zero: MotMax - MotThresh is 0");
      const double relMot = (m - skill.MotThresh) / static_cast<double>(motRange);
      iValue = w * relExp + (1 - w) * relMot;
      youValue = 0;
    }
    if (!std::isfinite(iValue)) throw RunFault("the drive I is not a finite number");
    if (!std::isfinite(youValue)) throw RunFault("the counter-pull You is not a finite number");
  }
  skill.IValue = iValue;
  skill.YouValue = youValue;
  skill.Chosen = skill.IValue > skill.YouValue;
}

void ComputeTendencies(TSystem& system) {
  for (auto& agent : system.Agents) {
    for (auto& skill : agent.Skills) {
      if (skill.InTask) ComputeTendency(skill);
    }
  }
}

namespace {

int CountAvailableAgents(const TSystem& system) {
  int count = 0;
  for (const auto& agent : system.Agents) {
    if (Free(agent)) ++count;
  }
  return count;
}

int WeakestCompetitor(const TSystem& system, int j) {
  double smallest = 100.0;
  int result = -1;
  for (int i = 0; i < static_cast<int>(system.Agents.size()); ++i) {
    const TAgent& agent = system.Agents[i];
    const TSkill& skill = agent.Skills[j];
    if (DriveDifference(skill) < smallest && skill.Chosen && Free(agent) && !skill.Loser) {
      smallest = DriveDifference(skill);
      result = i;
    }
  }
  return result;
}

// Returns whether agent i was made a loser for skill j.
bool Inhibit(TSystem& system, int j, int i) {
  if (i < 0 || i >= static_cast<int>(system.Agents.size())) return false;
  TAgent& agent = system.Agents[i];
  TSkill& skill = agent.Skills[j];
  if (!Free(agent) || !skill.Chosen) return false;
  skill.IValue = 0;
  skill.YouValue = 1.0;
  skill.Chosen = false;
  skill.Loser = true;
  return true;
}

// The open units of column j that count towards a competition: no more than
// the group has agents.
int CappedOpenCount(ColumnIndex& columns, const TSystem& system, int j) {
  const int open = columns.OpenCount(j);
  return open < system.NrOfAgents ? open : system.NrOfAgents;
}

}  // namespace

int PreferredSkill(ColumnIndex& columns, const TSystem& system, const TAgent& agent) {
  if (!agent.Present) return -1;
  double best = -1.0;
  int result = -1;
  const int skills = CommittedSkills(system);  // skills beyond have no column in the task grid
  const int count = static_cast<int>(agent.Skills.size()) < skills ? static_cast<int>(agent.Skills.size()) : skills;
  for (int j = 0; j < count; ++j) {
    const TSkill& skill = agent.Skills[j];
    if (!skill.InTask || !skill.UnitsOpen || skill.Loser) continue;
    if (!(skill.ExpThresh < skill.Expertise)) continue;
    const double difference = DriveDifference(skill);
    if (!(difference > best)) continue;
    if (columns.OpenCount(j) <= 0) continue;
    best = difference;
    result = j;
  }
  return result;
}

void ChooseSkills(TSystem& system, TimestepAllocation& allocation) {
  const int skills = CommittedSkills(system);
  for (int i = 0; i < static_cast<int>(system.Agents.size()); ++i) {
    TAgent& agent = system.Agents[i];
    int& marked = allocation.marked[i];
    const int preferred = allocation.preferred[i];
    if (!Free(agent) || marked == preferred) continue;
    if (marked == TimestepAllocation::kUnknownMarks) {
      for (int j = 0; j < skills && j < static_cast<int>(agent.Skills.size()); ++j) {
        agent.Skills[j].Chosen = j == preferred;
      }
    } else {
      if (marked >= 0) agent.Skills[marked].Chosen = false;
      if (preferred >= 0) agent.Skills[preferred].Chosen = true;
    }
    marked = preferred;
  }
}

int CountCandidates(const TSystem& system, const TimestepAllocation& allocation, int j) {
  int count = 0;
  for (int i = 0; i < static_cast<int>(system.Agents.size()); ++i) {
    if (allocation.preferred[i] == j && Free(system.Agents[i])) ++count;
  }
  return count;
}

void AllocateUnits(RunContext& ctx, TimestepAllocation& allocation, int j, long long n) {
  ModelState& state = ctx.state;
  TSystem& system = state.System;
  TTask& task = state.Task;
  ColumnIndex& columns = allocation.columns;
  bool exhausted = false;
  for (int i = 0; i < static_cast<int>(system.Agents.size()); ++i) {
    TAgent& agent = system.Agents[i];
    if (!agent.Skills[j].Chosen || !agent.Available) continue;
    const int c = columns.FirstOpen(j);
    if (c < task.Cycles) {
      agent.Available = false;
      columns.CloseUnit(c, j);
      task.AllocatedCount += 1;
      if (ctx.parameters.Indicated(Indicator::Allocation)) {
        const std::string text = AllocationText(n, i);
        const long long row = TaskGridRow(state, j);
        state.TaskGrid.SetCell(c + 1, row, text);
        ctx.observer.TaskGridCellWritten(c + 1, row, text);
        ctx.observer.ShowMessage("Allocated");
      }
    }
    if (columns.OpenCount(j) == 0) {
      system.Agents[0].Skills[j].UnitsOpen = false;
      exhausted = true;
    }
  }
  if (!exhausted) return;
  for (int i = 0; i < static_cast<int>(system.Agents.size()); ++i) {
    if (allocation.preferred[i] == j && Free(system.Agents[i])) {
      allocation.preferred[i] = PreferredSkill(columns, system, system.Agents[i]);
    }
  }
}

void AllocateTimestep(RunContext& ctx, long long n) {
  ModelState& state = ctx.state;
  TSystem& system = state.System;
  if (system.Agents.empty()) return;
  std::optional<ColumnIndex> ownIndex;
  ColumnIndex& columns = ctx.columns != nullptr ? *ctx.columns : ownIndex.emplace(state);
  TimestepAllocation allocation(columns);
  ComputeTendencies(system);
  const int skills = CommittedSkills(system);
  const int agents = static_cast<int>(system.Agents.size());
  allocation.preferred.assign(static_cast<std::size_t>(agents), -1);
  // After ComputeTendencies a free agent's marks are whatever the drives
  // gave; the first choice rewrites all of them.
  allocation.marked.assign(static_cast<std::size_t>(agents), TimestepAllocation::kUnknownMarks);
  for (int i = 0; i < agents; ++i) {
    if (Free(system.Agents[i])) allocation.preferred[i] = PreferredSkill(columns, system, system.Agents[i]);
  }
  for (;;) {
    bool changed = false;
    for (int j = 0; j < skills; ++j) {
      const TSkill& first = system.Agents[0].Skills[j];
      if (first.InTask != first.UnitsOpen) continue;
      ChooseSkills(system, allocation);
      if (CountCandidates(system, allocation, j) == 0) continue;
      while (CappedOpenCount(columns, system, j) < CountCandidates(system, allocation, j)) {
        const int weakest = WeakestCompetitor(system, j);
        // Nobody weak enough to give way: the competition cannot progress.
        if (!Inhibit(system, j, weakest)) break;
        changed = true;
        allocation.marked[weakest] = -1;  // its only mark was j, now cleared
        allocation.preferred[weakest] = PreferredSkill(columns, system, system.Agents[weakest]);
        if (ctx.parameters.Indicated(Indicator::Influence)) {
          allocation.influenceCount += 1;
          ctx.observer.WriteDisplayEdit(DisplayEdit::CountEdit, IntToStr(allocation.influenceCount));
          ctx.observer.ShowMessage("Influence");
        }
      }
      const auto allocatedBefore = state.Task.AllocatedCount;
      AllocateUnits(ctx, allocation, j, n);
      if (state.Task.AllocatedCount != allocatedBefore) changed = true;
    }
    if (CountAvailableAgents(system) == 0) return;
    if (state.Task.AllocatedCount == state.Task.NrOfUnits) return;
    // A pass that gave out nothing and inhibited nobody would repeat forever.
    if (!changed) return;
  }
}

}  // namespace davrel3
