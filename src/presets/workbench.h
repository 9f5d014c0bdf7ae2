// The workbench: the state the main window owns (the work group, the task,
// the history, the skill window, the grids, START and Default) and the
// operations its buttons and configurations perform on it. It reaches the
// parameters only through a ParameterPanel and reports runs through a
// RunObserver, so the window, the headless runner and the tests drive the very
// same code, and independent workbenches can run side by side.
//
// Errors are exceptions: ConversionError for a text that is not a whole
// number, CommitRefused for a commit that does not go through. The window
// shows their message; nothing half-done is committed.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>
#include <string>

#include "model/model_state.h"
#include "model/run.h"

namespace davrel3 {

// A commit that did not go through: OK's two checks or the size guard.
class CommitRefused : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The message of a commit refused because the machine had too little memory
// for it; another time, with more memory free, the same commit may go through.
inline constexpr const char* kNoMemoryForCommit =
    "There is not enough memory to build this parameter set; nothing was changed";

// Limits a commit checks before it allocates anything.
inline constexpr long long kMaxAgentSkills = 100000;      // NrofAg x NrofSkills
inline constexpr long long kMaxTasks = 10000;             // NrOfTasks
inline constexpr long long kMaxTaskCells = 10000000;      // Cycle x NrofSkills, Cycle x Action
inline constexpr long long kMaxActions = kMaxAgentSkills;  // Action: no group has more skills

// The sizes a commit and START allow, checked in 64-bit arithmetic; throws
// CommitRefused naming the fields and the limit. The history of 246 rows must
// fit in `historyBudget` bytes (the workbench's memory budget).
void CheckSizes(long long agents, long long skills, long long cycles, long long actions, long long tasks,
                std::int64_t historyBudget = kHistoryByteLimit);

class Workbench {
 public:
  explicit Workbench(ParameterPanel& panel);
  Workbench(const Workbench&) = delete;
  Workbench& operator=(const Workbench&) = delete;

  ParameterPanel& Panel() { return panel_; }
  const ParameterPanel& Panel() const { return panel_; }
  ModelState& State() { return state_; }
  const ModelState& State() const { return state_; }
  // The observer sees commits and runs; nullptr for none.
  void SetObserver(RunObserver* observer);

  bool StartEnabled() const { return startEnabled_; }
  bool DefaultEnabled() const { return defaultEnabled_; }
  // The name of the skill profile that last wrote the agents' levels
  // ("ProfileNoFit", ...); empty before any profile.
  const std::string& LevelsProfile() const { return levelsProfile_; }

  // --- commit, OK, Cancel, Remove
  // Converts and checks every parameter the commit reads (throws
  // ConversionError or CommitRefused) without changing anything, and returns
  // the converted values.
  ParameterSet CheckCommit() const;
  // The commit: builds the group and the task, lays out the grids, sizes the
  // history and enables START. Checks everything first; the new group, task
  // and history are built aside, so a commit that runs out of memory is
  // refused (CommitRefused) with the previous commit intact.
  void SetSystem();
  // Throws CommitRefused with OK's messages.
  void OKButtonClick();
  void CancelButtonClick();
  void RemoveButtonClick();

  // --- configurations (each ends with a commit)
  void FormCreate();
  void DefaultButtonClick();
  void RotateButtonClick();
  void BoredomButtonClick();
  void VarButtonClick();
  void SpecButtonClick();
  void JobRotMoreIButtonClick();
  void JobRotMoreIIClick();
  void TwoAgentsbuttonClick();
  void ThreeAgentsButtonClick();
  void AgentVarietyButtonClick();
  // The experimental design: accept the fit choice and commit.
  void DefineButtonClick();
  void DefineExperiments();

  // --- run
  // START: converts once what the run and its draw read (ReadRunParameters)
  // and checks it against the commit's size limits; a text that is not a
  // number or breaks a limit refuses the run before anything changes. Then
  // the newcomer leaves the group and the run goes to its end. A run that
  // finishes, stalls or is cancelled disables START and enables Default; a
  // failed one (a fault, too little memory) leaves START enabled. Without an
  // enabled START nothing runs (refused). `draw` replaces the grids-only draw
  // (the chart window passes its Draw); running out of memory while drawing
  // fails the run.
  RunOutcome StartButtonClick(const std::function<void()>& draw = nullptr);
  // The chart window's grids (allocation headings, work-time table), drawn
  // from the history as it stands with the values of the last commit or
  // START, whichever came last.
  void DrawGrids();

  // --- presets: control values only
  void ParTask();
  void ParOneTaskDefault();
  void ParOneTaskTwoActionsDefault();
  void ParOneTaskFiveActionsDefault();
  void ParVarietyTaskDefault();
  void ParVarTaskHigh();
  void ParVarTaskMod();
  void ParVarTaskLow();
  void ParVarTaskNo();
  void ParCycleTaskHigh();
  void ParCycleTaskMod();
  void ParCycleTaskLow();
  void ParCycleTaskLittle();
  void ParCycleTaskNo();
  void ParSystemNotChangeable();
  void ParSystemNotChangeableOld();
  void ParTwoAgentsTwoSkills();
  void ParThreeAgentsTwoSkills();
  void ParThreeAgentsThreeSkills();
  void ParFiveAgentsFiveSkills();
  void ParSixAgentsFiveSkills();
  void ParSixAgentsSixSkills();
  void ParNoLearning();
  void ParLearning();
  void ParNoBoredom();
  void ParBoredom();
  void ShowEntrancePanel();

  // --- skill profiles: levels written straight into the agents
  void ProfileTwoSpecialists();
  void ProfileTwoSpecialistsWide();
  void ProfileVariety();
  void ProfileRotationLow();
  void ProfileRotationHigh();
  void ProfileTwoAgents();
  void ProfileThreeAgents();
  void ProfileAgentVariety();
  void ProfileNoFit();
  void ProfileFit();

 private:
  RunContext Context(const ParameterSet& parameters);
  // Sets the agent array to `agents` agents of `skills` skills each and gives
  // agent a (from 1), skill s (from 1) the level value(a, s).
  template <typename Level>
  void ApplyProfile(const char* name, int agents, int skills, bool setInitialLevel, Level value);

  ParameterPanel& panel_;
  ModelState state_;
  RunObserver silent_;
  RunObserver* observer_ = &silent_;
  bool startEnabled_ = false;
  bool defaultEnabled_ = false;
  std::string levelsProfile_;
  std::optional<ParameterSet> drawParameters_;
};

// The named configurations, by the names the headless runner accepts.
struct Configuration {
  const char* name;
  void (Workbench::*apply)();
};
const std::vector<Configuration>& Configurations();

// The skill profiles, by their own names.
struct SkillProfile {
  const char* name;
  void (Workbench::*apply)();
};
const std::vector<SkillProfile>& SkillProfiles();

}  // namespace davrel3
