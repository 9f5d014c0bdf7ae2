// Drives, choices, competition and the hand-out of units within a timestep.
#include <gtest/gtest.h>

#include <cstdint>

#include "test_support.h"

namespace davrel3 {
namespace {

using testing::Bench;

TEST(Allocation, ComputeTendencyCoversItsFourCases) {
  TSkill s;
  s.ExpMax = 25;
  s.ExpThresh = 10;
  s.MotMax = 25;
  s.MotThresh = 10;
  s.ExpWeight = 0.5;
  auto tendency = [&](double e, double m) {
    s.Expertise = e;
    s.Motivation = m;
    ComputeTendency(s);
  };
  tendency(16, 16);  // above both thresholds: 0.5 x 6/15 + 0.5 x 6/15
  EXPECT_DOUBLE_EQ(s.IValue, 0.4);
  EXPECT_EQ(s.YouValue, 0);
  EXPECT_TRUE(s.Chosen);
  tendency(16, 8);  // motivation below: You = 0.5 x 2/10
  EXPECT_DOUBLE_EQ(s.IValue, 0.2);
  EXPECT_DOUBLE_EQ(s.YouValue, 0.1);
  EXPECT_TRUE(s.Chosen);
  tendency(16, 4);  // You = 0.5 x 6/10 outweighs I
  EXPECT_DOUBLE_EQ(s.IValue, 0.2);
  EXPECT_DOUBLE_EQ(s.YouValue, 0.3);
  EXPECT_FALSE(s.Chosen);
  tendency(10, 16);  // at the expertise threshold
  EXPECT_EQ(s.IValue, 0);
  EXPECT_EQ(s.YouValue, 1.0);
  EXPECT_FALSE(s.Chosen);
}

TEST(Allocation, TextsOfAllocatedAndPerformedUnits) {
  EXPECT_EQ(AllocationText(11, 2), "12 / 3");
  EXPECT_EQ(PerformanceText(11, 2), "12/3");
  EXPECT_EQ(PerformanceText(10000, 0), "10001/1");
}

TEST(Allocation, StartUpTimestepZeroGivesEachIncumbentItsOwnColumn) {
  Bench b;
  b.System().Agents[kNewcomerIndex].Present = false;  // as START does
  b.System().Agents[kNewcomerIndex].Available = false;
  RunContext ctx = b.Context();
  StartTask(ctx, 0);
  AllocateTimestep(ctx, 0);
  // Agent i's level on skill j is 15 + ((i + j + 4) mod 5); 19 falls on skill
  // (5 - i) mod 5 and gives I = 0.5 x 9/15 + 0.5 x 9/15.
  for (int i = 0; i < 5; ++i) {
    const int own = (5 - i) % 5;
    SCOPED_TRACE(i);
    EXPECT_FALSE(b.System().Agents[i].Available);
    EXPECT_DOUBLE_EQ(b.Skill(i, own).IValue, 0.6);
    EXPECT_FALSE(TaskUnit(b.State().Task, 0, own).Open);
    EXPECT_TRUE(TaskUnit(b.State().Task, 1, own).Open);
    for (int j = 0; j < 5; ++j) {
      EXPECT_EQ(b.Skill(i, j).Chosen, j == own);
      EXPECT_FALSE(b.Skill(i, j).Loser);
    }
  }
  EXPECT_EQ(b.State().Task.AllocatedCount, 5);
}

// Two agents, two skills, one cycle: skill 0's column has a single open unit.
struct DuelBench : Bench {
  DuelBench(double agent0, double agent1) {
    CommitConstant(2, 2, 1, 2);
    SetLevels([=](int i, int j) {
      const double level = j == 1 ? 16.0 : (i == 0 ? agent0 : agent1);
      return std::pair{level, level};
    });
    RunContext ctx = Context();
    StartTask(ctx, 0);
    AllocateTimestep(ctx, 0);
  }
};

TEST(Allocation, WeakerCompetitorLosesAndChoosesAgain) {
  DuelBench b(17, 18);  // differences 7/15 and 8/15 on skill 0, 6/15 on skill 1
  EXPECT_TRUE(b.Skill(0, 0).Loser);
  EXPECT_FALSE(b.Skill(1, 0).Loser);
  EXPECT_TRUE(b.Skill(0, 1).Chosen);
  EXPECT_TRUE(b.Skill(1, 0).Chosen);
  EXPECT_FALSE(TaskUnit(b.State().Task, 0, 0).Open);
  EXPECT_FALSE(TaskUnit(b.State().Task, 0, 1).Open);
  EXPECT_EQ(b.State().Task.AllocatedCount, 2);
}

TEST(Allocation, EqualDifferencesMakeTheLowerIndexTheLoser) {
  DuelBench b(17, 17);
  EXPECT_TRUE(b.Skill(0, 0).Loser);
  EXPECT_FALSE(b.Skill(1, 0).Loser);
  EXPECT_TRUE(b.Skill(1, 0).Chosen);
  EXPECT_TRUE(b.Skill(0, 1).Chosen);
}

TEST(Allocation, CompetitionCountsOpenUnitsOnlyUpToTheNumberOfAgents) {
  // Three agents compete for skill 0, which has far more open units than
  // agents: nobody gives way and all three get consecutive units.
  Bench b;
  b.CommitConstant(3, 2, 10, 2);
  b.SetLevels([](int, int j) { return std::pair{j == 0 ? 19.0 : 12.0, 19.0}; });
  RunContext ctx = b.Context();
  StartTask(ctx, 0);
  AllocateTimestep(ctx, 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(b.Skill(i, 0).Chosen) << i;
    EXPECT_FALSE(b.Skill(i, 0).Loser) << i;
  }
  for (int c = 0; c < 10; ++c) EXPECT_EQ(TaskUnit(b.State().Task, c, 0).Open, c >= 3) << c;

  // Two open units left in the column for the three: the weakest gives way.
  StartTask(ctx, 0);
  for (int c = 0; c < 8; ++c) TaskUnit(b.State().Task, c, 0).Open = false;
  for (auto& agent : b.System().Agents) agent.Available = true;
  b.Skill(2, 0).Expertise = 18;  // agent 2 is the weakest on skill 0
  AllocateTimestep(ctx, 1);
  EXPECT_TRUE(b.Skill(2, 0).Loser);
  EXPECT_TRUE(b.Skill(2, 1).Chosen);
  EXPECT_FALSE(TaskUnit(b.State().Task, 8, 0).Open);
  EXPECT_FALSE(TaskUnit(b.State().Task, 9, 0).Open);
  EXPECT_FALSE(TaskUnit(b.State().Task, 0, 1).Open);
  EXPECT_FALSE(b.System().Agents[0].Skills[0].UnitsOpen);  // the column ran out
}

// The index kept up to date unit by unit must say what a fresh scan of the
// task says, whatever order units are given out and performed in, down to
// columns with no open or unperformed unit left and columns reset anew.
TEST(Allocation, ColumnIndexAgreesWithAFreshScanAfterEveryChange) {
  Bench b;
  b.CommitConstant(2, 3, 7, 3);
  ModelState& state = b.State();
  TTask& task = state.Task;
  std::uint32_t seed = 12345;
  auto next = [&](std::uint32_t bound) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) % bound;
  };
  for (int round = 0; round < 40; ++round) {
    ColumnIndex index(state);
    for (int j = 0; j < 3; ++j) {
      for (int c = 0; c < task.Cycles; ++c) {
        TaskUnit(task, c, j).Open = next(4) != 0;
        TaskUnit(task, c, j).Performed = next(3) == 0;
      }
    }
    for (int change = 0; change < 60; ++change) {
      const int j = static_cast<int>(next(3));
      // Mostly the unit the index points at, as a run takes them; now and
      // then any unit, which must leave the index stale rather than wrong.
      const bool anyUnit = next(5) == 0;
      if (next(2) == 0) {
        const int c = anyUnit ? static_cast<int>(next(7)) : index.FirstOpen(j);
        if (c < task.Cycles && TaskUnit(task, c, j).Open) index.CloseUnit(c, j);
      } else {
        const int c = anyUnit ? static_cast<int>(next(7)) : index.FirstUnperformed(j);
        if (c < task.Cycles && !TaskUnit(task, c, j).Performed) index.MarkPerformed(c, j);
      }
      if (next(10) == 0) {
        const int c = static_cast<int>(next(7));
        TaskUnit(task, c, j).Open = true;  // changed behind the index's back
        index.MarkStale(j);
      }
      if (next(12) == 0) {  // a new task resets the column
        for (int c = 0; c < task.Cycles; ++c) {
          TaskUnit(task, c, j).Open = true;
          TaskUnit(task, c, j).Performed = false;
        }
        index.MarkReset(j);
      }
      for (int k = 0; k < 3; ++k) {
        int open = 0;
        for (int c = 0; c < task.Cycles; ++c) open += TaskUnit(task, c, k).Open;
        ASSERT_EQ(index.OpenCount(k), open) << round << " " << change << " " << k;
        ASSERT_EQ(index.FirstOpen(k), FirstOpenCycle(task, k)) << round << " " << change << " " << k;
        ASSERT_EQ(index.FirstUnperformed(k), FirstUnperformedCycle(task, k)) << round << " " << change << " " << k;
      }
    }
  }
}

TEST(Allocation, PassThatChangesNothingEndsTheTimestep) {
  Bench b;
  b.CommitConstant(3, 3, 10, 3);
  // Agent 0 may take skill 0 only; the others sit at the threshold everywhere.
  b.SetLevels([](int i, int j) { return std::pair{i == 0 && j == 0 ? 19.0 : 10.0, 19.0}; });
  RunContext ctx = b.Context();
  StartTask(ctx, 0);
  AllocateTimestep(ctx, 0);  // must return
  EXPECT_EQ(b.State().Task.AllocatedCount, 1);
  EXPECT_FALSE(b.System().Agents[0].Available);
  EXPECT_TRUE(b.System().Agents[1].Available);
  EXPECT_TRUE(b.System().Agents[2].Available);

  b.SetAllLevels(10, 19);  // nobody can choose anything
  StartTask(ctx, 0);
  for (auto& agent : b.System().Agents) agent.Available = true;
  AllocateTimestep(ctx, 1);
  EXPECT_EQ(b.State().Task.AllocatedCount, 0);
}

TEST(Allocation, NoChoiceAtADifferenceOfMinusOne) {
  Bench b;
  b.CommitConstant(1, 1, 5, 1);
  // ExpWeight 0 and motivation 0: I = 0, You = 1, the difference is -1.0.
  b.Skill(0, 0).ExpWeight = 0;
  b.SetAllLevels(19, 0);
  RunContext ctx = b.Context();
  StartTask(ctx, 0);
  ComputeTendencies(b.System());
  EXPECT_EQ(b.Skill(0, 0).IValue - b.Skill(0, 0).YouValue, -1.0);
  ColumnIndex columns(b.State());
  EXPECT_EQ(PreferredSkill(columns, b.System(), b.System().Agents[0]), -1);
}

}  // namespace
}  // namespace davrel3
