#include "allocation.h"

#include <cmath>

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
      if (ctx.parameters.Indicated(Indicator::Allocation)) {
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

namespace {

// The allocation of one timestep as AllocateTimestep below performs it, with
// the same steps, messages and results, but each free agent's preferred skill
// computed once per change of what it depends on instead of once per skill
// and agent, and the columns read from the column index. What a preference
// depends on changes during an allocation only when the agent is inhibited
// (its own marks) or when a column runs out of open units (only agents that
// preferred that column can change their minds: dropping any other skill from
// the admissible ones leaves the best one best).
class FastAllocation {
 public:
  FastAllocation(RunContext& ctx, long long n) : ctx_(ctx), state_(ctx.state), system_(ctx.state.System), n_(n) {}

  void Run() {
    if (system_.Agents.empty()) return;
    int influenceCount = 0;
    ComputeTendencies(system_);
    const int skills = CommittedSkills(system_);
    const int agents = static_cast<int>(system_.Agents.size());
    preferred_.assign(static_cast<std::size_t>(agents), -1);
    // After ComputeTendencies a free agent's marks are whatever the drives
    // gave; the first choice rewrites all of them.
    marked_.assign(static_cast<std::size_t>(agents), kUnknownMarks);
    for (int i = 0; i < agents; ++i) {
      if (Free(system_.Agents[i])) preferred_[i] = Preferred(system_.Agents[i]);
    }
    for (;;) {
      bool changed = false;
      for (int j = 0; j < skills; ++j) {
        const TSkill& first = system_.Agents[0].Skills[j];
        if (first.InTask != first.UnitsOpen) continue;
        ChooseSkills(skills);
        if (Candidates(j) == 0) continue;
        while (Capped(OpenCount(state_, j)) < Candidates(j)) {
          const int weakest = WeakestCompetitor(system_, j);
          if (!Inhibit(system_, j, weakest)) break;
          changed = true;
          marked_[weakest] = -1;  // its only mark was j, now cleared
          preferred_[weakest] = Preferred(system_.Agents[weakest]);
          if (ctx_.parameters.Indicated(Indicator::Influence)) {
            influenceCount += 1;
            ctx_.observer.WriteDisplayEdit(DisplayEdit::CountEdit, IntToStr(influenceCount));
            ctx_.observer.ShowMessage("Influence");
          }
        }
        const auto allocatedBefore = state_.Task.AllocatedCount;
        AllocateUnits(j);
        if (state_.Task.AllocatedCount != allocatedBefore) changed = true;
      }
      if (CountAvailableAgents(system_) == 0) return;
      if (state_.Task.AllocatedCount == state_.Task.NrOfUnits) return;
      if (!changed) return;
    }
  }

 private:
  static constexpr int kUnknownMarks = -2;

  int Capped(int open) const { return open < system_.NrOfAgents ? open : system_.NrOfAgents; }

  int Preferred(const TAgent& agent) {
    double best = -1.0;
    int result = -1;
    const int skills = CommittedSkills(system_);
    const int count = static_cast<int>(agent.Skills.size()) < skills ? static_cast<int>(agent.Skills.size()) : skills;
    if (!agent.Present) return -1;
    for (int j = 0; j < count; ++j) {
      const TSkill& skill = agent.Skills[j];
      if (!skill.InTask || !skill.UnitsOpen || skill.Loser) continue;
      if (!(skill.ExpThresh < skill.Expertise)) continue;
      const double difference = DriveDifference(skill);
      if (!(difference > best)) continue;
      if (OpenCount(state_, j) <= 0) continue;
      best = difference;
      result = j;
    }
    return result;
  }

  void ChooseSkills(int skills) {
    for (int i = 0; i < static_cast<int>(system_.Agents.size()); ++i) {
      TAgent& agent = system_.Agents[i];
      if (!Free(agent) || marked_[i] == preferred_[i]) continue;
      if (marked_[i] == kUnknownMarks) {
        for (int j = 0; j < skills && j < static_cast<int>(agent.Skills.size()); ++j) {
          agent.Skills[j].Chosen = j == preferred_[i];
        }
      } else {
        if (marked_[i] >= 0) agent.Skills[marked_[i]].Chosen = false;
        if (preferred_[i] >= 0) agent.Skills[preferred_[i]].Chosen = true;
      }
      marked_[i] = preferred_[i];
    }
  }

  int Candidates(int j) const {
    int count = 0;
    for (int i = 0; i < static_cast<int>(system_.Agents.size()); ++i) {
      if (preferred_[i] == j && Free(system_.Agents[i])) ++count;
    }
    return count;
  }

  void AllocateUnits(int j) {
    TTask& task = state_.Task;
    bool exhausted = false;
    for (int i = 0; i < static_cast<int>(system_.Agents.size()); ++i) {
      TAgent& agent = system_.Agents[i];
      if (!agent.Skills[j].Chosen || !agent.Available) continue;
      const int c = FirstOpen(state_, j);
      if (c < task.Cycles) {
        agent.Available = false;
        CloseUnit(state_, c, j);
        task.AllocatedCount += 1;
        if (ctx_.parameters.Indicated(Indicator::Allocation)) {
          const std::string text = AllocationText(n_, i);
          const long long row = TaskGridRow(state_, j);
          state_.TaskGrid.SetCell(c + 1, row, text);
          ctx_.observer.TaskGridCellWritten(c + 1, row, text);
          ctx_.observer.ShowMessage("Allocated");
        }
      }
      if (OpenCount(state_, j) == 0) {
        system_.Agents[0].Skills[j].UnitsOpen = false;
        exhausted = true;
      }
    }
    if (!exhausted) return;
    for (int i = 0; i < static_cast<int>(system_.Agents.size()); ++i) {
      if (preferred_[i] == j && Free(system_.Agents[i])) preferred_[i] = Preferred(system_.Agents[i]);
    }
  }

  RunContext& ctx_;
  ModelState& state_;
  TSystem& system_;
  const long long n_;
  std::vector<int> preferred_;
  std::vector<int> marked_;
};

}  // namespace

void AllocateTimestep(RunContext& ctx, long long n) {
  if (ctx.state.Columns.active) {
    FastAllocation(ctx, n).Run();
    return;
  }
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
    // A pass that gave out nothing and inhibited nobody would repeat forever.
    if (!changed) return;
  }
}

}  // namespace davrel3
