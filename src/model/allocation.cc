#include "allocation.h"

#include <cmath>

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

int OpenUnitCount(const ModelState& state, int j) {
  const TTask& task = state.Task;
  int count = 0;
  for (int c = 0; c < task.Cycles; ++c) {
    if (task.Units[c][j].Open) ++count;
  }
  return count < state.System.NrOfAgents ? count : state.System.NrOfAgents;
}

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

int PreferredSkill(const ModelState& state, const TAgent& agent) {
  double best = -1.0;
  int result = -1;
  for (int j = 0; j < static_cast<int>(agent.Skills.size()); ++j) {
    const TSkill& skill = agent.Skills[j];
    if (!skill.InTask || !skill.UnitsOpen || skill.Loser || !agent.Present) continue;
    if (j >= CommittedSkills(state.System)) continue;  // no column in the task grid
    if (OpenUnitCount(state, j) <= 0) continue;
    if (!(skill.ExpThresh < skill.Expertise)) continue;
    const double difference = DriveDifference(skill);
    if (difference > best) {
      best = difference;
      result = j;
    }
  }
  return result;
}

void ChooseSkills(const ModelState& state, TSystem& system) {
  const int skills = CommittedSkills(system);
  for (auto& agent : system.Agents) {
    if (!Free(agent)) continue;
    const int preferred = PreferredSkill(state, agent);
    for (int j = 0; j < skills && j < static_cast<int>(agent.Skills.size()); ++j) {
      agent.Skills[j].Chosen = j == preferred;
    }
  }
}

int CountCandidates(const ModelState& state, int j) {
  int count = 0;
  for (const auto& agent : state.System.Agents) {
    if (Free(agent) && PreferredSkill(state, agent) == j) ++count;
  }
  return count;
}

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

void AllocateUnits(RunContext& ctx, int j, long long n) {
  ModelState& state = ctx.state;
  TTask& task = state.Task;
  for (int i = 0; i < static_cast<int>(state.System.Agents.size()); ++i) {
    TAgent& agent = state.System.Agents[i];
    if (!agent.Skills[j].Chosen || !agent.Available) continue;
    const int c = FirstOpenCycle(task, j);
    if (c < task.Cycles) {
      agent.Available = false;
      task.Units[c][j].Open = false;
      task.AllocatedCount += 1;
      if (ctx.observer.IsIndicated(Indicator::Allocation)) {
        const std::string text = AllocationText(n, i);
        const long long row = TaskGridRow(state, j);
        state.TaskGrid.SetCell(c + 1, row, text);
        ctx.observer.TaskGridCellWritten(c + 1, row, text);
        ctx.observer.ShowMessage("Allocated");
      }
    }
    if (OpenUnitCount(state, j) == 0) state.System.Agents[0].Skills[j].UnitsOpen = false;
  }
}

void AllocateTimestep(RunContext& ctx, long long n) {
  ModelState& state = ctx.state;
  TSystem& system = state.System;
  if (system.Agents.empty()) return;
  int influenceCount = 0;
  ComputeTendencies(system);
  const int skills = CommittedSkills(system);
  for (;;) {
    bool changed = false;
    for (int j = 0; j < skills; ++j) {
      const TSkill& first = system.Agents[0].Skills[j];
      if (first.InTask != first.UnitsOpen) continue;
      ChooseSkills(state, system);
      if (CountCandidates(state, j) == 0) continue;
      while (OpenUnitCount(state, j) < CountCandidates(state, j)) {
        // Nobody weak enough to give way: the competition cannot progress.
        if (!Inhibit(system, j, WeakestCompetitor(system, j))) break;
        changed = true;
        if (ctx.observer.IsIndicated(Indicator::Influence)) {
          influenceCount += 1;
          ctx.observer.WriteDisplayEdit(DisplayEdit::CountEdit, IntToStr(influenceCount));
          ctx.observer.ShowMessage("Influence");
        }
      }
      const auto allocatedBefore = state.Task.AllocatedCount;
      AllocateUnits(ctx, j, n);
      if (state.Task.AllocatedCount != allocatedBefore) changed = true;
    }
    if (CountAvailableAgents(system) == 0) return;
    if (state.Task.AllocatedCount == state.Task.NrOfUnits) return;
    // A pass that gave out nothing and inhibited nobody would repeat forever.
    if (!changed) return;
  }
}

}  // namespace davrel3
