// The allocation of one timestep in its most direct form, kept as the oracle
// for the shipped one: every count is a fresh scan of the task grid, and every
// free agent's preferred skill is worked out again wherever it is needed
// (choosing, counting candidates), with no index and nothing remembered
// between the steps. It must give what AllocateTimestep gives: the same marks,
// drives, units, messages and cell texts.
#pragma once

#include <string>

#include "model/allocation.h"
#include "model/int_text.h"

namespace davrel3::testing::scan {

inline double DriveDifference(const TSkill& skill) { return skill.IValue - skill.YouValue; }

inline bool Free(const TAgent& agent) { return agent.Available && agent.Present; }

inline int OpenUnitCount(const ModelState& state, int j) {
  const TTask& task = state.Task;
  int count = 0;
  for (int c = 0; c < task.Cycles; ++c) {
    if (TaskUnit(task, c, j).Open) ++count;
  }
  return count < state.System.NrOfAgents ? count : state.System.NrOfAgents;
}

inline int PreferredSkill(const ModelState& state, const TAgent& agent) {
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

inline void ChooseSkills(const ModelState& state, TSystem& system) {
  const int skills = CommittedSkills(system);
  for (auto& agent : system.Agents) {
    if (!Free(agent)) continue;
    const int preferred = PreferredSkill(state, agent);
    for (int j = 0; j < skills && j < static_cast<int>(agent.Skills.size()); ++j) {
      agent.Skills[j].Chosen = j == preferred;
    }
  }
}

inline int CountCandidates(const ModelState& state, int j) {
  int count = 0;
  for (const auto& agent : state.System.Agents) {
    if (Free(agent) && PreferredSkill(state, agent) == j) ++count;
  }
  return count;
}

inline int CountAvailableAgents(const TSystem& system) {
  int count = 0;
  for (const auto& agent : system.Agents) {
    if (Free(agent)) ++count;
  }
  return count;
}

inline int WeakestCompetitor(const TSystem& system, int j) {
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

inline bool Inhibit(TSystem& system, int j, int i) {
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

inline void AllocateUnits(RunContext& ctx, int j, long long n) {
  ModelState& state = ctx.state;
  TTask& task = state.Task;
  for (int i = 0; i < static_cast<int>(state.System.Agents.size()); ++i) {
    TAgent& agent = state.System.Agents[i];
    if (!agent.Skills[j].Chosen || !agent.Available) continue;
    const int c = FirstOpenCycle(task, j);
    if (c < task.Cycles) {
      agent.Available = false;
      TaskUnit(task, c, j).Open = false;
      task.AllocatedCount += 1;
      if (ctx.parameters.Indicated(Indicator::Allocation)) {
        const std::string text = AllocationText(n, i);
        const long long row = SkillColumn(j - state.WindowStart, CommittedSkills(state.System)) + 1;
        state.TaskGrid.SetCell(c + 1, row, text);
        ctx.observer.TaskGridCellWritten(c + 1, row, text);
        ctx.observer.ShowMessage("Allocated");
      }
    }
    if (OpenUnitCount(state, j) == 0) state.System.Agents[0].Skills[j].UnitsOpen = false;
  }
}

inline void AllocateTimestep(RunContext& ctx, long long n) {
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
        if (!Inhibit(system, j, WeakestCompetitor(system, j))) break;
        changed = true;
        if (ctx.parameters.Indicated(Indicator::Influence)) {
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
    if (!changed) return;
  }
}

}  // namespace davrel3::testing::scan
