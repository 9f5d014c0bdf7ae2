#include "run.h"

#include <cmath>
#include <new>

#include "agent_snapshot.h"
#include "allocation.h"
#include "column_index.h"
#include "dynamics.h"
#include "construction.h"
#include "int_text.h"

namespace davrel3 {
namespace {

bool HasNewcomer(const TSystem& system) { return system.NrOfAgents > kNewcomerIndex &&
                                                 static_cast<int>(system.Agents.size()) > kNewcomerIndex; }

std::string Where(int k, long long t) {
  return "in task " + IntToStr(k + 1) + " at timestep " + IntToStr(t + 1);
}

}  // namespace

std::string_view RunStatusName(RunStatus status) {
  switch (status) {
    case RunStatus::Finished: return "finished";
    case RunStatus::Stalled: return "stalled";
    case RunStatus::Failed: return "failed";
    case RunStatus::Refused: return "refused";
    case RunStatus::Cancelled: return "cancelled";
  }
  return "";
}

int SkillOffset(int hiLoIndex) {
  switch (hiLoIndex) {
    case 0: return -3;
    case 1: return 0;
    case 2: return 3;
    default: return 1000;  // no item selected
  }
}

double NewcomerSkillValue(int fit, int newcomer, int offset, int j) {
  const double s = offset;
  if (fit == 0) {
    if (newcomer == 1) {
      double v = s + 15 + j;
      if (v > s + 20) v = v - 6;
      return v;
    }
    return s + 17;
  }
  if (newcomer == 1) {
    double v = s + 17.5 + j;
    if (v > s + 18.5) v = v - 6;
    return v;
  }
  return s + 16;
}

namespace {

// The newcomer's entrance check at timestep t of the task; fit selects the
// rule for the levels (0 No Fit, 1 Fit).
void EnterNewcomer(RunContext& ctx, long long t, int fit) {
  TSystem& system = ctx.state.System;
  if (t != system.EntranceTime) return;
  // Without a sixth agent there is no newcomer to enter.
  if (!HasNewcomer(system)) return;
  const int offset = SkillOffset(ctx.parameters.Item(Choice::HiLo));
  TAgent& newcomer = system.Agents[kNewcomerIndex];
  newcomer.Present = true;
  newcomer.Available = true;
  const int kind = ctx.parameters.Item(Choice::Newcomer);
  if (kind == 1 || kind == 2) {
    const int skills = CommittedSkills(system);
    for (int j = 0; j < skills && j < static_cast<int>(newcomer.Skills.size()); ++j) {
      const double v = NewcomerSkillValue(fit, kind, offset, j);
      TSkill& skill = newcomer.Skills[j];
      skill.InitialLevel = v;
      skill.Expertise = v;
      skill.Motivation = v;
    }
  }
  if (ctx.parameters.Indicated(Indicator::AgVariation)) ctx.observer.ShowMessage("Entrance Agent 6");
}

void SetTaskSkills(RunContext& ctx, int k) {
  TSystem& system = ctx.state.System;
  const int skills = CommittedSkills(system);
  const int actions = ctx.state.Task.Actions;
  std::vector<bool> marks(static_cast<std::size_t>(skills), false);
  for (int a = 0; a < actions && a < skills; ++a) {
    marks[static_cast<std::size_t>(SkillColumn(ctx.state.WindowStart + a, skills))] = true;
  }
  EnsureInTaskRow(ctx.state.History, k, static_cast<int>(system.Agents.size()));
  auto& history = ctx.state.History.InTaskHistory[k];
  for (std::size_t i = 0; i < system.Agents.size(); ++i) {
    TAgent& agent = system.Agents[i];
    for (std::size_t j = 0; j < agent.Skills.size(); ++j) {
      TSkill& skill = agent.Skills[j];
      skill.InTask = j < marks.size() && marks[j];
      if (j < kSkillSlots && i < history.size()) history[i][j] = skill.InTask;
      skill.Loser = false;
    }
  }
}

void ResetTaskUnits(RunContext& ctx) {
  TTask& task = ctx.state.Task;
  const int skills = CommittedSkills(ctx.state.System);
  task.PerformedCount = 0;
  task.AllocatedCount = 0;
  // More actions than skills would visit the same columns again.
  const int actions = task.Actions < skills ? task.Actions : skills;
  for (int a = 0; a < actions; ++a) {
    const auto column = static_cast<std::size_t>(SkillColumn(ctx.state.WindowStart + a, skills));
    for (int c = 0; c < task.Cycles; ++c) {
      TaskUnit(task, c, column).Performed = false;
      TaskUnit(task, c, column).Open = true;
    }
    if (ctx.columns != nullptr) ctx.columns->MarkReset(static_cast<long long>(column));
  }
  if (ctx.state.TablesOnly) return;
  MakeTaskGrid(ctx);
  ShowTaskUnits(ctx);
  ctx.observer.TaskGridRebuilt();
}

}  // namespace

void StartTask(RunContext& ctx, int k) {
  if (ctx.parameters.Indicated(Indicator::NewTask)) {
    ctx.observer.WriteDisplayEdit(DisplayEdit::Edit3, IntToStr(k + 1));
    ctx.observer.ShowMessage("New Task");
  }
  SetTaskSkills(ctx, k);
  if (!ctx.state.System.Agents.empty()) {
    for (auto& skill : ctx.state.System.Agents[0].Skills) skill.UnitsOpen = true;
  }
  ResetTaskUnits(ctx);
}

namespace {

// Where a run stands: the task, the timestep within it and the history rows
// begun so far. A fault names the task and the timestep it happened in.
struct RunPosition {
  int k = 0;
  long long t = 0;
  long long rowsUsed = 0;
};

// What one task's timesteps share: the stall check's snapshot and count, the
// group's size and the newcomer's entrance as the commit shaped them.
struct TaskRun {
  AgentSnapshot snapshot;
  long long idleTimesteps = 0;
  int agents = 0;
  bool newcomer = false;
  // Some step of the run stops to show itself (a check box of the step-through).
  bool showsSteps = false;
};

enum class TimestepEnd { Continue, Stalled, Cancelled };

// The start of a timestep's work: no agent has worked and no skill needed time.
void ResetWorkTimes(TSystem& system) {
  for (auto& agent : system.Agents) ResetWorkTimes(agent);
}

// One timestep of task pos.k: the resets, the entrance check, the allocation,
// the dynamics, the task duration and the stall and cancel checks.
TimestepEnd RunTimestep(RunContext& ctx, RunPosition& pos, TaskRun& run) {
  ModelState& state = ctx.state;
  TSystem& system = state.System;
  TTask& task = state.Task;
  RunHistory& history = state.History;
  const long long row = pos.rowsUsed + 1;
  ++pos.rowsUsed;
  // A group for tables only keeps no rows, but stops where a full run would,
  // so that both give the same rows.
  if (state.TablesOnly ? !HistoryRowFits(history, row) : !EnsureHistoryRow(history, row)) {
    throw RunFault("the history would grow past its memory budget of " + ByteText(history.ByteLimit) + " (" +
                   IntToStr(row + 1) + " rows of " + IntToStr(run.agents) + " agents)");
  }
  system.StepDuration = 0;
  const int fit = ctx.parameters.Item(Choice::FitNoFit);
  const bool entrance = (fit == 0 || fit == 1) && pos.t == system.EntranceTime && run.newcomer;
  // The agents' work times are reset and the stall check's snapshot taken
  // before anything else in the timestep. The allocation does both in its
  // first pass over each agent, unless the run stops to show its steps (a
  // display in between would show agents not yet reset) or an entrance comes
  // between the snapshot and the allocation.
  const bool startInAllocation = !run.showsSteps && !entrance;
  if (startInAllocation) {
    run.snapshot.Begin(system);
  } else {
    ResetWorkTimes(system);
    if (ctx.parameters.Indicated(Indicator::NewTimestep)) {
      ctx.observer.ShowMessage("New Round");
      ctx.observer.WriteDisplayEdit(DisplayEdit::Edit2, IntToStr(pos.t + 1));
      ctx.observer.ShowStatesAgents();
    }
    run.snapshot.TakeMarks(system);
    run.snapshot.TakeLevels(system);
  }
  const auto performedBefore = task.PerformedCount;
  const auto allocatedBefore = task.AllocatedCount;
  if (entrance) EnterNewcomer(ctx, pos.t, fit);
  const long long n = pos.t + static_cast<long long>(kTaskStride) * pos.k;
  if (startInAllocation) {
    ctx.timestepStart = &run.snapshot;
    try {
      AllocateTimestep(ctx, n);
    } catch (...) {
      // A fault ends the run in the allocation: every agent's timestep is
      // still reset, as it is when the timestep starts on its own.
      ctx.timestepStart = nullptr;
      ResetWorkTimes(system);
      throw;
    }
    ctx.timestepStart = nullptr;
    // Only a timestep that gives out no unit can leave the group as it found
    // it; the allocation changed no level, so they are still those the
    // timestep started with.
    if (task.AllocatedCount == allocatedBefore) run.snapshot.TakeLevels(system);
  } else {
    AllocateTimestep(ctx, n);
  }
  UpdateAgents(ctx, n, pos.k, row);
  const long long thisTimestep = pos.t;
  pos.t = pos.t + 1;
  const double taskDuration = system.TaskDuration + system.StepDuration;
  if (!std::isfinite(taskDuration)) throw RunFault("the task duration is not a finite number");
  system.TaskDuration = taskDuration;

  // Nothing can change any more once a timestep performs nothing, leaves
  // every agent as it found it and no entrance is still to come.
  run.idleTimesteps = task.PerformedCount == performedBefore ? run.idleTimesteps + 1 : 0;
  const bool entranceToCome = run.newcomer && thisTimestep < system.EntranceTime;
  if (run.idleTimesteps > 0 && !entranceToCome &&
      (run.snapshot.Matches(system) || run.idleTimesteps >= kIdleTimestepLimit)) {
    pos.t = thisTimestep;
    return TimestepEnd::Stalled;
  }
  if (ctx.observer.CancelRequested()) {
    pos.t = thisTimestep;
    return TimestepEnd::Cancelled;
  }
  return TimestepEnd::Continue;
}

// Task pos.k from its start to its last unit, then its work-time totals.
// Returns false, with the outcome set, when the run ends inside the task.
bool RunTask(RunContext& ctx, RunPosition& pos, TaskRun& run, RunOutcome& outcome) {
  ModelState& state = ctx.state;
  TSystem& system = state.System;
  TTask& task = state.Task;
  RunHistory& history = state.History;
  const int k = pos.k;
  system.TaskDuration = 0;
  for (auto& agent : system.Agents) agent.TaskWorkTime = 0;
  state.WindowStart += task.Variety;
  const int skillsNow = ctx.parameters[Field::NrofSkills];
  if (skillsNow < state.WindowStart) state.WindowStart -= skillsNow;
  outcome.timesteps.push_back(0);
  pos.t = 0;
  StartTask(ctx, k);
  run.idleTimesteps = 0;
  while (task.PerformedCount < task.NrOfUnits) {
    outcome.timesteps.back() = pos.t + 1;
    switch (RunTimestep(ctx, pos, run)) {
      case TimestepEnd::Continue:
        continue;
      case TimestepEnd::Stalled:
        outcome.status = RunStatus::Stalled;
        outcome.message = "The run stalled " + Where(k, pos.t) + ": no unit can be performed";
        return false;
      case TimestepEnd::Cancelled:
        outcome.status = RunStatus::Cancelled;
        outcome.message = "The run was cancelled " + Where(k, pos.t);
        return false;
    }
  }
  const int agents = run.agents;
  EnsureTaskWorkRow(history, k, agents);
  history.TaskWorkHistory[k][agents] = system.TaskDuration;
  const double runDuration = system.RunDuration + system.TaskDuration;
  if (!std::isfinite(runDuration)) throw RunFault("the run duration is not a finite number");
  system.RunDuration = runDuration;
  const long long m = ctx.parameters[Field::NrOfTasks];
  EnsureTaskWorkRow(history, m + 1, agents);
  history.TaskWorkHistory[m + 1][agents] = system.RunDuration;
  EnsureTaskWorkRow(history, k + 1, agents);
  history.TaskWorkHistory[k + 1][agents + 1] = system.RunDuration;
  ctx.observer.ShowStatesAgents();
  return true;
}

}  // namespace

void ThrowRunFault(const char* what) { throw RunFault(what); }

RunOutcome RunSimulation(RunContext& caller) {
  RunOutcome outcome;
  ModelState& state = caller.state;
  ColumnIndex columns(state);
  RunContext ctx{state, caller.panel, caller.observer, caller.parameters, &columns};
  TSystem& system = state.System;
  RunPosition pos;
  ResetDivisionOfLabour(state.Labour);
  try {
    const int tasks = ctx.parameters[Field::NrOfTasks];
    state.WindowStart = -static_cast<long long>(state.Task.Variety);
    system.RunDuration = 0;
    for (auto& agent : system.Agents) agent.RunWorkTime = 0;
    TaskRun run;
    run.agents = static_cast<int>(system.Agents.size());
    run.newcomer = HasNewcomer(system);
    run.showsSteps = ctx.parameters.AnyIndicated();
    for (pos.k = 0; pos.k < tasks; ++pos.k) {
      if (!RunTask(ctx, pos, run, outcome)) return outcome;
    }
  } catch (const RunFault& fault) {
    outcome.status = RunStatus::Failed;
    outcome.message = "The run failed " + Where(pos.k, pos.t) + ": " + fault.what();
  } catch (const ConversionError& error) {
    outcome.status = RunStatus::Failed;
    outcome.message = error.what();
  } catch (const std::bad_alloc&) {
    outcome.status = RunStatus::Failed;
    outcome.message = "The run failed " + Where(pos.k, pos.t) + ": there is not enough memory to go on";
  }
  return outcome;
}

}  // namespace davrel3
