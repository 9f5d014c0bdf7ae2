#include "allocation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "agent_snapshot.h"
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

// Integers per agent or per skill of one allocation. Groups of up to
// kLocal agents and skills keep them in place, so that a timestep of a small
// group allocates nothing on the heap.
class SmallInts {
 public:
  static constexpr std::size_t kLocal = 16;
  SmallInts() = default;
  SmallInts(const SmallInts&) = delete;
  SmallInts& operator=(const SmallInts&) = delete;

  void Assign(std::size_t n, int value) {
    if (n <= kLocal) {
      data_ = local_.data();
    } else {
      heap_.resize(n);
      data_ = heap_.data();
    }
    std::fill_n(data_, n, value);
  }
  int& operator[](std::size_t i) { return data_[i]; }
  int operator[](std::size_t i) const { return data_[i]; }

 private:
  std::array<int, kLocal> local_;  // written by Assign before any read
  std::vector<int> heap_;
  int* data_ = local_.data();
};

// One timestep's allocation in progress.
struct TimestepAllocation {
  // The marks of an agent are as the drives left them, not yet one choice.
  static constexpr int kUnknownMarks = -2;

  explicit TimestepAllocation(ColumnIndex& index) : columns(index) {}

  ColumnIndex& columns;
  // Per agent: the skill it prefers (-1 none), kept for free agents only.
  SmallInts preferred;
  // Per agent: the one skill its Chosen marks show (-1 none), or kUnknownMarks.
  SmallInts marked;
  // Per agent: 1 while it is Available and Present. Only a unit given out
  // changes this during an allocation.
  SmallInts free;
  // Per skill: the free agents that prefer it, kept with every change of a
  // preference or of an agent's freedom.
  SmallInts candidates;
  // Per free agent with many skills: the first and last skill whose Chosen
  // mark may be set after the drives (first > last: none). The first choice
  // rewrites only these marks.
  SmallInts chosenFirst;
  SmallInts chosenLast;
  int freeCount = 0;
  // Whether some agent was Available but not Present as the allocation
  // began: only such an agent is given a unit by its marks alone.
  bool absentAvailable = false;
  // Whether some free agent's marks may differ from its preference, so that
  // ChooseSkills has something to do.
  bool marksStale = true;
  int influenceCount = 0;

  // Free agent i now prefers skill p (-1 none).
  void SetPreferred(int i, int p) {
    const int old = preferred[i];
    if (old >= 0) candidates[old] -= 1;
    if (p >= 0) candidates[p] += 1;
    preferred[i] = p;
    marksStale = true;
  }
  // Agent i was given a unit and is no longer free.
  void Take(int i) {
    if (!free[i]) return;
    free[i] = 0;
    freeCount -= 1;
    if (preferred[i] >= 0) candidates[preferred[i]] -= 1;
  }
};

// The drives of one skill, I and You, and its mark.
inline void Tendency(TSkill& skill) {
  const double e = skill.Expertise;
  const double m = skill.Motivation;
  const double w = skill.ExpWeight;
  double iValue = 0;
  double youValue = 1.0;
  if (!(skill.ExpThresh >= e)) {
    const long long expRange = static_cast<long long>(skill.ExpMax) - skill.ExpThresh;
    if (expRange == 0) ThrowRunFault("division by zero: ExpMax - ExpThresh is 0");
    const double relExp = (e - skill.ExpThresh) / static_cast<double>(expRange);
    if (skill.MotThresh >= m) {
      if (skill.MotThresh == 0) ThrowRunFault("division by zero: MotThresh is 0");
      iValue = w * relExp;
      youValue = (1 - w) * (skill.MotThresh - m) / skill.MotThresh;
    } else {
      const long long motRange = static_cast<long long>(skill.MotMax) - skill.MotThresh;
      if (motRange == 0) ThrowRunFault("division by zero: MotMax - MotThresh is 0");
      const double relMot = (m - skill.MotThresh) / static_cast<double>(motRange);
      iValue = w * relExp + (1 - w) * relMot;
      youValue = 0;
    }
    if (!std::isfinite(iValue)) ThrowRunFault("the drive I is not a finite number");
    if (!std::isfinite(youValue)) ThrowRunFault("the counter-pull You is not a finite number");
  }
  skill.IValue = iValue;
  skill.YouValue = youValue;
  skill.Chosen = skill.IValue > skill.YouValue;
}

void AgentTendencies(TAgent& agent) {
  for (auto& skill : agent.Skills) {
    if (skill.InTask) Tendency(skill);
  }
}

// The drives of an agent that is not free; with kStart its timestep starts
// first, skill by skill, in the same pass.
template <bool kStart>
inline void StartAndTendencies(AgentSnapshot* start, TAgent& agent) {
  if constexpr (kStart) {
    AgentSnapshot::SkillStarts starts = start->StartAgent(agent);
    for (auto& skill : agent.Skills) {
      starts.Start(skill);
      if (skill.InTask) Tendency(skill);
    }
  } else {
    AgentTendencies(agent);
  }
}

// Whether in-task skill j may be preferred and beats `best`, the greatest
// difference I - You found so far (which it then becomes): units still open
// to the agent, not given up in a competition, expertise above the
// threshold, and open units left in its column. With kBranchless the last
// comparison is taken without a branch: among a few skills, all above the
// threshold, which one is the greatest follows no pattern the processor
// could learn. Among many, mostly forgotten, the branch is cheaper.
template <bool kBranchless = false>
inline bool Improves(ColumnIndex& columns, const TSkill& skill, int j, double& best) {
  if (!skill.UnitsOpen || skill.Loser) return false;
  if (!(skill.ExpThresh < skill.Expertise)) return false;
  const double difference = DriveDifference(skill);
  if constexpr (kBranchless) {
    if (columns.OpenCount(j) <= 0) return false;
    const bool better = difference > best;
    best = better ? difference : best;
    return better;
  } else {
    if (!(difference > best)) return false;
    if (columns.OpenCount(j) <= 0) return false;
    best = difference;
    return true;
  }
}

inline int Preferred(ColumnIndex& columns, const TSystem& system, const TAgent& agent) {
  if (!agent.Present) return -1;
  double best = -1.0;
  int result = -1;
  const int skills = CommittedSkills(system);  // skills beyond have no column in the task grid
  const int count = static_cast<int>(agent.Skills.size()) < skills ? static_cast<int>(agent.Skills.size()) : skills;
  const TSkill* const all = agent.Skills.data();
  for (int j = 0; j < count; ++j) {
    if (all[j].InTask && Improves(columns, all[j], j, best)) result = j;
  }
  return result;
}

// Agents with fewer skills than this have all their marks rewritten by the
// first choice: cheaper than following, skill by skill, which marks the
// drives set.
constexpr int kChosenSpanFrom = 16;

// The drives of every in-task skill of a free agent and the skill it
// prefers (as Preferred finds it), in one pass over its skills: the drives of
// skill j change nothing that another skill's admissibility reads, so the
// best admissible skill among those seen so far is found as their drives are.
// With kStart the agent's timestep starts first, skill by skill, in the same
// pass. With kSpan the pass also finds the first and last of the agent's
// task-grid skills left Chosen and writes them to *chosenFirst and
// *chosenLast; without, it writes nothing there. Out of line: inside the
// allocation's loop its running best and its pointers would not all stay in
// registers.
template <bool kStart, bool kSpan>
[[gnu::noinline]] int DrivesAndPreferred(ColumnIndex& columns, int count, TAgent& agent, AgentSnapshot* start,
                                         int* chosenFirst, int* chosenLast) {
  [[maybe_unused]] AgentSnapshot::SkillStarts starts;
  if constexpr (kStart) starts = start->StartAgent(agent);
  const int size = static_cast<int>(agent.Skills.size());
  TSkill* const all = agent.Skills.data();
  double best = -1.0;
  int result = -1;
  int first = count;
  int last = -1;
  for (int j = 0; j < count; ++j) {
    TSkill& skill = all[j];
    if constexpr (kStart) starts.Start(skill);
    if (skill.InTask) {
      Tendency(skill);
      if (Improves<!kSpan>(columns, skill, j, best)) result = j;
    }
    if constexpr (kSpan) {
      if (skill.Chosen) {
        if (first > j) first = j;
        last = j;
      }
    }
  }
  for (int j = count; j < size; ++j) {
    if constexpr (kStart) starts.Start(all[j]);
    if (all[j].InTask) Tendency(all[j]);
  }
  if constexpr (kSpan) {
    *chosenFirst = first;
    *chosenLast = last;
  }
  return result;
}

}  // namespace

std::string AllocationText(long long n, int agent) { return IntToStr(n + 1) + " / " + IntToStr(agent + 1); }

std::string PerformanceText(long long n, int agent) { return IntToStr(n + 1) + "/" + IntToStr(agent + 1); }

void ComputeTendency(TSkill& skill) { Tendency(skill); }

void ComputeTendencies(TSystem& system) {
  for (auto& agent : system.Agents) AgentTendencies(agent);
}

namespace {

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
  return Preferred(columns, system, agent);
}

namespace {

// Every free agent's marks show its preferred skill and nothing else.
void ChooseSkills(TSystem& system, TimestepAllocation& allocation) {
  if (!allocation.marksStale) return;
  allocation.marksStale = false;
  const int skills = CommittedSkills(system);
  for (int i = 0; i < static_cast<int>(system.Agents.size()); ++i) {
    int& marked = allocation.marked[i];
    const int preferred = allocation.preferred[i];
    if (!allocation.free[i] || marked == preferred) continue;
    TAgent& agent = system.Agents[i];
    if (marked == TimestepAllocation::kUnknownMarks) {
      const int count = std::min(skills, static_cast<int>(agent.Skills.size()));
      TSkill* const all = agent.Skills.data();
      if (count < kChosenSpanFrom) {
        for (int j = 0; j < count; ++j) all[j].Chosen = j == preferred;
      } else {
        // Of the task-grid skills only those in the span can be Chosen.
        const int last = allocation.chosenLast[i];
        for (int j = allocation.chosenFirst[i]; j <= last; ++j) all[j].Chosen = false;
        if (preferred >= 0) all[preferred].Chosen = true;
      }
    } else {
      if (marked >= 0) agent.Skills[marked].Chosen = false;
      if (preferred >= 0) agent.Skills[preferred].Chosen = true;
    }
    marked = preferred;
  }
}

// Free agents that prefer skill j.
int CountCandidates(const TimestepAllocation& allocation, int j) { return allocation.candidates[j]; }

// Each agent that chose skill j and is Available, in index order, gets its
// next open unit. A free agent's marks are its `marked` skill alone (what
// ChooseSkills and Inhibit left), so only an agent that is Available but not
// Present needs its records read.
void AllocateUnits(RunContext& ctx, TimestepAllocation& allocation, int j, long long n) {
  ModelState& state = ctx.state;
  TSystem& system = state.System;
  TTask& task = state.Task;
  ColumnIndex& columns = allocation.columns;
  bool exhausted = false;
  const int agents = static_cast<int>(system.Agents.size());
  // The free agents marked j are those that prefer it (ChooseSkills has just
  // made every free agent's mark its preference; the competition cleared the
  // marks of those it changed): once they are all seen, only an agent that is
  // Available but not Present could still take a unit.
  int toVisit = allocation.candidates[j];
  if (toVisit == 0 && !allocation.absentAvailable) return;
  for (int i = 0; i < agents; ++i) {
    // free[i] is Available and Present, kept as units are given out.
    if (allocation.free[i]) {
      if (allocation.marked[i] != j) continue;
      toVisit -= 1;
    } else {
      if (!allocation.absentAvailable) continue;
      const TAgent& absent = system.Agents[i];
      if (!absent.Available || absent.Present || !absent.Skills[j].Chosen) continue;
    }
    TAgent& agent = system.Agents[i];
    const int c = columns.FirstOpen(j);
    if (c < task.Cycles) {
      agent.Available = false;
      allocation.Take(i);
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
    if (toVisit == 0 && !allocation.absentAvailable) break;
  }
  if (!exhausted || allocation.candidates[j] == 0) return;
  for (int i = 0; i < static_cast<int>(system.Agents.size()); ++i) {
    if (allocation.preferred[i] == j && allocation.free[i]) {
      allocation.SetPreferred(i, Preferred(columns, system, system.Agents[i]));
    }
  }
}

// The drives of every agent, then, while its skills are at hand, a free
// agent's preferred skill: the drives of one agent decide nothing about
// another's preference. With kStart each agent's timestep starts in the same
// pass.
template <bool kStart>
void StartDrivesAndPreferences(TSystem& system, TimestepAllocation& allocation, AgentSnapshot* start) {
  const int skills = CommittedSkills(system);
  const int agents = static_cast<int>(system.Agents.size());
  for (int i = 0; i < agents; ++i) {
    TAgent& agent = system.Agents[i];
    if (!Free(agent)) {
      StartAndTendencies<kStart>(start, agent);
      if (agent.Available) allocation.absentAvailable = true;
      continue;
    }
    allocation.free[i] = 1;
    allocation.freeCount += 1;
    const int size = static_cast<int>(agent.Skills.size());
    const int count = size < skills ? size : skills;  // skills beyond have no column in the task grid
    // The span arrays hold room only when some agent can have many skills.
    const int preferred =
        count < kChosenSpanFrom
            ? DrivesAndPreferred<kStart, false>(allocation.columns, count, agent, start, nullptr, nullptr)
            : DrivesAndPreferred<kStart, true>(allocation.columns, count, agent, start, &allocation.chosenFirst[i],
                                               &allocation.chosenLast[i]);
    allocation.SetPreferred(i, preferred);
  }
}

}  // namespace

void AllocateTimestep(RunContext& ctx, long long n) {
  ModelState& state = ctx.state;
  TSystem& system = state.System;
  if (system.Agents.empty()) return;
  std::optional<ColumnIndex> ownIndex;
  ColumnIndex& columns = ctx.columns != nullptr ? *ctx.columns : ownIndex.emplace(state);
  TimestepAllocation allocation(columns);
  const int skills = CommittedSkills(system);
  const int agents = static_cast<int>(system.Agents.size());
  allocation.preferred.Assign(static_cast<std::size_t>(agents), -1);
  // After the drives a free agent's marks are whatever they gave; the first
  // choice rewrites all of them.
  allocation.marked.Assign(static_cast<std::size_t>(agents), TimestepAllocation::kUnknownMarks);
  allocation.free.Assign(static_cast<std::size_t>(agents), 0);
  allocation.candidates.Assign(static_cast<std::size_t>(skills), 0);
  if (skills >= kChosenSpanFrom) {
    allocation.chosenFirst.Assign(static_cast<std::size_t>(agents), 0);
    allocation.chosenLast.Assign(static_cast<std::size_t>(agents), -1);
  }
  if (ctx.timestepStart != nullptr) {
    StartDrivesAndPreferences<true>(system, allocation, ctx.timestepStart);
  } else {
    StartDrivesAndPreferences<false>(system, allocation, nullptr);
  }
  for (;;) {
    bool changed = false;
    for (int j = 0; j < skills; ++j) {
      const TSkill& first = system.Agents[0].Skills[j];
      if (first.InTask != first.UnitsOpen) continue;
      ChooseSkills(system, allocation);
      if (CountCandidates(allocation, j) == 0) continue;
      while (CappedOpenCount(columns, system, j) < CountCandidates(allocation, j)) {
        const int weakest = WeakestCompetitor(system, j);
        // Nobody weak enough to give way: the competition cannot progress.
        if (!Inhibit(system, j, weakest)) break;
        changed = true;
        allocation.marked[weakest] = -1;  // its only mark was j, now cleared
        allocation.SetPreferred(weakest, Preferred(columns, system, system.Agents[weakest]));
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
    if (allocation.freeCount == 0) return;
    if (state.Task.AllocatedCount == state.Task.NrOfUnits) return;
    // A pass that gave out nothing and inhibited nobody would repeat forever.
    if (!changed) return;
  }
}

}  // namespace davrel3
