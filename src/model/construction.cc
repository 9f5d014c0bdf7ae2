#include "construction.h"

#include <algorithm>

#include "int_text.h"

namespace davrel3 {

namespace {

void CreateSkill(RunContext& ctx, TSkill& skill) {
  const ParameterSet& p = ctx.parameters;
  skill.InTask = false;
  skill.UnitsOpen = true;
  skill.Loser = false;
  skill.RestCredit = 0;
  // A group for tables only keeps no marks: nothing reads them, and without
  // them copying the group (each commit does) allocates nothing per skill.
  if (!ctx.state.TablesOnly) skill.PerformedAt.resize(kPerformedAtLength, false);
  skill.ExpWeight = p[Field::ExpRate] / 100.0;
  skill.InhPar = p[Field::InhPar];
  skill.ExcPar = p[Field::ExcPar];
  skill.ExpMax = p[Field::ExpMax];
  skill.ExpThresh = p[Field::ExpThresh];
  skill.LearnSpeed = p[Field::LearnSpeed] * 0.01;
  skill.ForgetSpeed = p[Field::ForgetSpeed] * 0.01;
  skill.MotMax = p[Field::MotMax];
  skill.MotThresh = p[Field::MotThresh];
  skill.BoreRate = p[Field::Bore] * 0.01;
  skill.RestRate = p[Field::Rest] * 0.01;
}

void CreateAgent(RunContext& ctx, TAgent& agent) {
  agent.Present = true;
  agent.LearnInteraction = ctx.parameters[Field::LearnInt] * 0.1;
  agent.Available = true;
  agent.InteractionBase = 0.1;
  agent.NrOfSkills = ctx.parameters[Field::NrofSkills];
  agent.Skills.resize(static_cast<std::size_t>(agent.NrOfSkills));
  agent.SkillExtras.resize(static_cast<std::size_t>(agent.NrOfSkills));
  for (std::size_t j = 0; j < agent.Skills.size(); ++j) {
    CreateSkill(ctx, agent.Skills[j]);
    agent.SkillExtras[j].Values[3] = 0.1;
  }
}

void InitTaskUnit(int duration, TTaskUnit& unit) {
  unit.Duration = duration;
  unit.Performed = false;
  unit.Open = true;
}

// The grid at `cycles` rows of `columns` units: units kept keep their
// values, new ones are zero.
void ResizeUnits(TTask& task, int cycles, int columns) {
  const std::size_t rows = static_cast<std::size_t>(cycles);
  const std::size_t width = static_cast<std::size_t>(columns);
  if (width == static_cast<std::size_t>(task.UnitColumns)) {
    task.Units.resize(rows * width);
    return;
  }
  std::vector<TTaskUnit> units(rows * width);
  const std::size_t oldWidth = static_cast<std::size_t>(task.UnitColumns);
  const std::size_t keptRows = oldWidth == 0 ? 0 : std::min(rows, task.Units.size() / oldWidth);
  const std::size_t keptWidth = std::min(width, oldWidth);
  for (std::size_t r = 0; r < keptRows; ++r) {
    std::copy_n(task.Units.begin() + static_cast<std::ptrdiff_t>(r * oldWidth), keptWidth,
                units.begin() + static_cast<std::ptrdiff_t>(r * width));
  }
  task.Units.swap(units);
  task.UnitColumns = columns;
}

}  // namespace

void CreateSystem(RunContext& ctx) {
  TSystem& system = ctx.state.System;
  ctx.panel.SetEntranceEditEnabled(false);
  // The entrance edit shows the time the commit sets; it is what the run uses.
  const int entrance = ctx.parameters.Item(Choice::Newcomer) == 0 ? 500 : 100;
  ctx.panel.SetText(Field::EntTurnAgent, IntToStr(entrance));
  system.EntranceTime = entrance;
  system.NrOfAgents = ctx.parameters[Field::NrofAg];
  system.SkillTable.resize(static_cast<std::size_t>(ctx.parameters[Field::NrofSkills]), 0);
  system.Agents.resize(static_cast<std::size_t>(system.NrOfAgents));
  system.ReserveAgents.resize(static_cast<std::size_t>(system.NrOfAgents));
  for (auto& agent : system.Agents) CreateAgent(ctx, agent);
  system.StepDuration = 0;
  system.TaskDuration = 0;
  for (auto& agent : system.Agents) {
    agent.StepWorkTime = 0;
    agent.TaskWorkTime = 0;
    for (auto& skill : agent.Skills) skill.TimeNeeded = 0;
  }
}

void CreateTask(RunContext& ctx) {
  TTask& task = ctx.state.Task;
  const int skills = CommittedSkills(ctx.state.System);
  task.Cycles = ctx.parameters[Field::Cycle];
  task.Actions = ctx.parameters[Field::Action];
  task.Variety = ctx.parameters[Field::Var];
  task.NrOfUnits = static_cast<std::int64_t>(task.Cycles) * task.Actions;
  task.TaskStride = kTaskStride;
  task.PerformedCount = 0;
  task.AllocatedCount = 0;
  ResizeUnits(task, task.Cycles, skills);
  // The first task's window starts at skill 0; more actions than skills wrap.
  // Read once, and only for a task that has units, as the loop would.
  const int duration = task.Actions > 0 && task.Cycles > 0 ? ctx.parameters[Field::Dur] : 0;
  for (int a = 0; a < task.Actions; ++a) {
    const auto column = static_cast<std::size_t>(SkillColumn(a, skills));
    for (int c = 0; c < task.Cycles; ++c) InitTaskUnit(duration, TaskUnit(task, c, column));
  }
  if (ctx.state.TablesOnly) return;
  MakeTaskGrid(ctx);
  ShowTaskUnits(ctx);
  ctx.observer.TaskGridRebuilt();
}

void MakeTaskGrid(RunContext& ctx) {
  TextGrid& grid = ctx.state.TaskGrid;
  const int skills = CommittedSkills(ctx.state.System);
  grid.SetRowCount(ctx.parameters[Field::Action] + 1);
  grid.SetColumnCount(ctx.parameters[Field::Cycle] + 1);
  const int cycles = ctx.parameters[Field::Cycle];
  for (int c = 1; c <= cycles; ++c) grid.SetCell(c, 0, IntToStr(c));
  const int actions = ctx.parameters[Field::Action];
  for (int r = 1; r <= actions; ++r) {
    // Head each row with the number of the skill it really shows.
    grid.SetCell(0, r, IntToStr(SkillColumn(ctx.state.WindowStart + r - 1, skills) + 1));
  }
}

void ShowTaskUnits(RunContext& ctx) {
  TextGrid& grid = ctx.state.TaskGrid;
  const TTask& task = ctx.state.Task;
  const int skills = CommittedSkills(ctx.state.System);
  const int cycles = ctx.parameters[Field::Cycle];
  const int actions = ctx.parameters[Field::Action];
  for (int c = 0; c < cycles; ++c) {
    for (int a = 0; a < actions; ++a) {
      const long long column = SkillColumn(ctx.state.WindowStart + a, skills);
      // A cell beyond the task's cycles or skills has no unit to show.
      if (c >= task.Cycles || skills == 0) {
        grid.SetCell(c + 1, a + 1, "");
        continue;
      }
      grid.SetCell(c + 1, a + 1, TaskUnit(task, c, static_cast<std::size_t>(column)).Performed ? "Y" : "N");
    }
  }
}

}  // namespace davrel3
