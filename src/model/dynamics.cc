#include "dynamics.h"

#include <cmath>
#include <optional>

#include "allocation.h"
#include "column_index.h"

namespace davrel3 {
namespace {

[[noreturn, gnu::cold, gnu::noinline]] void ThrowNotFinite(const char* what) {
  throw RunFault(std::string(what) + " is not a finite number");
}

inline double Checked(double value, const char* what) {
  if (!std::isfinite(value)) ThrowNotFinite(what);
  return value;
}

// The three state rules, inlined where the run applies them.
inline void LearnRule(TSkill& skill) {
  if (skill.ExpMax == 0) ThrowRunFault("division by zero: ExpMax is 0");
  double e = skill.Expertise + (skill.ExpMax - skill.Expertise) / skill.ExpMax * skill.LearnSpeed;
  if (e > skill.ExpMax) e = skill.ExpMax;
  skill.Expertise = Checked(e, "expertise");
}

inline void ForgetRule(TSkill& skill) {
  const double range = skill.ExpMax - skill.ForgetSpeed;
  const double forgotten = (skill.Expertise - skill.ForgetSpeed) * skill.ExpMax;
  // A negative numerator over a positive range gives a negative quotient,
  // which the rule raises to 0: a skill forgotten down to nothing (most
  // skills of a large group) needs no division, and 0 needs no finiteness
  // check. The bounds keep the quotient far from rounding to -0, so the
  // shortcut gives exactly what dividing does; a range of 0 never takes it.
  if (forgotten < -1e-100 && range > 0 && range < 1e100) {
    skill.Expertise = 0;
    return;
  }
  if (range == 0) ThrowRunFault("division by zero: ExpMax - ForgetSpeed is 0");
  double e = forgotten / range;
  if (e < 0) e = 0;
  skill.Expertise = Checked(e, "expertise");
}

inline void MotivationRule(TSkill& skill) {
  double m = skill.Motivation;
  if (skill.Chosen) {
    if (m > 1.0) skill.RestCredit += 1;
    const double range = skill.MotMax - skill.BoreRate;
    if (range == 0) ThrowRunFault("division by zero: MotMax - BoreRate is 0");
    m = (m - skill.BoreRate) * skill.MotMax / range;
    if (m < 0) m = 0;
    skill.Motivation = Checked(m, "motivation");
  } else if (skill.RestCredit > 0) {
    if (skill.MotMax == 0) ThrowRunFault("division by zero: MotMax is 0");
    m = m + (skill.MotMax - m) / skill.MotMax * skill.RestRate;
    skill.Motivation = Checked(m, "motivation");
    skill.RestCredit -= 1;
  }
}

void SetPerformedAt(TSkill& skill, long long n, bool value) {
  // The record holds timesteps 0 to 999; later timesteps are not kept.
  if (n >= 0 && n < static_cast<long long>(skill.PerformedAt.size())) skill.PerformedAt[n] = value;
}

// A group for tables only keeps no rows: nothing to record.
void RecordSkill(RunHistory& history, int i, int j, long long row, const TSkill& skill) {
  if (j >= kSkillSlots || row >= history.Rows || i >= history.Agents) return;
  RecordLevels(history, row, i, j, skill.Expertise, skill.Motivation);
}

// The performed unit's text "12/3" in the task grid and the chart window's
// allocation grid; a group for tables only shows none.
void ShowPerformedUnit(RunContext& ctx, int i, int j, int c, long long n, int k) {
  ModelState& state = ctx.state;
  if (state.TablesOnly) return;
  const std::string text = PerformanceText(n, i);
  const long long gridRow = SkillColumn(j - state.WindowStart, CommittedSkills(state.System)) + 1;
  state.TaskGrid.SetCell(c + 1, gridRow, text);
  ctx.observer.TaskGridCellWritten(c + 1, gridRow, text);
  const long long allocationColumn = static_cast<long long>(k) * state.Task.Cycles + c + 1;
  state.AllocationGrid.SetCell(allocationColumn, j + 1, text);
  ctx.observer.AllocationGridCellWritten(allocationColumn, j + 1, text);
}

}  // namespace

void Learn(TSkill& skill) { LearnRule(skill); }

void Forget(TSkill& skill) { ForgetRule(skill); }

void UpdateMotivation(TSkill& skill) { MotivationRule(skill); }

namespace {

// What the updates of one timestep read that stays the same for all of them:
// the parameters converted at START and whether the run keeps records
// (PerformedAt marks and history rows; a group for tables only keeps none,
// and no operation reads the marks).
struct StepConstants {
  int dur = 0;
  bool showPerformed = false;
  bool records = true;
};

StepConstants ConstantsOf(const RunContext& ctx) {
  return {ctx.parameters[Field::Dur], ctx.parameters.Indicated(Indicator::Performance), !ctx.state.TablesOnly};
}

// Where the units of one timestep are counted: task k's timestep n, history
// row `row`, in the group as it stands.
TimestepUnits UnitsOfTimestep(ModelState& state, long long n, int k, long long row) {
  const TSystem& system = state.System;
  return TimestepUnits(state.Labour,
                       UnitPerformance{k, n - static_cast<long long>(kTaskStride) * k, row, 0, 0, 0,
                                       static_cast<int>(system.Agents.size()), CommittedSkills(system),
                                       system.EntranceTime, state.Task.NrOfUnits});
}

// Performs skill j of agent i if a unit of it is left; returns whether it
// did, so that the caller records the skill's new levels. Without kRecords
// (a group for tables only) it shows no unit and marks no timestep; it is
// then part of the loop over the agent's skills.
template <bool kRecords>
[[gnu::always_inline]] inline bool Perform(RunContext& ctx, const StepConstants& constants, ColumnIndex& columns,
                                           TimestepUnits& units, TAgent& agent, TSkill& skill, int i, int j,
                                           long long n, int k, bool marksTimestep) {
  ModelState& state = ctx.state;
  if (skill.MotMax == 0) ThrowRunFault("division by zero: MotMax is 0");
  const double a = (1 - skill.ExpWeight) * (skill.Motivation / skill.MotMax);
  if (skill.ExpMax == 0) ThrowRunFault("division by zero: ExpMax is 0");
  const double b = (skill.Expertise / skill.ExpMax) * skill.ExpWeight;
  TTask& task = state.Task;
  const int c = columns.FirstUnperformed(j);
  if (c == task.Cycles) return false;
  columns.MarkPerformed(c, j);

  if constexpr (kRecords) ShowPerformedUnit(ctx, i, j, c, n, k);

  task.PerformedCount += 1;
  // A skill of the group is its own column; only a position beyond wraps.
  const int skills = CommittedSkills(state.System);
  units.Count(i, j >= 0 && j < skills ? j : static_cast<int>(SkillColumn(j, skills)), c);
  if (constants.showPerformed) ctx.observer.ShowMessage("Performed");
  if (kRecords && marksTimestep) SetPerformedAt(skill, n, true);

  const double efficiency = a + b;
  if (efficiency == 0) ThrowRunFault("division by zero: the efficiency a + b is 0");
  const double timeNeeded = Checked(constants.dur / efficiency, "the time needed");
  const double stepWork = Checked(agent.StepWorkTime + timeNeeded, "the step work time");
  skill.TimeNeeded = timeNeeded;
  agent.StepWorkTime = stepWork;
  LearnRule(skill);
  MotivationRule(skill);
  agent.Available = true;
  return true;
}

// A recording run's unit step, with its displays, out of line: inlined, it
// would take the registers of the loop's idle skills.
[[gnu::noinline]] bool PerformRecorded(RunContext& ctx, const StepConstants& constants, ColumnIndex& columns,
                                       TimestepUnits& units, TAgent& agent, TSkill& skill, int i, int j, long long n,
                                       int k, bool marksTimestep) {
  return Perform<true>(ctx, constants, columns, units, agent, skill, i, j, n, k, marksTimestep);
}

// Whether timestep n has a place in the PerformedAt record (timesteps 0 to
// 999) of a run that keeps records.
bool MarksTimestep(const StepConstants& constants, long long n) {
  return constants.records && n >= 0 && n < kPerformedAtLength;
}

}  // namespace

void PerformSkill(RunContext& ctx, int i, int j, long long n, int k, long long row) {
  std::optional<ColumnIndex> ownIndex;
  ColumnIndex& columns = ctx.columns != nullptr ? *ctx.columns : ownIndex.emplace(ctx.state);
  const StepConstants constants = ConstantsOf(ctx);
  TimestepUnits units = UnitsOfTimestep(ctx.state, n, k, row);
  TAgent& agent = ctx.state.System.Agents[i];
  TSkill& skill = agent.Skills[j];
  if (!constants.records) {
    Perform<false>(ctx, constants, columns, units, agent, skill, i, j, n, k, false);
  } else if (PerformRecorded(ctx, constants, columns, units, agent, skill, i, j, n, k, MarksTimestep(constants, n))) {
    RecordSkill(ctx.state.History, i, j, row, skill);
  }
}

namespace {

// One present agent's timestep: each skill is performed, idle in the task or
// idle outside it. Where the agent's levels are recorded (its history row,
// how many of its skills have a slot there) and whether the timestep is
// marked in PerformedAt are the same for all its skills: settled once here.
// Without kRecords (a group for tables only) none of it is there.
template <bool kRecords>
inline void UpdateAgent(RunContext& ctx, const StepConstants& constants, ColumnIndex& columns, TimestepUnits& units,
                        int i, long long n, int k, long long row) {
  TAgent& agent = ctx.state.System.Agents[i];
  RunHistory& history = ctx.state.History;
  const int skills = static_cast<int>(agent.Skills.size());
  const bool marksTimestep = kRecords && MarksTimestep(constants, n);
  int recordedSlots = 0;
  double* expertiseRow = nullptr;
  double* motivationRow = nullptr;
  if (kRecords && row < history.Rows && i < history.Agents) {
    const std::size_t at = LevelIndex(history, row, i, 0);
    expertiseRow = history.ExpertiseHistory.data() + at;
    motivationRow = history.MotivationHistory.data() + at;
    recordedSlots = skills < kSkillSlots ? skills : kSkillSlots;
  }
  for (int j = 0; j < skills; ++j) {
    TSkill& skill = agent.Skills[j];
    const auto record = [&] {
      expertiseRow[j] = skill.Expertise;
      motivationRow[j] = skill.Motivation;
    };
    if (skill.Chosen && skill.InTask) {
      const bool performed =
          kRecords ? PerformRecorded(ctx, constants, columns, units, agent, skill, i, j, n, k, marksTimestep)
                   : Perform<false>(ctx, constants, columns, units, agent, skill, i, j, n, k, marksTimestep);
      if (performed && j < recordedSlots) record();
      continue;
    }
    // Idle, in the task or outside it: forgetting and the motivation rule.
    if (marksTimestep) SetPerformedAt(skill, n, false);
    skill.TimeNeeded = 0;
    ForgetRule(skill);
    MotivationRule(skill);
    if (j < recordedSlots && skill.InTask) record();
  }
  const double taskWork = Checked(agent.TaskWorkTime + agent.StepWorkTime, "the task work time");
  const double runWork = Checked(agent.RunWorkTime + taskWork, "the run work time");
  agent.TaskWorkTime = taskWork;
  agent.RunWorkTime = runWork;
}

// The timestep of an agent whose run keeps records, out of line: the
// recording keeps more values at hand than the loop over the agents can hold
// with it.
[[gnu::noinline]] void UpdateRecordedAgent(RunContext& ctx, const StepConstants& constants, ColumnIndex& columns,
                                           TimestepUnits& units, int i, long long n, int k, long long row) {
  UpdateAgent<true>(ctx, constants, columns, units, i, n, k, row);
}

}  // namespace

void UpdateAgents(RunContext& ctx, long long n, int k, long long row) {
  TSystem& system = ctx.state.System;
  RunHistory& history = ctx.state.History;
  const int agents = static_cast<int>(system.Agents.size());
  // A group for tables only keeps no rows.
  const bool recorded = row < history.Rows && agents == history.Agents;
  // The task's row and the totals row (NrOfTasks as START converted it) are
  // the same for every agent: made valid once, where the first agent's
  // values are written, and then written straight.
  const long long totalsRow = static_cast<long long>(ctx.parameters[Field::NrOfTasks]) + 1;
  double* taskRow = nullptr;
  double* totals = nullptr;
  const StepConstants constants = ConstantsOf(ctx);
  std::optional<ColumnIndex> ownIndex;
  ColumnIndex& columns = ctx.columns != nullptr ? *ctx.columns : ownIndex.emplace(ctx.state);
  TimestepUnits units = UnitsOfTimestep(ctx.state, n, k, row);
  for (int i = 0; i < agents; ++i) {
    if (system.Agents[i].Present) {
      if (constants.records) {
        UpdateRecordedAgent(ctx, constants, columns, units, i, n, k, row);
      } else {
        UpdateAgent<false>(ctx, constants, columns, units, i, n, k, row);
      }
    }
    const TAgent& agent = system.Agents[i];
    if (recorded) RecordStepWork(history, row, i, agent.StepWorkTime);
    if (i == 0) {
      EnsureTaskWorkRow(history, k, agents);
      history.TaskWorkHistory[static_cast<std::size_t>(k)][0] = agent.TaskWorkTime;
      EnsureTaskWorkRow(history, totalsRow, agents);
      history.TaskWorkHistory[static_cast<std::size_t>(totalsRow)][0] = agent.RunWorkTime;
      taskRow = history.TaskWorkHistory[static_cast<std::size_t>(k)].data();
      totals = history.TaskWorkHistory[static_cast<std::size_t>(totalsRow)].data();
    } else {
      taskRow[i] = agent.TaskWorkTime;
      totals[i] = agent.RunWorkTime;
    }
    if (agent.StepWorkTime > system.StepDuration) system.StepDuration = agent.StepWorkTime;
  }
  if (recorded) RecordStepWork(history, row, agents, system.StepDuration);
}

}  // namespace davrel3
