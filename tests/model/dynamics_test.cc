// Learning, forgetting, boredom and rest, and one dynamics step.
#include <gtest/gtest.h>

#include <cmath>

#include "test_support.h"

namespace davrel3 {
namespace {

using testing::Bench;

TSkill SkillAt(double expertise, double motivation) {
  TSkill s;
  s.ExpMax = 100;
  s.MotMax = 100;
  s.Expertise = expertise;
  s.Motivation = motivation;
  return s;
}

TEST(Dynamics, LearnGainShrinksTowardsTheMaximumAndIsClamped) {
  TSkill s = SkillAt(40, 0);
  s.LearnSpeed = 1.0;
  Learn(s);
  EXPECT_DOUBLE_EQ(s.Expertise, 40.6);  // 40 + 60/100 x 1.0
  s.Expertise = 100;
  Learn(s);
  EXPECT_EQ(s.Expertise, 100);
  s.Expertise = 120;  // 120 - 20/100 = 119.8, above the maximum
  Learn(s);
  EXPECT_EQ(s.Expertise, 100);
}

TEST(Dynamics, ForgetLossGrowsWithDistanceBelowTheMaximumAndStopsAtZero) {
  TSkill s = SkillAt(40, 0);
  s.ForgetSpeed = 0.03;
  Forget(s);
  EXPECT_DOUBLE_EQ(s.Expertise, 39.97 * 100 / 99.97);
  EXPECT_NEAR(s.Expertise, 39.98199, 1e-5);
  s.Expertise = 100;
  Forget(s);
  EXPECT_DOUBLE_EQ(s.Expertise, 100);
  s.Expertise = 0.01;
  Forget(s);
  EXPECT_EQ(s.Expertise, 0);
}

// Forgetting skips its division when the result is clamped to 0 anyway; the
// result must be the rule's to the last bit, -0 and extreme values included.
TEST(Dynamics, ForgetGivesTheRulesValueBitForBitAlsoWhereItNeedsNoDivision) {
  const double expertises[] = {0.0, -0.0, 1e-300, 0.004, 0.01, 0.3, 14.0, 25.0, 1e150, -3.0, 5e-324};
  const double speeds[] = {0.0, 0.01, 0.3, 1.0, 5.0, -0.5, 1e-300, 1e120};
  const int maxima[] = {1, 25, 100000, -25, 2147483647};
  int compared = 0;
  for (double e : expertises) {
    for (double f : speeds) {
      for (int max : maxima) {
        TSkill s = SkillAt(e, 0);
        s.ExpMax = max;
        s.ForgetSpeed = f;
        const double range = max - f;
        if (range == 0) continue;
        double expected = (e - f) * max / range;
        if (expected < 0) expected = 0;
        if (!std::isfinite(expected)) {
          EXPECT_THROW(Forget(s), RunFault);
          continue;
        }
        Forget(s);
        EXPECT_EQ(std::signbit(s.Expertise), std::signbit(expected)) << e << " " << f << " " << max;
        EXPECT_EQ(s.Expertise, expected) << e << " " << f << " " << max;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 300);
}

TEST(Dynamics, BoredomWhileChosenAndRestCreditAboveOne) {
  TSkill s = SkillAt(0, 60);
  s.BoreRate = 1.0;
  s.Chosen = true;
  UpdateMotivation(s);
  EXPECT_DOUBLE_EQ(s.Motivation, 59.0 * 100 / 99);
  EXPECT_EQ(s.RestCredit, 1);

  s.Motivation = 100;  // at the maximum nothing is lost
  UpdateMotivation(s);
  EXPECT_DOUBLE_EQ(s.Motivation, 100);
  EXPECT_EQ(s.RestCredit, 2);

  // The credit is judged on the motivation before boredom: 1.5 earns one
  // although it falls to 0.5 x 100/99 below 1.0; exactly 1.0 earns none.
  TSkill low = SkillAt(0, 1.5);
  low.BoreRate = 1.0;
  low.Chosen = true;
  UpdateMotivation(low);
  EXPECT_EQ(low.RestCredit, 1);
  EXPECT_DOUBLE_EQ(low.Motivation, 0.5 * 100 / 99);
  low.Motivation = 1.0;
  low.RestCredit = 0;
  UpdateMotivation(low);
  EXPECT_EQ(low.RestCredit, 0);
  EXPECT_EQ(low.Motivation, 0);
  low.Motivation = 0.5;  // would go negative
  UpdateMotivation(low);
  EXPECT_EQ(low.Motivation, 0);
}

TEST(Dynamics, RestSpendsOneCreditPerIdleTimestep) {
  TSkill s = SkillAt(0, 59.6);
  s.RestRate = 1.0;
  s.RestCredit = 2;
  UpdateMotivation(s);
  EXPECT_NEAR(s.Motivation, 60.004, 1e-12);  // 59.6 + 40.4/100
  EXPECT_EQ(s.RestCredit, 1);
  UpdateMotivation(s);
  EXPECT_EQ(s.RestCredit, 0);
  const double rested = s.Motivation;
  UpdateMotivation(s);  // no credit left: unchanged
  EXPECT_EQ(s.Motivation, rested);
  EXPECT_EQ(s.RestCredit, 0);
}

// Maxima 100, thresholds 40, ExpWeight 0.5, Dur 10, levels left where the
// test puts them.
struct StepBench : Bench {
  StepBench() {
    panel.Write(Field::ExpMax, 100);
    panel.Write(Field::ExpThresh, 40);
    panel.Write(Field::MotMax, 100);
    panel.Write(Field::MotThresh, 40);
    CommitConstant(3, 3, 4, 2);
    RunContext ctx = Context();
    StartTask(ctx, 0);
  }
};

TEST(Dynamics, PerformSkillTakesTheNextUnitAndCostsDurOverEfficiency) {
  StepBench b;
  b.SetLevels([](int i, int) { return i == 0 ? std::pair{40.0, 60.0} : std::pair{100.0, 100.0}; });
  RunContext ctx = b.Context();
  PerformSkill(ctx, 0, 0, 11, 0, 12);
  // a = 0.5 x 60/100 = 0.3, b = 40/100 x 0.5 = 0.2, time = 10 / 0.5.
  EXPECT_DOUBLE_EQ(b.Skill(0, 0).TimeNeeded, 20);
  EXPECT_DOUBLE_EQ(b.System().Agents[0].StepWorkTime, 20);
  EXPECT_TRUE(TaskUnit(b.State().Task, 0, 0).Performed);
  EXPECT_EQ(b.State().Task.PerformedCount, 1);
  EXPECT_TRUE(b.Skill(0, 0).PerformedAt[11]);
  EXPECT_EQ(b.State().TaskGrid.Cell(1, 1), "12/1");
  EXPECT_EQ(b.State().AllocationGrid.Cell(1, 1), "12/1");
  EXPECT_EQ(ExpertiseAt(b.History(), 12, 0, 0), 40);
  EXPECT_EQ(MotivationAt(b.History(), 12, 0, 0), 60);
  EXPECT_TRUE(b.System().Agents[0].Available);

  // A second agent on the same skill takes the following unit.
  PerformSkill(ctx, 1, 0, 11, 0, 12);
  EXPECT_TRUE(TaskUnit(b.State().Task, 1, 0).Performed);
  EXPECT_EQ(b.State().AllocationGrid.Cell(2, 1), "12/2");
  EXPECT_DOUBLE_EQ(b.Skill(1, 0).TimeNeeded, 10);  // a + b = 0.5 + 0.5

  // A used-up column changes nothing.
  for (int c = 0; c < b.State().Task.Cycles; ++c) TaskUnit(b.State().Task, c, 1).Performed = true;
  PerformSkill(ctx, 2, 1, 11, 0, 12);
  EXPECT_EQ(b.State().Task.PerformedCount, 2);
  EXPECT_EQ(b.System().Agents[2].StepWorkTime, 0);
  EXPECT_EQ(ExpertiseAt(b.History(), 12, 2, 1), 0);
}

TEST(Dynamics, UpdateAgentsRecordsMaximumAndSkipsAbsentAgentsAndOutsideSkills) {
  StepBench b;
  b.SetLevels([](int i, int) { return i == 0 ? std::pair{40.0, 60.0} : std::pair{100.0, 100.0}; });
  for (auto& agent : b.System().Agents) {
    for (auto& s : agent.Skills) s.ForgetSpeed = 0.03;
  }
  b.Skill(0, 0).Chosen = true;  // 20 time units
  b.Skill(1, 1).Chosen = true;  // 10 time units
  b.System().Agents[2].Present = false;
  b.Skill(2, 0).Expertise = 50;
  RunContext ctx = b.Context();
  UpdateAgents(ctx, 0, 0, 1);
  const auto& h = b.History();
  EXPECT_DOUBLE_EQ(StepWorkAt(h, 1, 0), 20);
  EXPECT_DOUBLE_EQ(StepWorkAt(h, 1, 1), 10);
  EXPECT_EQ(StepWorkAt(h, 1, 2), 0);
  EXPECT_DOUBLE_EQ(StepWorkAt(h, 1, 3), 20);  // the busiest agent, not the sum
  EXPECT_DOUBLE_EQ(h.TaskWorkHistory[0][0], 20);
  EXPECT_DOUBLE_EQ(h.TaskWorkHistory[2][0], 20);  // RunWorkTime in row NrOfTasks + 1
  EXPECT_EQ(b.Skill(2, 0).Expertise, 50);         // absent: not updated at all
  // Skill 2 lies outside the window [0, 2): it forgets, but is not recorded.
  EXPECT_DOUBLE_EQ(b.Skill(0, 2).Expertise, 39.97 * 100 / 99.97);
  EXPECT_EQ(ExpertiseAt(h, 1, 0, 2), 0);
  EXPECT_DOUBLE_EQ(ExpertiseAt(h, 1, 0, 1), 39.97 * 100 / 99.97);  // idle in task: recorded
}

}  // namespace
}  // namespace davrel3
