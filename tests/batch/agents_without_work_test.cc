// The START warning's agents: present agents that no skill of the run's
// tasks admits, and nothing else; and the warning's words.
#include <gtest/gtest.h>

#include "experiment/agents_without_work.h"
#include "experiment/session.h"
#include "experiment/skill_levels.h"

namespace davrel3 {
namespace {

struct Group {
  InMemoryPanel panel;
  Workbench bench{panel};
  explicit Group(const std::vector<std::pair<Field, std::string>>& texts) {
    StartUp(bench);
    for (const auto& [field, text] : texts) panel.SetText(field, text);
    bench.OKButtonClick();
  }
  void Set(int agent, int skill, double expertise) {
    ApplyLevels(bench.State().System, {{agent, skill, expertise, 15, 0}});
  }
};

TEST(AgentsWithoutWork, AgentsAtOrBelowTheThresholdOnEverySkillOfTheTask) {
  Group g({{Field::NrofAg, "10"}});  // agents 7 to 10 start at 0
  EXPECT_EQ(AgentsWithoutWork(g.bench), (std::vector<int>{7, 8, 9, 10}));
  g.Set(8, 5, 10.5);  // above ExpThresh 10 on one skill of the task: it can work
  g.Set(9, 2, 10);    // at the threshold: it cannot
  g.Set(2, 1, 3);     // one low skill of five does not stop agent 2
  EXPECT_EQ(AgentsWithoutWork(g.bench), (std::vector<int>{7, 9, 10}));
  for (int s = 1; s <= 5; ++s) g.Set(3, s, 10);
  EXPECT_EQ(AgentsWithoutWork(g.bench), (std::vector<int>{3, 7, 9, 10}));
}

TEST(AgentsWithoutWork, TheNewcomerAndAbsentAgentsAreNotNamed) {
  Group g({});
  // Agent 6 holds 0 everywhere until its entrance, which START waits for.
  EXPECT_TRUE(AgentsWithoutWork(g.bench).empty());
  Group three({{Field::NrofAg, "3"}});
  for (int s = 1; s <= 5; ++s) three.Set(3, s, 0);
  three.bench.State().System.Agents[2].Present = false;
  EXPECT_TRUE(AgentsWithoutWork(three.bench).empty());
}

TEST(AgentsWithoutWork, TheSkillsOfEveryTaskCount) {
  // 8 skills, tasks of 2 actions moving on by 2: four tasks use skills 1-8,
  // one task only skills 1 and 2.
  Group g({{Field::NrofAg, "5"}, {Field::NrofSkills, "8"}, {Field::Action, "2"}, {Field::Var, "2"},
           {Field::NrOfTasks, "4"}});
  LevelTable levels = MakeLevelTable(5, 8);
  SetLevelAt(levels, LevelKind::Expertise, 1, 7, 20);  // agent 1: only skill 7 above 10
  SetLevelAt(levels, LevelKind::Expertise, 2, 1, 20);  // agent 2: only skill 1
  for (int a = 3; a <= 5; ++a) SetLevelAt(levels, LevelKind::Expertise, a, 2, 20);
  ApplyLevels(g.bench.State().System, LevelEntries(levels));
  EXPECT_TRUE(AgentsWithoutWork(g.bench).empty());
  g.panel.SetText(Field::NrOfTasks, "1");  // the run reads the count at START
  EXPECT_EQ(AgentsWithoutWork(g.bench), (std::vector<int>{1}));
  g.panel.SetText(Field::NrOfTasks, "3");  // skills 1 to 6
  EXPECT_EQ(AgentsWithoutWork(g.bench), (std::vector<int>{1}));
  g.panel.SetText(Field::NrOfTasks, "x");  // the run stops on the text itself
  EXPECT_TRUE(AgentsWithoutWork(g.bench).empty());
  g.panel.SetText(Field::NrOfTasks, "0");  // nothing to perform
  EXPECT_TRUE(AgentsWithoutWork(g.bench).empty());
}

TEST(AgentsWithoutWork, ComputingItLeavesTheRunAsItIs) {
  Group warned({{Field::NrofAg, "9"}}), plain({{Field::NrofAg, "9"}});
  ASSERT_EQ(AgentsWithoutWork(warned.bench), (std::vector<int>{7, 8, 9}));
  const RunOutcome a = warned.bench.StartButtonClick();
  const RunOutcome b = plain.bench.StartButtonClick();
  EXPECT_EQ(a.timesteps, b.timesteps);
  EXPECT_TRUE(HeldLevels(warned.bench.State().System) == HeldLevels(plain.bench.State().System));
  for (int i = 6; i < 9; ++i) EXPECT_EQ(warned.bench.State().System.Agents[i].RunWorkTime, 0) << i + 1;
}

TEST(AgentsWithoutWork, WarningWords) {
  EXPECT_EQ(AgentNumberList({}), "");
  EXPECT_EQ(AgentNumberList({4}), "4");
  EXPECT_EQ(AgentNumberList({10, 7, 8, 9, 2, 5, 5}), "2, 5, 7-10");
  EXPECT_EQ(AgentNumberList({3, 4, 9}), "3, 4, 9");
  EXPECT_EQ(AgentsWithoutWorkWarning({}), "");
  EXPECT_EQ(AgentsWithoutWorkWarning({7}),
            "Agent 7 has expertise at or below the expertise threshold on every skill of the task and will take no "
            "unit");
  EXPECT_EQ(AgentsWithoutWorkWarning({7, 8, 9}),
            "Agents 7-9 have expertise at or below the expertise threshold on every skill of the task and will take "
            "no unit");
}

}  // namespace
}  // namespace davrel3
