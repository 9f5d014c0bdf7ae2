#include "run.h"

#include <cmath>
#include <new>

#include "allocation.h"
#include "column_index.h"
#include "dynamics.h"
#include "construction.h"
#include "int_text.h"

namespace davrel3 {
namespace {

// The state that decides whether another timestep can change anything.
struct AgentSnapshot {
  struct Skill {
    double expertise, motivation;
    int restCredit;
    bool chosen, loser;
    bool operator==(const Skill&) const = default;
  };
  std::vector<bool> present, available;
  std::vector<std::vector<Skill>> skills;

  void Take(const TSystem& system) {
    const std::size_t n = system.Agents.size();
    present.resize(n);
    available.resize(n);
    skills.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
      const TAgent& agent = system.Agents[i];
      present[i] = agent.Present;
      available[i] = agent.Available;
      auto& out = skills[i];
      out.resize(agent.Skills.size());
      for (std::size_t j = 0; j < agent.Skills.size(); ++j) {
        const TSkill& s = agent.Skills[j];
        out[j] = {s.Expertise, s.Motivation, s.RestCredit, s.Chosen, s.Loser};
      }
    }
  }

  bool Matches(const TSystem& system) const {
    if (system.Agents.size() != present.size()) return false;
    for (std::size_t i = 0; i < present.size(); ++i) {
      const TAgent& agent = system.Agents[i];
      if (agent.Present != present[i] || agent.Available != available[i]) return false;
      if (agent.Skills.size() != skills[i].size()) return false;
      for (std::size_t j = 0; j < agent.Skills.size(); ++j) {
        const TSkill& s = agent.Skills[j];
        if (!(skills[i][j] == Skill{s.Expertise, s.Motivation, s.RestCredit, s.Chosen, s.Loser})) return false;
      }
    }
    return true;
  }
};

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
      task.Units[c][column].Performed = false;
      task.Units[c][column].Open = true;
    }
    if (ctx.columns != nullptr) ctx.columns->MarkStale(static_cast<long long>(column));
  }
  if (ctx.state.TablesOnly) return;
  MakeTaskGrid(ctx);
  ShowTaskUnits(ctx);
  ctx.observer.TaskGridRebuilt();
}

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

RunOutcome RunSimulation(RunContext& caller) {
  RunOutcome outcome;
  ModelState& state = caller.state;
  ColumnIndex columns(state);
  RunContext ctx{state, caller.panel, caller.observer, caller.parameters, &columns};
  TSystem& system = state.System;
  TTask& task = state.Task;
  RunHistory& history = state.History;
  const int agents = static_cast<int>(system.Agents.size());
  int k = 0;
  long long t = 0;
  long long rowsUsed = 0;  // timesteps the run has begun so far
  ResetDivisionOfLabour(state.Labour);
  try {
    const int tasks = ctx.parameters[Field::NrOfTasks];
    state.WindowStart = -static_cast<long long>(task.Variety);
    system.RunDuration = 0;
    for (auto& agent : system.Agents) agent.RunWorkTime = 0;
    AgentSnapshot snapshot;
    for (k = 0; k < tasks; ++k) {
      system.TaskDuration = 0;
      for (auto& agent : system.Agents) agent.TaskWorkTime = 0;
      state.WindowStart += task.Variety;
      const int skillsNow = ctx.parameters[Field::NrofSkills];
      if (skillsNow < state.WindowStart) state.WindowStart -= skillsNow;
      outcome.timesteps.push_back(0);
      t = 0;
      StartTask(ctx, k);
      long long idleTimesteps = 0;
      while (task.PerformedCount < task.NrOfUnits) {
        const long long row = rowsUsed + 1;
        outcome.timesteps.back() = t + 1;
        ++rowsUsed;
        // A group for tables only keeps no rows, but stops where a full run
        // would, so that both give the same rows.
        if (state.TablesOnly ? !HistoryRowFits(history, row) : !EnsureHistoryRow(history, row)) {
          throw RunFault("the history would grow past its memory budget of " + ByteText(history.ByteLimit) + " (" +
                         IntToStr(row + 1) + " rows of " + IntToStr(agents) + " agents)");
        }
        system.StepDuration = 0;
        for (auto& agent : system.Agents) {
          agent.StepWorkTime = 0;
          for (auto& skill : agent.Skills) skill.TimeNeeded = 0;
        }
        if (ctx.parameters.Indicated(Indicator::NewTimestep)) {
          ctx.observer.ShowMessage("New Round");
          ctx.observer.WriteDisplayEdit(DisplayEdit::Edit2, IntToStr(t + 1));
          ctx.observer.ShowStatesAgents();
        }
        snapshot.Take(system);
        const auto performedBefore = task.PerformedCount;
        const int fit = ctx.parameters.Item(Choice::FitNoFit);
        if (fit == 0 || fit == 1) EnterNewcomer(ctx, t, fit);
        const long long n = t + static_cast<long long>(kTaskStride) * k;
        AllocateTimestep(ctx, n);
        UpdateAgents(ctx, n, k, row);
        const long long thisTimestep = t;
        t = t + 1;
        const double taskDuration = system.TaskDuration + system.StepDuration;
        if (!std::isfinite(taskDuration)) throw RunFault("the task duration is not a finite number");
        system.TaskDuration = taskDuration;

        // Nothing can change any more once a timestep performs nothing, leaves
        // every agent as it found it and no entrance is still to come.
        idleTimesteps = task.PerformedCount == performedBefore ? idleTimesteps + 1 : 0;
        const bool entranceToCome = HasNewcomer(system) && thisTimestep < system.EntranceTime;
        if (idleTimesteps > 0 && !entranceToCome &&
            (snapshot.Matches(system) || idleTimesteps >= kIdleTimestepLimit)) {
          outcome.status = RunStatus::Stalled;
          outcome.message = "The run stalled " + Where(k, thisTimestep) + ": no unit can be performed";
          return outcome;
        }
        if (ctx.observer.CancelRequested()) {
          outcome.status = RunStatus::Cancelled;
          outcome.message = "The run was cancelled " + Where(k, thisTimestep);
          return outcome;
        }
      }
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
    }
  } catch (const RunFault& fault) {
    outcome.status = RunStatus::Failed;
    outcome.message = "The run failed " + Where(k, t) + ": " + fault.what();
  } catch (const ConversionError& error) {
    outcome.status = RunStatus::Failed;
    outcome.message = error.what();
  } catch (const std::bad_alloc&) {
    outcome.status = RunStatus::Failed;
    outcome.message = "The run failed " + Where(k, t) + ": there is not enough memory to go on";
  }
  return outcome;
}

}  // namespace davrel3
