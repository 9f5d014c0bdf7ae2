// Presets, configurations and the experimental design.
#include <gtest/gtest.h>

#include "model/test_support.h"

namespace davrel3 {
namespace {

using testing::Bench;

void ExpectLevels(const TAgent& agent, const std::vector<double>& levels) {
  ASSERT_EQ(agent.Skills.size(), levels.size());
  for (std::size_t j = 0; j < levels.size(); ++j) {
    EXPECT_EQ(agent.Skills[j].Expertise, levels[j]) << j;
    EXPECT_EQ(agent.Skills[j].Motivation, levels[j]) << j;
  }
}

TEST(Presets, FormCreateCommitsTheStartUpParameterSet) {
  Bench b;
  const std::vector<std::pair<Field, const char*>> texts = {
      {Field::NrOfTasks, "1"}, {Field::Cycle, "200"},      {Field::Action, "5"},     {Field::Var, "0"},
      {Field::Dur, "10"},      {Field::NrofAg, "6"},       {Field::NrofSkills, "5"}, {Field::InhPar, "1"},
      {Field::ExcPar, "1"},    {Field::ExpRate, "50"},     {Field::MotRate, "50"},   {Field::LearnInt, "1"},
      {Field::ExpMax, "25"},   {Field::ExpThresh, "10"},   {Field::MotMax, "25"},    {Field::MotThresh, "10"},
      {Field::LearnSpeed, "100"}, {Field::ForgetSpeed, "3"}, {Field::Bore, "100"}, {Field::Rest, "100"},
      {Field::Fair, "0"},      {Field::EntTurnAgent, "100"}};
  for (const auto& [field, text] : texts) EXPECT_EQ(b.panel.Text(field), text) << FieldName(field);
  EXPECT_EQ(b.panel.Position(Field::ExpMax), 25);
  EXPECT_EQ(b.panel.ItemIndex(Choice::FitNoFit), 0);
  EXPECT_EQ(b.panel.ItemIndex(Choice::Newcomer), 1);
  EXPECT_EQ(b.panel.ItemIndex(Choice::HiLo), 0);
  EXPECT_FALSE(b.panel.EntranceEditEnabled());
  EXPECT_TRUE(b.panel.EntrancePanelVisible());
  EXPECT_TRUE(b.bench.StartEnabled());
  EXPECT_FALSE(b.bench.DefaultEnabled());

  const TSystem& s = b.System();
  EXPECT_EQ(s.EntranceTime, 100);
  ASSERT_EQ(s.Agents.size(), 6u);
  ExpectLevels(s.Agents[0], {19, 15, 16, 17, 18});
  ExpectLevels(s.Agents[4], {18, 19, 15, 16, 17});
  ExpectLevels(s.Agents[5], {0, 0, 0, 0, 0});  // not in the five-agent profile
  const TSkill& skill = s.Agents[2].Skills[3];
  EXPECT_EQ(skill.ExpMax, 25);
  EXPECT_DOUBLE_EQ(skill.ExpWeight, 0.5);
  EXPECT_DOUBLE_EQ(skill.LearnSpeed, 1.0);
  EXPECT_DOUBLE_EQ(skill.ForgetSpeed, 0.03);
  EXPECT_DOUBLE_EQ(skill.BoreRate, 1.0);
  EXPECT_DOUBLE_EQ(skill.RestRate, 1.0);
  EXPECT_EQ(b.State().Task.NrOfUnits, 1000);

  const RunHistory& h = b.History();
  EXPECT_EQ(h.HistoryLength, 245);
  EXPECT_EQ(h.Rows, 246);
  EXPECT_EQ(h.Agents, 6);
  EXPECT_EQ(h.ExpertiseHistory.size(), 246u * 6 * 40);
  EXPECT_EQ(h.MotivationHistory.size(), 246u * 6 * 40);
  EXPECT_EQ(h.StepWorkHistory.size(), 246u * 7);
  EXPECT_EQ(h.CoordinationHistory.size(), 246u);
  EXPECT_EQ(h.TaskWorkHistory.size(), 3u);
  EXPECT_EQ(h.TaskWorkHistory[2].size(), 8u);
  EXPECT_EQ(h.InTaskHistory.size(), 1u);
  EXPECT_EQ(h.TotalCycles, 200);
}

TEST(Presets, ConfigurationsSetTheirMaximaAndGroups) {
  Bench b;
  b.bench.AgentVarietyButtonClick();
  EXPECT_EQ(b.panel.Text(Field::ExpMax), "100");
  EXPECT_EQ(b.panel.Text(Field::ExpThresh), "40");
  EXPECT_EQ(b.Skill(0, 0).ExpMax, 100);

  b.bench.DefaultButtonClick();
  EXPECT_EQ(b.panel.Text(Field::ExpMax), "25");
  ASSERT_EQ(b.System().Agents.size(), 5u);
  for (const auto& agent : b.System().Agents) EXPECT_EQ(agent.Skills.size(), 40u);
  EXPECT_EQ(b.State().Task.Actions, 5);
  EXPECT_EQ(b.Skill(4, 39).Expertise, 17);  // 14 + ((5 + 40 - 2) mod 5)
  EXPECT_EQ(b.Skill(4, 39).InitialLevel, 17);
}

TEST(Presets, ParOneTaskDefaultMovesOnlyTheCycleUpDown) {
  Bench b;
  b.bench.ParOneTaskDefault();
  EXPECT_EQ(b.panel.Position(Field::Cycle), 100);
  EXPECT_EQ(b.panel.Text(Field::Cycle), "200");
  EXPECT_EQ(b.panel.Text(Field::Action), "2");
  b.bench.BoredomButtonClick();
  EXPECT_EQ(b.State().Task.Cycles, 200);
  ExpectLevels(b.System().Agents[0], {17, 13});
}

TEST(Define, AcceptsTheFitChoiceAndStartsTheNewcomerAtZero) {
  Bench b;
  b.panel.Write(Field::NrofSkills, 3);
  b.panel.Write(Field::Action, 2);
  b.bench.DefineButtonClick();
  EXPECT_EQ(b.panel.Text(Field::NrofSkills), "5");
  EXPECT_EQ(b.panel.Text(Field::Action), "5");
  ASSERT_EQ(b.System().Agents.size(), 6u);
  ExpectLevels(b.System().Agents[1], {15, 16, 17, 18, 19});
  ExpectLevels(b.System().Agents[5], {0, 0, 0, 0, 0});

  b.panel.SetItemIndex(Choice::FitNoFit, 1);
  b.bench.DefineButtonClick();
  EXPECT_EQ(b.panel.Text(Field::NrofSkills), "6");
  EXPECT_EQ(b.panel.Text(Field::Action), "6");
  ExpectLevels(b.System().Agents[0], {19.5, 14.5, 15.5, 16.5, 17.5, 18.5});
  ExpectLevels(b.System().Agents[5], {0, 0, 0, 0, 0, 0});
  EXPECT_EQ(b.State().Task.NrOfUnits, 1200);
  EXPECT_FALSE(b.bench.DefaultEnabled());

  // After a run in which agent 6 entered, Define gives the same system again.
  auto levels = [&] {
    std::vector<double> out;
    for (const auto& agent : b.System().Agents) {
      out.push_back(agent.Present);
      for (const auto& s : agent.Skills) out.insert(out.end(), {s.Expertise, s.Motivation, s.InitialLevel});
    }
    return out;
  };
  const auto first = levels();
  ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
  EXPECT_NE(levels(), first);
  EXPECT_TRUE(b.bench.DefaultEnabled());
  b.bench.DefineButtonClick();
  EXPECT_EQ(levels(), first);
  EXPECT_TRUE(b.bench.StartEnabled());
  EXPECT_FALSE(b.bench.DefaultEnabled());
}

TEST(Define, NoNewcomerMeansEntranceAt500AndNoPart) {
  Bench b;
  b.panel.SetItemIndex(Choice::Newcomer, 0);
  b.panel.SetText(Field::EntTurnAgent, "7");  // replaced by the commit
  b.bench.DefineButtonClick();
  EXPECT_EQ(b.panel.Text(Field::EntTurnAgent), "500");
  EXPECT_EQ(b.System().EntranceTime, 500);
  ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
  EXPECT_FALSE(b.System().Agents[kNewcomerIndex].Present);
  for (int r = 0; r <= b.History().HistoryLength; ++r) ASSERT_EQ(StepWorkAt(b.History(), r, kNewcomerIndex), 0);
}

}  // namespace
}  // namespace davrel3
