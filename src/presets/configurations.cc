// The configurations: each a sequence of presets and a skill profile, then
// a commit; and Define, which sets the experimental condition the radio
// items choose.
#include "workbench.h"

namespace davrel3 {

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
