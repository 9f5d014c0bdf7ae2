// OK, Cancel, Remove and the checks every commit makes before it changes
// anything.
#include <gtest/gtest.h>

#include "model/test_support.h"

namespace davrel3 {
namespace {

using testing::Bench;

std::string Refusal(Workbench& bench, void (Workbench::*action)()) {
  try {
    (bench.*action)();
  } catch (const CommitRefused& refused) {
    return refused.what();
  }
  return "(committed)";
}

TEST(Ok, RefusesTaskSettingsThatDoNotFitTheGroup) {
  Bench b;
  ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
  ASSERT_FALSE(b.bench.StartEnabled());
  const int agents = b.System().NrOfAgents;

  b.panel.Write(Field::Var, 1);  // 1 + 5 > 5
  EXPECT_EQ(Refusal(b.bench, &Workbench::OKButtonClick),
            "The system does not have enough skills to perform the task");
  b.panel.Write(Field::Action, 2);
  b.panel.Write(Field::Var, 3);
  b.panel.Write(Field::NrofSkills, 1);
  b.panel.Write(Field::NrofAg, 2);
  EXPECT_EQ(Refusal(b.bench, &Workbench::OKButtonClick), "Task variation exceeds number of actions");
  EXPECT_FALSE(b.bench.StartEnabled());  // a refusal changes nothing
  EXPECT_EQ(b.System().NrOfAgents, agents);
  EXPECT_EQ(b.State().Task.Actions, 5);

  b.panel.Write(Field::Var, 2);  // Var = Action and Var + Action = NrofSkills pass
  b.panel.Write(Field::NrofSkills, 4);
  EXPECT_EQ(Refusal(b.bench, &Workbench::OKButtonClick), "(committed)");
  EXPECT_TRUE(b.bench.StartEnabled());
  EXPECT_EQ(b.System().NrOfAgents, 2);
}

TEST(Cancel, WritesTheCommittedValuesBackIntoTheEdits) {
  Bench b;
  const std::vector<std::pair<Field, const char*>> restored = {
      {Field::Dur, "10"},      {Field::Cycle, "200"},    {Field::Action, "5"},      {Field::NrofAg, "6"},
      {Field::NrofSkills, "5"}, {Field::ExpRate, "50"},  {Field::InhPar, "1"},      {Field::ExcPar, "1"},
      {Field::ExpMax, "25"},   {Field::ExpThresh, "10"}, {Field::LearnSpeed, "100"}, {Field::ForgetSpeed, "3"},
      {Field::MotMax, "25"},   {Field::MotThresh, "10"}, {Field::Bore, "100"},      {Field::Rest, "100"}};
  for (const auto& [field, text] : restored) b.panel.SetText(field, "7");
  b.panel.SetPosition(Field::LearnSpeed, 7);
  b.panel.SetText(Field::NrOfTasks, "3");
  b.panel.SetText(Field::Var, "x");
  b.bench.CancelButtonClick();
  for (const auto& [field, text] : restored) EXPECT_EQ(b.panel.Text(field), text) << FieldName(field);
  EXPECT_EQ(b.panel.Position(Field::LearnSpeed), 7);  // up-downs are left alone
  EXPECT_EQ(b.panel.Text(Field::NrOfTasks), "3");
  EXPECT_EQ(b.panel.Text(Field::Var), "x");
  EXPECT_TRUE(b.bench.StartEnabled());
}

TEST(Remove, TakesAgentSixOutAndNothingElse) {
  Bench b;
  b.bench.RemoveButtonClick();
  EXPECT_FALSE(b.System().Agents[kNewcomerIndex].Present);
  EXPECT_FALSE(b.System().Agents[kNewcomerIndex].Available);
  EXPECT_TRUE(b.System().Agents[4].Present);
  EXPECT_TRUE(b.bench.StartEnabled());
}

TEST(Commit, BadTextLeavesEverythingAsItWas) {
  Bench b;
  ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
  const double work = StepWorkAt(b.History(), 1, 0);
  const double level = b.Skill(0, 0).Expertise;
  ASSERT_GT(work, 0);
  b.panel.Write(Field::NrofAg, 3);
  b.panel.Write(Field::Cycle, 7);
  b.panel.SetText(Field::Dur, "1O");
  try {
    b.bench.OKButtonClick();
    ADD_FAILURE() << "committed";
  } catch (const ConversionError& error) {
    EXPECT_EQ(std::string(error.what()), "'1O' is not a valid integer value");
  }
  EXPECT_EQ(b.System().NrOfAgents, 6);
  EXPECT_EQ(b.System().Agents.size(), 6u);
  EXPECT_EQ(b.State().Task.Cycles, 200);
  EXPECT_EQ(b.History().Agents, 6);
  EXPECT_EQ(StepWorkAt(b.History(), 1, 0), work);
  EXPECT_EQ(b.Skill(0, 0).Expertise, level);
  EXPECT_FALSE(b.bench.StartEnabled());

  // Define writes its own two texts, then refuses before its profile.
  b.Skill(0, 0).Expertise = 3;
  b.panel.SetItemIndex(Choice::FitNoFit, 1);
  EXPECT_THROW(b.bench.DefineButtonClick(), ConversionError);
  EXPECT_EQ(b.panel.Text(Field::NrofSkills), "6");
  EXPECT_EQ(b.panel.Text(Field::Action), "6");
  EXPECT_EQ(b.Skill(0, 0).Expertise, 3);
  EXPECT_EQ(b.System().Agents[0].Skills.size(), 5u);
  b.panel.SetText(Field::Var, "x");  // Default rewrites Dur, not the task texts
  EXPECT_THROW(b.bench.DefaultButtonClick(), ConversionError);
  EXPECT_EQ(b.System().Agents.size(), 6u);
  EXPECT_EQ(b.System().Agents[0].Skills.size(), 5u);
  EXPECT_FALSE(b.bench.StartEnabled());
}

TEST(Commit, SizeGuardRefusesNamingTheParameter) {
  struct Case {
    std::vector<std::pair<Field, int>> values;
    const char* named;
  };
  const std::vector<Case> cases = {
      {{{Field::NrofAg, 0}}, "(NrofAg)"},
      {{{Field::NrofSkills, 0}}, "(NrofSkills)"},
      {{{Field::Cycle, -1}}, "(Cycle)"},
      {{{Field::Action, -1}}, "(Action)"},
      {{{Field::NrOfTasks, -1}}, "(NrOfTasks)"},
      {{{Field::NrofAg, 1001}, {Field::NrofSkills, 100}}, "NrofAg x NrofSkills"},
      {{{Field::NrOfTasks, 10001}}, "(NrOfTasks)"},
      {{{Field::Cycle, 2000001}}, "Cycle x NrofSkills"},
      // 246 rows x 6821 agents x 40 slots x 2 arrays x 8 bytes passes 1 GiB.
      {{{Field::NrofAg, 6821}, {Field::NrofSkills, 1}}, "(NrofAg)"},
      // 10000 x 2685 window records of 40 flags pass 1 GiB.
      {{{Field::NrOfTasks, 10000}, {Field::NrofAg, 2685}, {Field::NrofSkills, 1}}, "NrOfTasks x NrofAg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.named);
    Bench b;
    for (const auto& [field, value] : c.values) b.panel.Write(field, value);
    const std::string message = Refusal(b.bench, &Workbench::SetSystem);
    EXPECT_NE(message.find(c.named), std::string::npos) << message;
    EXPECT_EQ(b.System().NrOfAgents, 6);
    EXPECT_EQ(b.State().Task.Cycles, 200);
    EXPECT_EQ(b.History().Agents, 6);
  }
  // The limits themselves pass the checks.
  Bench b;
  for (const auto& values : std::vector<std::vector<std::pair<Field, int>>>{
           {{Field::NrofAg, 6820}, {Field::NrofSkills, 5}},
           {{Field::NrOfTasks, 10000}, {Field::NrofAg, 2684}, {Field::NrofSkills, 1}},
           {{Field::NrOfTasks, 10000}, {Field::NrofAg, 6}},
           {{Field::Cycle, 2000000}, {Field::NrOfTasks, 1}},
           {{Field::NrofAg, 1}, {Field::NrofSkills, 1}, {Field::Cycle, 0}, {Field::Action, 0}, {Field::NrOfTasks, 0}}}) {
    for (const auto& [field, value] : values) b.panel.Write(field, value);
    EXPECT_NO_THROW(b.bench.CheckCommit());
  }
}

}  // namespace
}  // namespace davrel3
