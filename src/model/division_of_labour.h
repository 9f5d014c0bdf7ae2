// How a group divides its work: which agent performed how many units of which
// skill, counted at the moment each unit is performed, and the index that
// sums it up, the normalised mutual information between agents and skills.
//
// For a table of counts n[a][s] (agent a, real skill column s) with total N,
// p(a,s) = n[a][s] / N, p(a) = sum over s of p(a,s), p(s) = sum over a:
//   H(A) = -sum p(a) ln p(a), H(S) = -sum p(s) ln p(s),
//   I = sum over n[a][s] > 0 of p(a,s) ln(p(a,s) / (p(a) p(s))),
//   index = I / sqrt(H(A) H(S)),
// 0 when N > 0 but one entropy is 0 (one agent or one skill: nothing is
// divided), undefined (std::nullopt) when N = 0. Sums run over agents, then
// skills, in index order, so that every machine gets the same last digit.
//
// 1 means agents and skills pair one to one; near 0 means every agent does a
// bit of everything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace davrel3 {

// One performed unit, as the allocation map and the rolling index need it.
struct PerformedUnit {
  std::int32_t task = 0;   // k, from 0
  std::int32_t agent = 0;  // the agent that performed it, from 0
  std::int32_t skill = 0;  // real column of the task grid
  std::int32_t cycle = 0;  // row of the task grid
  std::int64_t timestep = 0;  // t within the task, from 0
};

// The counts of one task, split at the newcomer's entrance: before[a * skills
// + s] counts the units performed at t < entranceTime, after[...] those at
// t >= entranceTime.
struct LabourTask {
  int agents = 0;
  int skills = 0;
  std::int64_t entranceTime = 0;
  // History row of the task's timestep 0 (so row = firstRow + t).
  std::int64_t firstRow = 0;
  // The last timestep in which the task performed a unit.
  std::int64_t lastTimestep = 0;
  std::vector<std::int64_t> before;
  std::vector<std::int64_t> after;
};

// What a run has counted so far. Tasks[k] exists once task k has performed a
// unit; a task without units reads as empty.
struct DivisionOfLabour {
  std::vector<LabourTask> Tasks;
  // Every performed unit in the order performed; kept only while KeepUnits
  // (the counts are kept always).
  std::vector<PerformedUnit> Units;
  bool KeepUnits = true;
};

// Forgets everything counted (the start of a run). KeepUnits stays.
void ResetDivisionOfLabour(DivisionOfLabour& labour);

// Where a unit was performed and by whom, and the group it was performed in.
struct UnitPerformance {
  int task = 0;
  std::int64_t timestep = 0;  // t within the task
  std::int64_t row = 0;       // history row of the timestep
  int agent = 0;
  int skill = 0;  // real column, 0 <= skill < skills
  int cycle = 0;
  int agents = 0;  // size of the agent array
  int skills = 0;  // committed number of skills
  std::int64_t entranceTime = 0;
  std::int64_t taskUnits = 0;  // units of the task, to reserve the log once
};

// Lays out task unit.task's counts when its first unit arrives.
LabourTask& StartLabourTask(DivisionOfLabour& labour, const UnitPerformance& unit);

// Counts one performed unit. Called once per unit, from the step that
// performs it; no allocation except when a task's first unit arrives (and the
// log's amortised growth).
inline void CountPerformedUnit(DivisionOfLabour& labour, const UnitPerformance& unit) {
  if (unit.task < 0 || unit.agent < 0 || unit.agent >= unit.agents || unit.skill < 0 || unit.skill >= unit.skills) {
    return;  // outside the group as committed: nothing to count it against
  }
  LabourTask& task = unit.task < static_cast<int>(labour.Tasks.size()) && !labour.Tasks[unit.task].before.empty()
                         ? labour.Tasks[unit.task]
                         : StartLabourTask(labour, unit);
  // A later commit cannot change the group within a run; the check guards the
  // arrays should a caller ever count against another group.
  if (unit.agent >= task.agents || unit.skill >= task.skills) return;
  const std::size_t cell = static_cast<std::size_t>(unit.agent) * task.skills + unit.skill;
  if (unit.timestep < task.entranceTime) {
    task.before[cell] += 1;
  } else {
    task.after[cell] += 1;
  }
  if (unit.timestep > task.lastTimestep) task.lastTimestep = unit.timestep;
  if (labour.KeepUnits) {
    labour.Units.push_back(PerformedUnit{unit.task, unit.agent, unit.skill, unit.cycle, unit.timestep});
  }
}

// Counts the units of one timestep: `timestep` says where and when (its
// agent, skill and cycle are not read), Count which agent performed which
// unit. Units are counted as CountPerformedUnit counts them until one of
// them is counted into the task's counts; that one has made the task's last
// timestep this one, so the units after it that fall inside the same counts
// (on the timestep's side of the entrance) are added there straight. A run
// that keeps the log of units counts every unit the long way.
class TimestepUnits {
 public:
  TimestepUnits(DivisionOfLabour& labour, const UnitPerformance& timestep) : labour_(labour), unit_(timestep) {}

  void Count(int agent, int skill, int cycle) {
    if (cells_ != nullptr && static_cast<unsigned>(agent) < agents_ && static_cast<unsigned>(skill) < skills_) {
      cells_[static_cast<std::size_t>(agent) * stride_ + static_cast<unsigned>(skill)] += 1;
      return;
    }
    unit_.agent = agent;
    unit_.skill = skill;
    unit_.cycle = cycle;
    CountPerformedUnit(labour_, unit_);
    if (cells_ != nullptr || labour_.KeepUnits || unit_.task < 0 ||
        unit_.task >= static_cast<int>(labour_.Tasks.size())) {
      return;
    }
    LabourTask& task = labour_.Tasks[static_cast<std::size_t>(unit_.task)];
    if (task.before.empty() || unit_.agents <= 0 || unit_.skills <= 0) return;
    const auto agents = static_cast<unsigned>(unit_.agents < task.agents ? unit_.agents : task.agents);
    const auto skills = static_cast<unsigned>(unit_.skills < task.skills ? unit_.skills : task.skills);
    // A unit outside the counts was not counted: the next one is looked at again.
    if (static_cast<unsigned>(agent) >= agents || static_cast<unsigned>(skill) >= skills) return;
    agents_ = agents;
    skills_ = skills;
    stride_ = static_cast<std::size_t>(task.skills);
    cells_ = unit_.timestep < task.entranceTime ? task.before.data() : task.after.data();
  }

 private:
  DivisionOfLabour& labour_;
  UnitPerformance unit_;
  std::int64_t* cells_ = nullptr;
  unsigned agents_ = 0;
  unsigned skills_ = 0;
  std::size_t stride_ = 0;
};

// The index of a table of counts, agents x skills in row-major order.
std::optional<double> LabourIndex(std::span<const std::int64_t> counts, int agents, int skills);

struct LabourMeasures {
  std::optional<double> dol, dolBefore, dolAfter;
};

// The three values of task k: all its timesteps, t < EntranceTime, t >= EntranceTime.
LabourMeasures LabourMeasuresOf(const DivisionOfLabour& labour, int k);

// Units of task k that agent a performed in skill column s before / after the
// entrance (0 for a task, agent or skill the record does not have).
std::int64_t UnitsBefore(const DivisionOfLabour& labour, int k, int a, int s);
std::int64_t UnitsAfter(const DivisionOfLabour& labour, int k, int a, int s);

// The index over a sliding window: for every timestep t of every task that
// performed a unit (t = 0 .. its last timestep), the index over the units of
// that task performed at timesteps t - window + 1 .. t. The window does not
// reach back into an earlier task. Needs the unit log; window >= 1.
struct RollingLabourPoint {
  int task = 0;
  std::int64_t timestep = 0;
  std::int64_t row = 0;
  std::optional<double> value;
};
std::vector<RollingLabourPoint> RollingLabourIndex(const DivisionOfLabour& labour, std::int64_t window);

}  // namespace davrel3
