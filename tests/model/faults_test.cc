// Runs that cannot go on: a stalled task and every zero denominator.
#include <gtest/gtest.h>

#include "test_support.h"

namespace davrel3 {
namespace {

using testing::AllFinite;
using testing::Bench;

TEST(Stall, TaskThatCanNoLongerChangeStallsAfterThatTimestep) {
  Bench b;
  b.panel.Write(Field::MotThresh, 0);
  b.CommitConstant(5, 5, 200, 5);
  // Skill 0 above the threshold for everybody, the rest at it. Motivation 1
  // earns no rest credit, so once column 0 is used up nothing moves.
  b.SetLevels([](int, int j) { return std::pair{j == 0 ? 19.0 : 10.0, 1.0}; });
  const RunOutcome outcome = b.bench.StartButtonClick();
  ASSERT_EQ(outcome.status, RunStatus::Stalled);
  // Timesteps 0-39 perform column 0 (5 units each); timestep 40 clears the
  // choices; timestep 41 (shown as 42) repeats it exactly.
  EXPECT_EQ(outcome.timesteps, (std::vector<long long>{42}));
  EXPECT_NE(outcome.message.find("task 1"), std::string::npos) << outcome.message;
  EXPECT_NE(outcome.message.find("timestep 42"), std::string::npos) << outcome.message;
  EXPECT_EQ(b.State().Task.PerformedCount, 200);
  // Each agent: 40 units of 10 / (0.5 x 1/25 + 0.5 x 19/25) = 25.
  EXPECT_NEAR(b.History().TaskWorkHistory[0][0], 1000, 1e-9);
  EXPECT_EQ(b.History().TaskWorkHistory[0][5], 0);  // the task end was not reached
  EXPECT_EQ(b.History().TaskWorkHistory[2][5], 0);
  EXPECT_FALSE(b.bench.StartEnabled());
  EXPECT_TRUE(b.bench.DefaultEnabled());
}

TEST(Stall, EntranceStillToComeKeepsTheRunGoing) {
  Bench five;
  five.panel.Write(Field::ForgetSpeed, 0);
  five.panel.Write(Field::NrofAg, 5);
  five.bench.SetSystem();
  five.SetAllLevels(10, 19);  // nobody above the threshold
  RunOutcome outcome = five.bench.StartButtonClick();
  ASSERT_EQ(outcome.status, RunStatus::Stalled);
  EXPECT_EQ(outcome.timesteps, (std::vector<long long>{1}));

  Bench six;
  six.panel.Write(Field::ForgetSpeed, 0);
  six.panel.SetItemIndex(Choice::Newcomer, 0);  // "None": entrance at 500
  six.bench.SetSystem();
  six.SetAllLevels(10, 19);
  outcome = six.bench.StartButtonClick();
  ASSERT_EQ(outcome.status, RunStatus::Stalled);
  // Timestep 500 lets agent 6 in (a change); timestep 501 repeats it.
  EXPECT_EQ(outcome.timesteps, (std::vector<long long>{502}));
  EXPECT_TRUE(six.System().Agents[kNewcomerIndex].Present);
}

TEST(Stall, StateThatDriftsWithoutPerformingStallsAtTheIdleLimit) {
  Bench b;
  b.panel.Write(Field::ExpMax, 100000);
  b.panel.Write(Field::ExpThresh, 50000);
  b.CommitConstant(1, 1, 1, 1);
  // A negative ForgetSpeed raises expertise by about 0.01 per timestep: it
  // changes every timestep but stays far below the threshold.
  b.Skill(0, 0).ForgetSpeed = -0.01;
  b.SetAllLevels(0, 50);
  const RunOutcome outcome = b.bench.StartButtonClick();
  ASSERT_EQ(outcome.status, RunStatus::Stalled);
  EXPECT_EQ(outcome.timesteps, (std::vector<long long>{kIdleTimestepLimit}));
  EXPECT_GT(b.Skill(0, 0).Expertise, 90);
  EXPECT_LT(b.Skill(0, 0).Expertise, 110);
}

// Commits the start-up parameters with `edit` applied, sets every level to
// (e, m) and runs; the run must fail naming `quantity`.
void ExpectFailure(const std::function<void(Bench&)>& edit, double e, double m, const std::string& quantity) {
  SCOPED_TRACE(quantity);
  Bench b;
  b.panel.Write(Field::NrofAg, 5);
  edit(b);
  b.bench.SetSystem();
  b.SetAllLevels(e, m);
  const RunOutcome outcome = b.bench.StartButtonClick();
  EXPECT_EQ(outcome.status, RunStatus::Failed);
  EXPECT_NE(outcome.message.find(quantity), std::string::npos) << outcome.message;
  EXPECT_TRUE(b.bench.StartEnabled());
  EXPECT_FALSE(b.bench.DefaultEnabled());
  EXPECT_TRUE(AllFinite(b.State()));
}

TEST(Faults, EveryZeroDenominatorFailsTheRun) {
  auto set = [](std::initializer_list<std::pair<Field, int>> values) {
    return [=](Bench& b) {
      for (const auto& [field, value] : values) b.panel.Write(field, value);
    };
  };
  ExpectFailure(set({{Field::ExpMax, 10}}), 15, 15, "ExpMax - ExpThresh");
  ExpectFailure(set({{Field::MotThresh, 0}}), 15, 0, "MotThresh is 0");
  ExpectFailure(set({{Field::MotMax, 10}}), 15, 15, "MotMax - MotThresh");
  // MotMax 0 with MotThresh 10: M = 11 gives I = 0.5 x 9/15 + 0.5 x 1/-10 > 0,
  // so the skill is chosen and performed.
  ExpectFailure(set({{Field::MotMax, 0}}), 19, 11, "MotMax is 0");
  // ForgetSpeed 100 x 0.01 = ExpMax 1.
  ExpectFailure(set({{Field::ExpMax, 1}, {Field::ExpThresh, 0}, {Field::ForgetSpeed, 100}}), 0.5, 15,
                "ExpMax - ForgetSpeed");
  // Bore 100 x 0.01 = MotMax 1.
  ExpectFailure(set({{Field::MotMax, 1}, {Field::MotThresh, 0}}), 15, 0.5, "MotMax - BoreRate");
  // ExpRate 0 and motivation 0 above a negative threshold: chosen, a = b = 0.
  ExpectFailure(set({{Field::ExpRate, 0}, {Field::MotThresh, -10}}), 15, 0, "a + b");
  // A denormal motivation: 10 / (1e-310 / 25) overflows.
  ExpectFailure(set({{Field::ExpRate, 0}, {Field::MotThresh, -10}}), 15, 1e-310, "not a finite number");
}

TEST(Faults, AFaultInTheDrivesStillResetsEveryAgentsTimestep) {
  Bench b;
  b.panel.Write(Field::NrofAg, 5);
  b.panel.Write(Field::ExpMax, 10);  // ExpMax - ExpThresh is 0
  b.bench.SetSystem();
  b.SetAllLevels(15, 15);
  // Work times left from before: the timestep the fault ends in has begun,
  // so none of them may survive, not even those of the agents after the
  // first, whose drives are never computed.
  for (auto& agent : b.System().Agents) {
    agent.StepWorkTime = 7;
    for (auto& skill : agent.Skills) skill.TimeNeeded = 7;
  }
  const RunOutcome outcome = b.bench.StartButtonClick();
  ASSERT_EQ(outcome.status, RunStatus::Failed);
  EXPECT_NE(outcome.message.find("timestep 1:"), std::string::npos) << outcome.message;
  for (const auto& agent : b.System().Agents) {
    EXPECT_EQ(agent.StepWorkTime, 0);
    for (const auto& skill : agent.Skills) EXPECT_EQ(skill.TimeNeeded, 0);
  }
}

TEST(Faults, PerformSkillFormsItsPartsBeforeLookingForAUnit) {
  Bench b;
  b.CommitConstant(1, 1, 2, 1);
  for (int c = 0; c < b.State().Task.Cycles; ++c) TaskUnit(b.State().Task, c, 0).Performed = true;  // column used up
  b.Skill(0, 0).MotMax = 0;
  RunContext ctx = b.Context();
  EXPECT_THROW(PerformSkill(ctx, 0, 0, 0, 0, 1), RunFault);
  b.Skill(0, 0).MotMax = 25;
  b.Skill(0, 0).ExpMax = 0;
  EXPECT_THROW(PerformSkill(ctx, 0, 0, 0, 0, 1), RunFault);
}

}  // namespace
}  // namespace davrel3
