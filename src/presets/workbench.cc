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

const char* const kNoMemoryForCommit =
    "There is not enough memory to build this parameter set; nothing was changed";

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
  if (!task.Units.empty() && !task.Units[0].empty()) panel_.SetText(Field::Dur, IntToStr(task.Units[0][0].Duration));
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

// ---------------------------------------------------------------- presets

void Workbench::ParTask() { panel_.Write(Field::Action, 5); }

void Workbench::ParOneTaskDefault() {
  panel_.Write(Field::NrOfTasks, 1);
  panel_.SetPosition(Field::Cycle, 100);  // the up-down only: the Cycle text stays
  panel_.Write(Field::Action, 2);
  panel_.Write(Field::Var, 0);
}

void Workbench::ParOneTaskTwoActionsDefault() {
  panel_.Write(Field::NrOfTasks, 1);
  panel_.Write(Field::Cycle, 200);
  panel_.Write(Field::Action, 2);
  panel_.Write(Field::Var, 0);
}

void Workbench::ParOneTaskFiveActionsDefault() {
  panel_.Write(Field::NrOfTasks, 1);
  panel_.Write(Field::Cycle, 200);
  panel_.Write(Field::Action, 5);
  panel_.Write(Field::Var, 0);
}

void Workbench::ParVarietyTaskDefault() {
  panel_.Write(Field::NrOfTasks, 10);
  panel_.Write(Field::Cycle, 5);
  panel_.Write(Field::Action, 4);
  panel_.Write(Field::Var, 2);
}

void Workbench::ParVarTaskHigh() { panel_.Write(Field::Var, 5); }
void Workbench::ParVarTaskMod() { panel_.Write(Field::Var, 3); }
void Workbench::ParVarTaskLow() { panel_.Write(Field::Var, 1); }
void Workbench::ParVarTaskNo() { panel_.Write(Field::Var, 0); }

void Workbench::ParCycleTaskHigh() {
  panel_.Write(Field::NrOfTasks, 8);
  panel_.Write(Field::Cycle, 25);
}
void Workbench::ParCycleTaskMod() {
  panel_.Write(Field::NrOfTasks, 6);
  panel_.Write(Field::Cycle, 33);
}
void Workbench::ParCycleTaskLow() {
  panel_.Write(Field::NrOfTasks, 4);
  panel_.Write(Field::Cycle, 50);
}
void Workbench::ParCycleTaskLittle() {
  panel_.Write(Field::NrOfTasks, 2);
  panel_.Write(Field::Cycle, 100);
}
void Workbench::ParCycleTaskNo() {
  panel_.Write(Field::NrOfTasks, 1);
  panel_.Write(Field::Cycle, 200);
}

void Workbench::ParSystemNotChangeable() {
  panel_.Write(Field::InhPar, 1);
  panel_.Write(Field::ExcPar, 1);
  panel_.Write(Field::ExpRate, 50);
  panel_.SetText(Field::MotRate, "50");  // a display without an up-down
  panel_.Write(Field::ExpMax, 100);
  panel_.Write(Field::ExpThresh, 40);
  panel_.Write(Field::MotMax, 100);
  panel_.Write(Field::MotThresh, 40);
  panel_.Write(Field::Dur, 10);
  panel_.SetText(Field::LearnInt, "1");  // its up-down keeps its position
}

void Workbench::ParSystemNotChangeableOld() {
  panel_.Write(Field::ExpMax, 25);
  panel_.Write(Field::ExpThresh, 10);
  panel_.Write(Field::MotMax, 25);
  panel_.Write(Field::MotThresh, 10);
}

namespace {
void WriteGroup(ParameterPanel& panel, int agents, int skills) {
  panel.Write(Field::NrofAg, agents);
  panel.Write(Field::NrofSkills, skills);
}
}  // namespace

void Workbench::ParTwoAgentsTwoSkills() { WriteGroup(panel_, 2, 2); }
void Workbench::ParThreeAgentsTwoSkills() { WriteGroup(panel_, 3, 2); }
void Workbench::ParThreeAgentsThreeSkills() { WriteGroup(panel_, 3, 3); }
void Workbench::ParFiveAgentsFiveSkills() { WriteGroup(panel_, 5, 5); }
void Workbench::ParSixAgentsFiveSkills() { WriteGroup(panel_, 6, 5); }
void Workbench::ParSixAgentsSixSkills() { WriteGroup(panel_, 6, 6); }

void Workbench::ParNoLearning() {
  panel_.Write(Field::LearnSpeed, 0);
  panel_.Write(Field::ForgetSpeed, 0);
}
void Workbench::ParLearning() {
  panel_.Write(Field::LearnSpeed, 100);
  panel_.Write(Field::ForgetSpeed, 3);
}
void Workbench::ParNoBoredom() {
  panel_.Write(Field::Bore, 0);
  panel_.Write(Field::Rest, 0);
}
void Workbench::ParBoredom() {
  panel_.Write(Field::Bore, 100);
  panel_.Write(Field::Rest, 100);
}

void Workbench::ShowEntrancePanel() {
  panel_.SetEntrancePanelVisible(true);
  panel_.SetText(Field::EntTurnAgent, "100");
}

// ---------------------------------------------------------------- profiles

template <typename Level>
void Workbench::ApplyProfile(const char* name, int agents, int skills, bool setInitialLevel, Level value) {
  levelsProfile_ = name;
  auto& list = state_.System.Agents;
  list.resize(static_cast<std::size_t>(agents));
  for (int a = 1; a <= agents; ++a) {
    TAgent& agent = list[a - 1];
    agent.Skills.resize(static_cast<std::size_t>(skills));
    for (int s = 1; s <= skills; ++s) {
      TSkill& skill = agent.Skills[s - 1];
      const double level = value(a, s);
      skill.Expertise = level;
      skill.Motivation = level;
      if (setInitialLevel) skill.InitialLevel = level;
    }
  }
}

void Workbench::ProfileTwoSpecialists() {
  ApplyProfile("ProfileTwoSpecialists", 2, 2, false, [](int a, int s) { return a == s ? 16.0 : 14.0; });
}

void Workbench::ProfileTwoSpecialistsWide() {
  ApplyProfile("ProfileTwoSpecialistsWide", 2, 2, false, [](int a, int s) { return a == s ? 17.0 : 13.0; });
}

void Workbench::ProfileVariety() {
  static constexpr double kBlock[2][8] = {{18, 15, 14, 11, 12, 13, 16, 17}, {17, 16, 13, 12, 11, 14, 15, 18}};
  ApplyProfile("ProfileVariety", 2, 40, false, [](int a, int s) { return kBlock[a - 1][(s - 1) % 8]; });
}

void Workbench::ProfileRotationLow() {
  ApplyProfile("ProfileRotationLow", 5, 5, false, [](int a, int s) { return 11.0 + (a + s - 2) % 5; });
}

void Workbench::ProfileRotationHigh() {
  ApplyProfile("ProfileRotationHigh", 5, 5, false, [](int a, int s) { return 13.0 + (a + s - 2) % 5; });
}

void Workbench::ProfileTwoAgents() {
  ApplyProfile("ProfileTwoAgents", 2, 5, false, [](int a, int s) { return 9.0 + a + s; });
}

void Workbench::ProfileThreeAgents() {
  ApplyProfile("ProfileThreeAgents", 3, 5, false, [](int a, int s) { return 9.0 + a + s; });
}

void Workbench::ProfileAgentVariety() {
  ApplyProfile("ProfileAgentVariety", 5, 40, true, [](int a, int s) { return 14.0 + (a + s - 2) % 5; });
}

void Workbench::ProfileNoFit() {
  ApplyProfile("ProfileNoFit", 5, 5, true, [](int a, int s) { return 15.0 + (a + s + 2) % 5; });
}

void Workbench::ProfileFit() {
  ApplyProfile("ProfileFit", 5, 6, true, [](int a, int s) { return 14.5 + (a + s + 3) % 6; });
}

// ---------------------------------------------------------------- configurations
//
// Each checks the whole parameter set before it applies its skill profile, so
// a text that is not a number refuses it with the agents as they were.

void Workbench::FormCreate() {
  ParTask();
  ParCycleTaskNo();
  ParVarTaskNo();
  ParSystemNotChangeable();
  ParSystemNotChangeableOld();
  ParBoredom();
  ParLearning();
  ParSixAgentsFiveSkills();
  panel_.Write(Field::NrofSkills, 5);
  ShowEntrancePanel();
  CheckCommit();
  ProfileNoFit();
  defaultEnabled_ = false;
  SetSystem();
}

void Workbench::DefaultButtonClick() {
  ParSystemNotChangeable();
  ParSystemNotChangeableOld();
  ParBoredom();
  ParLearning();
  ParFiveAgentsFiveSkills();
  panel_.Write(Field::NrofSkills, 40);
  CheckCommit();
  ProfileAgentVariety();
  SetSystem();
}

void Workbench::RotateButtonClick() {
  ParOneTaskDefault();
  panel_.Write(Field::Cycle, 500);
  ParSystemNotChangeable();
  ParSystemNotChangeableOld();
  ParTwoAgentsTwoSkills();
  panel_.Write(Field::LearnSpeed, 10);
  panel_.Write(Field::ForgetSpeed, 5);
  ParBoredom();
  CheckCommit();
  ProfileTwoSpecialists();
  SetSystem();
}

void Workbench::BoredomButtonClick() {
  ParOneTaskDefault();
  ParSystemNotChangeable();
  ParSystemNotChangeableOld();
  ParTwoAgentsTwoSkills();
  ParNoLearning();
  ParBoredom();
  CheckCommit();
  ProfileTwoSpecialistsWide();
  SetSystem();
}

void Workbench::VarButtonClick() {
  ParVarietyTaskDefault();
  ParSystemNotChangeable();
  ParSystemNotChangeableOld();
  ParNoBoredom();
  panel_.Write(Field::NrofAg, 2);
  panel_.Write(Field::NrofSkills, 40);
  panel_.Write(Field::LearnSpeed, 100);
  panel_.Write(Field::ForgetSpeed, 5);
  CheckCommit();
  ProfileVariety();
  SetSystem();
}

void Workbench::SpecButtonClick() {
  ParOneTaskDefault();
  ParSystemNotChangeable();
  ParSystemNotChangeableOld();
  ParTwoAgentsTwoSkills();
  ParLearning();
  ParNoBoredom();
  CheckCommit();
  ProfileTwoSpecialists();
  SetSystem();
}

void Workbench::JobRotMoreIButtonClick() {
  ParOneTaskFiveActionsDefault();
  ParSystemNotChangeable();
  ParSystemNotChangeableOld();
  ParFiveAgentsFiveSkills();
  ParLearning();
  ParBoredom();
  CheckCommit();
  ProfileRotationLow();
  SetSystem();
}

void Workbench::JobRotMoreIIClick() {
  ParOneTaskFiveActionsDefault();
  ParSystemNotChangeable();
  ParSystemNotChangeableOld();
  panel_.Write(Field::Cycle, 5);
  ParFiveAgentsFiveSkills();
  ParNoLearning();
  ParNoBoredom();
  CheckCommit();
  ProfileRotationHigh();
  SetSystem();
}

void Workbench::TwoAgentsbuttonClick() {
  ParOneTaskTwoActionsDefault();
  panel_.Write(Field::Cycle, 5);
  ParSystemNotChangeable();
  ParSystemNotChangeableOld();
  ParTwoAgentsTwoSkills();
  ParNoLearning();
  ParNoBoredom();
  CheckCommit();
  ProfileTwoAgents();
  SetSystem();
}

void Workbench::ThreeAgentsButtonClick() {
  ParOneTaskTwoActionsDefault();
  panel_.Write(Field::Cycle, 5);
  ParSystemNotChangeable();
  ParSystemNotChangeableOld();
  ParThreeAgentsTwoSkills();
  ParNoLearning();
  ParNoBoredom();
  CheckCommit();
  ProfileThreeAgents();
  SetSystem();
}

void Workbench::AgentVarietyButtonClick() {
  ParOneTaskFiveActionsDefault();
  ParSystemNotChangeable();
  ParNoBoredom();
  ParLearning();
  ParFiveAgentsFiveSkills();
  ShowEntrancePanel();
  CheckCommit();
  ProfileAgentVariety();
  SetSystem();
}

void Workbench::DefineButtonClick() { DefineExperiments(); }

void Workbench::DefineExperiments() {
  const int fit = panel_.ItemIndex(Choice::FitNoFit);
  if (fit == 0) {
    panel_.Write(Field::NrofSkills, 5);
    panel_.Write(Field::Action, 5);
    ShowEntrancePanel();
    CheckCommit();
    ProfileNoFit();
  } else if (fit == 1) {
    panel_.Write(Field::NrofSkills, 6);
    panel_.Write(Field::Action, 6);
    ShowEntrancePanel();
    CheckCommit();
    ProfileFit();
  }
  defaultEnabled_ = false;
  SetSystem();
}

const std::vector<Configuration>& Configurations() {
  static const std::vector<Configuration> kList = {
      {"startup", &Workbench::FormCreate},
      {"default", &Workbench::DefaultButtonClick},
      {"rotate", &Workbench::RotateButtonClick},
      {"boredom", &Workbench::BoredomButtonClick},
      {"variety", &Workbench::VarButtonClick},
      {"spec", &Workbench::SpecButtonClick},
      {"jobrot1", &Workbench::JobRotMoreIButtonClick},
      {"jobrot2", &Workbench::JobRotMoreIIClick},
      {"twoagents", &Workbench::TwoAgentsbuttonClick},
      {"threeagents", &Workbench::ThreeAgentsButtonClick},
      {"agentvariety", &Workbench::AgentVarietyButtonClick},
  };
  return kList;
}

const std::vector<SkillProfile>& SkillProfiles() {
  static const std::vector<SkillProfile> kList = {
      {"ProfileTwoSpecialists", &Workbench::ProfileTwoSpecialists},
      {"ProfileTwoSpecialistsWide", &Workbench::ProfileTwoSpecialistsWide},
      {"ProfileVariety", &Workbench::ProfileVariety},
      {"ProfileRotationLow", &Workbench::ProfileRotationLow},
      {"ProfileRotationHigh", &Workbench::ProfileRotationHigh},
      {"ProfileTwoAgents", &Workbench::ProfileTwoAgents},
      {"ProfileThreeAgents", &Workbench::ProfileThreeAgents},
      {"ProfileAgentVariety", &Workbench::ProfileAgentVariety},
      {"ProfileNoFit", &Workbench::ProfileNoFit},
      {"ProfileFit", &Workbench::ProfileFit},
  };
  return kList;
}

}  // namespace davrel3
