#include "workbench.h"

#include <new>

#include "model/construction.h"
#include "model/int_text.h"
#include "model/measures.h"

namespace davrel3 {

Workbench::Workbench(ParameterPanel& panel) : panel_(panel) {}

void Workbench::SetObserver(RunObserver* observer) { observer_ = observer ? observer : &silent_; }

RunContext Workbench::Context(const ParameterSet& parameters) {
  return RunContext{state_, panel_, *observer_, parameters};
}

// ---------------------------------------------------------------- commit

namespace {

// Construction writes the entrance-time edit; while a commit is built aside
// those writes wait here and reach the real panel only if the commit succeeds.
class DeferredPanel : public ParameterPanel {
 public:
  explicit DeferredPanel(ParameterPanel& panel) : panel_(panel) {}

  std::string Text(Field field) const override { return panel_.Text(field); }
  void SetText(Field field, const std::string& text) override { texts_.emplace_back(field, text); }
  void SetPosition(Field field, int position) override { positions_.emplace_back(field, position); }
  int Position(Field field) const override { return panel_.Position(field); }
  int ItemIndex(Choice choice) const override { return panel_.ItemIndex(choice); }
  void SetItemIndex(Choice choice, int index) override { items_.emplace_back(choice, index); }
  void SetEntranceEditEnabled(bool enabled) override { entranceEnabled_ = enabled; }
  void SetEntrancePanelVisible(bool visible) override { entranceVisible_ = visible; }

  void Replay() {
    for (const auto& [field, text] : texts_) panel_.SetText(field, text);
    for (const auto& [field, position] : positions_) panel_.SetPosition(field, position);
    for (const auto& [choice, index] : items_) panel_.SetItemIndex(choice, index);
    if (entranceEnabled_) panel_.SetEntranceEditEnabled(*entranceEnabled_);
    if (entranceVisible_) panel_.SetEntrancePanelVisible(*entranceVisible_);
  }

 private:
  ParameterPanel& panel_;
  std::vector<std::pair<Field, std::string>> texts_;
  std::vector<std::pair<Field, int>> positions_;
  std::vector<std::pair<Choice, int>> items_;
  std::optional<bool> entranceEnabled_, entranceVisible_;
};

}  // namespace

void CheckSizes(long long agents, long long skills, long long cycles, long long actions, long long tasks,
                std::int64_t historyBudget) {
  if (agents < 1) throw CommitRefused("The number of agents (NrofAg) must be at least 1");
  if (skills < 1) throw CommitRefused("The number of skills (NrofSkills) must be at least 1");
  if (cycles < 0) throw CommitRefused("The number of cycles (Cycle) must not be negative");
  if (actions < 0) throw CommitRefused("The number of actions (Action) must not be negative");
  if (tasks < 0) throw CommitRefused("The number of tasks (NrOfTasks) must not be negative");
  if (agents * skills > kMaxAgentSkills) {
    throw CommitRefused("Agents times skills (NrofAg x NrofSkills) must not exceed 100000");
  }
  // The task grid has a row per action, whatever the number of cycles.
  if (actions > kMaxActions) throw CommitRefused("The number of actions (Action) must not exceed 100000");
  if (tasks > kMaxTasks) throw CommitRefused("The number of tasks (NrOfTasks) must not exceed 10000");
  if (cycles * skills > kMaxTaskCells) {
    throw CommitRefused("Cycles times skills (Cycle x NrofSkills) must not exceed 10000000");
  }
  if (cycles * actions > kMaxTaskCells) {
    throw CommitRefused("Cycles times actions (Cycle x Action) must not exceed 10000000");
  }
  // The allocation grid has a column per cycle of every task.
  if (tasks * cycles > kMaxTaskCells) {
    throw CommitRefused("Tasks times cycles (NrOfTasks x Cycle) must not exceed 10000000");
  }
  // The history a commit allocates: 246 rows of every agent's 40 skill slots,
  // and a window record per task and agent.
  if (HistoryBytes(kDefaultHistoryLength + 1, static_cast<int>(agents)) > historyBudget) {
    std::string message = "The history for " + IntToStr(agents);
    message += " agents (NrofAg) would need more than its memory budget of " + ByteText(historyBudget);
    message += "; at most " + IntToStr(historyBudget / HistoryBytes(kDefaultHistoryLength + 1, 1)) + " agents fit";
    throw CommitRefused(message);
  }
  if (tasks * agents * kSkillSlots > kHistoryByteLimit) {
    throw CommitRefused("Tasks times agents (NrOfTasks x NrofAg) must not exceed 26843545");
  }
}

ParameterSet Workbench::CheckCommit() const {
  // Every field the commit reads, converted once in the order construction
  // reads them, so the first bad text is the one the user is told about.
  ParameterSet parameters = ReadCommitParameters(panel_, *observer_);
  CheckSizes(parameters[Field::NrofAg], parameters[Field::NrofSkills], parameters[Field::Cycle],
             parameters[Field::Action], parameters[Field::NrOfTasks], state_.History.ByteLimit);
  return parameters;
}

void Workbench::SetSystem() {
  // The group and the task are built on copies (construction keeps the levels
  // and cells already there), the history is resized aside by DefineGraphics;
  // only when every allocation has succeeded does the commit replace them.
  ParameterSet parameters;
  ModelState next;
  DeferredPanel deferred(panel_);
  RunObserver silent;
  try {
    parameters = CheckCommit();
    next.System = state_.System;
    next.Task = state_.Task;
    next.TaskGrid = state_.TaskGrid;
    next.WindowStart = state_.WindowStart;
    next.TablesOnly = state_.TablesOnly;
    RunContext ctx{next, deferred, silent, parameters};
    CreateSystem(ctx);
    CreateTask(ctx);
    DefineGraphics(state_.History, parameters[Field::Cycle], parameters[Field::NrOfTasks],
                   next.System.NrOfAgents, !state_.TablesOnly);
  } catch (const std::bad_alloc&) {
    throw CommitRefused(kNoMemoryForCommit);
  } catch (const std::length_error&) {
    throw CommitRefused(kNoMemoryForCommit);
  }
  state_.System = std::move(next.System);
  state_.Task = std::move(next.Task);
  state_.TaskGrid = std::move(next.TaskGrid);
  deferred.Replay();
  drawParameters_ = parameters;
  observer_->TaskGridRebuilt();
  observer_->MakeGrids();
  startEnabled_ = true;
}

void Workbench::OKButtonClick() {
  const long long variety = panel_.Read(Field::Var);
  const long long actions = panel_.Read(Field::Action);
  const long long skills = panel_.Read(Field::NrofSkills);
  if (variety > actions) throw CommitRefused("Task variation exceeds number of actions");
  if (variety + actions > skills) {
    throw CommitRefused("The system does not have enough skills to perform the task");
  }
  // A negative variety passes the check above; a window wider than the group
  // would wrap onto the same skills and the task could never be finished.
  if (actions > skills) throw CommitRefused("The system does not have enough skills to perform the task");
  SetSystem();
}

void Workbench::CancelButtonClick() {
  const TTask& task = state_.Task;
  if (!task.Units.empty()) panel_.SetText(Field::Dur, IntToStr(TaskUnit(task, 0, 0).Duration));
  panel_.SetText(Field::Cycle, IntToStr(task.Cycles));
  panel_.SetText(Field::Action, IntToStr(task.Actions));
  panel_.SetText(Field::NrofAg, IntToStr(state_.System.NrOfAgents));
  if (state_.System.Agents.empty()) return;
  const TAgent& first = state_.System.Agents[0];
  panel_.SetText(Field::NrofSkills, IntToStr(first.NrOfSkills));
  if (first.Skills.empty()) return;
  const TSkill& skill = first.Skills[0];
  auto percent = [](double scaled) { return FormatRounded(scaled * 100); };
  panel_.SetText(Field::ExpRate, percent(skill.ExpWeight));
  panel_.SetText(Field::InhPar, FormatRounded(skill.InhPar));
  panel_.SetText(Field::ExcPar, FormatRounded(skill.ExcPar));
  panel_.SetText(Field::ExpMax, IntToStr(skill.ExpMax));
  panel_.SetText(Field::ExpThresh, IntToStr(skill.ExpThresh));
  panel_.SetText(Field::LearnSpeed, percent(skill.LearnSpeed));
  panel_.SetText(Field::ForgetSpeed, percent(skill.ForgetSpeed));
  panel_.SetText(Field::MotMax, IntToStr(skill.MotMax));
  panel_.SetText(Field::MotThresh, IntToStr(skill.MotThresh));
  panel_.SetText(Field::Bore, percent(skill.BoreRate));
  panel_.SetText(Field::Rest, percent(skill.RestRate));
}

void Workbench::RemoveButtonClick() {
  auto& agents = state_.System.Agents;
  if (static_cast<int>(agents.size()) <= kNewcomerIndex) return;  // no newcomer to remove
  agents[kNewcomerIndex].Present = false;
  agents[kNewcomerIndex].Available = false;
}

// ---------------------------------------------------------------- run

RunOutcome Workbench::StartButtonClick(const std::function<void()>& draw) {
  if (!startEnabled_) {
    return RunOutcome{RunStatus::Refused, "START is disabled: commit a parameter set first", {}};
  }
  // What the run and its draw read, converted once and checked as a commit
  // checks it: texts typed or loaded since the commit reach no run unchecked.
  ParameterSet parameters;
  try {
    parameters = ReadRunParameters(panel_, *observer_);
    CheckSizes(parameters[Field::NrofAg], parameters[Field::NrofSkills], parameters[Field::Cycle],
               parameters[Field::Action], parameters[Field::NrOfTasks], state_.History.ByteLimit);
    const long long committedAgents = static_cast<long long>(state_.System.Agents.size());
    if (parameters[Field::NrOfTasks] * committedAgents * kSkillSlots > kHistoryByteLimit) {
      throw CommitRefused("Tasks times agents (NrOfTasks x NrofAg) must not exceed 26843545");
    }
  } catch (const ConversionError& error) {
    return RunOutcome{RunStatus::Refused, error.what(), {}};
  } catch (const CommitRefused& refusal) {
    return RunOutcome{RunStatus::Refused, refusal.what(), {}};
  }
  auto& agents = state_.System.Agents;
  if (static_cast<int>(agents.size()) > kNewcomerIndex) {
    agents[kNewcomerIndex].Present = false;
    agents[kNewcomerIndex].Available = false;
  }
  RunContext ctx = Context(parameters);
  RunOutcome outcome;
  try {
    outcome = RunSimulation(ctx);
  } catch (const std::bad_alloc&) {
    // The run catches this itself once under way; this is for its set-up.
    outcome = RunOutcome{RunStatus::Failed, "The run failed: there is not enough memory to begin it", {}};
  }
  if (outcome.status == RunStatus::Finished || outcome.status == RunStatus::Stalled ||
      outcome.status == RunStatus::Cancelled) {
    drawParameters_ = parameters;
    try {
      if (draw) {
        draw();
      } else {
        DrawGrids();
      }
    } catch (const std::bad_alloc&) {
      outcome.status = RunStatus::Failed;
      outcome.message = "The run ended, but there is not enough memory to draw its results";
      return outcome;
    }
    defaultEnabled_ = true;
    startEnabled_ = false;
  }
  return outcome;
}

void Workbench::DrawGrids() {
  // A group for tables only shows no grids.
  if (state_.TablesOnly) return;
  // Before the first commit there are no values of a commit or START to draw
  // with: the texts as they stand are converted now.
  const ParameterSet parameters = drawParameters_ ? *drawParameters_ : ReadRunParameters(panel_, *observer_);
  RunContext ctx = Context(parameters);
  DrawAllocation(ctx);
  DrawWorkTime(ctx);
}

}  // namespace davrel3
