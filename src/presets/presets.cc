// The parameter presets (texts and up-down positions each writes) and the
// skill profiles (the levels each gives the agents).
#include "workbench.h"

namespace davrel3 {

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

}  // namespace davrel3
