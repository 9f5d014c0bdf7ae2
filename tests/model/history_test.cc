// The run history: growth past 245 timesteps, multi-task rows, the size limit.
#include <gtest/gtest.h>

#include "test_support.h"

namespace davrel3 {
namespace {

using testing::Bench;

// One agent of one skill at level 19 (maxima 25, thresholds 10, weight 0.5)
// performs one unit per timestep in 10 / (0.38 + 0.38).
const double kUnitTime = 10 / 0.76;

TEST(History, LongRunGrowsTheHistoryAndACommitCutsItBack) {
  Bench b;
  b.CommitConstant(1, 1, 300, 1);
  b.SetAllLevels(19, 19);
  const RunOutcome outcome = b.bench.StartButtonClick();
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  EXPECT_EQ(outcome.timesteps, (std::vector<long long>{300}));
  const RunHistory& h = b.History();
  EXPECT_EQ(h.HistoryLength, 300);
  EXPECT_EQ(h.ExpertiseHistory.size(), 301u);
  EXPECT_EQ(h.StepWorkHistory.size(), 301u);
  EXPECT_EQ(h.StepWorkHistory[0][0], 0);
  for (int r = 1; r <= 300; ++r) {
    ASSERT_DOUBLE_EQ(h.StepWorkHistory[r][0], kUnitTime) << r;
    ASSERT_EQ(h.ExpertiseHistory[r][0][0], 19) << r;
  }
  EXPECT_EQ(b.State().AllocationGrid.Cell(300, 1), "300/1");

  b.bench.SetSystem();
  EXPECT_EQ(h.HistoryLength, 245);
  EXPECT_EQ(h.ExpertiseHistory.size(), 246u);
  EXPECT_EQ(h.MotivationHistory.size(), 246u);
  EXPECT_EQ(h.StepWorkHistory.size(), 246u);
  EXPECT_DOUBLE_EQ(h.StepWorkHistory[245][0], kUnitTime);  // kept
  EXPECT_EQ(h.MotivationHistory[245][0][0], 19);
}

TEST(History, TasksUseConsecutiveRowsAndRunWideTimestepTexts) {
  Bench b;
  b.CommitConstant(1, 1, 3, 1, 2);
  b.SetAllLevels(19, 19);
  const RunOutcome outcome = b.bench.StartButtonClick();
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  EXPECT_EQ(outcome.timesteps, (std::vector<long long>{3, 3}));
  const RunHistory& h = b.History();
  EXPECT_EQ(h.HistoryLength, 245);
  for (int r = 1; r <= 6; ++r) EXPECT_DOUBLE_EQ(h.StepWorkHistory[r][0], kUnitTime) << r;
  EXPECT_EQ(h.StepWorkHistory[7][0], 0);
  // The second task's first timestep is 10000 + 0, shown as 10001.
  const TextGrid& grid = b.State().AllocationGrid;
  EXPECT_EQ(grid.Cell(1, 1), "1/1");
  EXPECT_EQ(grid.Cell(4, 1), "10001/1");
  EXPECT_EQ(grid.Cell(6, 1), "10003/1");
  EXPECT_EQ(b.State().TaskGrid.Cell(3, 1), "10003/1");
  // Headings once per task: 1 2 3 1 2 3.
  EXPECT_EQ(grid.ColumnCount(), 7);
  EXPECT_EQ(grid.Cell(4, 0), "1");
  EXPECT_EQ(grid.Cell(6, 0), "3");
  // Task totals: [k][n] task duration, [m + 1][n] and [k + 1][n + 1] the run's.
  EXPECT_NEAR(h.TaskWorkHistory[1][0], 3 * kUnitTime, 1e-9);
  EXPECT_NEAR(h.TaskWorkHistory[1][1], 3 * kUnitTime, 1e-9);
  EXPECT_NEAR(h.TaskWorkHistory[3][1], 6 * kUnitTime, 1e-9);
  EXPECT_NEAR(h.TaskWorkHistory[2][2], 6 * kUnitTime, 1e-9);
  EXPECT_NEAR(h.TaskWorkHistory[1][2], 3 * kUnitTime, 1e-9);
}

TEST(History, PerformedAtKeepsTimestepsBelowOneThousandOnly) {
  Bench b;
  b.CommitConstant(1, 1, 1200, 1);
  b.SetAllLevels(19, 19);
  ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
  const auto& at = b.Skill(0, 0).PerformedAt;
  EXPECT_EQ(at.size(), 1000u);
  EXPECT_TRUE(at[0] && at[999]);
  EXPECT_EQ(b.History().HistoryLength, 1200);
}

TEST(History, GrowthStopsBeforeTheByteLimit) {
  EXPECT_EQ(HistoryBytes(246, 6), 246LL * 6 * 40 * 2 * 8);
  RunHistory h;
  DefineGraphics(h, 200, 1, 6);
  EXPECT_TRUE(EnsureHistoryRow(h, 245, 6));
  EXPECT_EQ(h.ExpertiseHistory.size(), 246u);
  h.StepWorkHistory[245][6] = 7;
  ASSERT_TRUE(EnsureHistoryRow(h, 250, 6));
  EXPECT_EQ(h.HistoryLength, 250);
  EXPECT_EQ(h.StepWorkHistory.size(), 251u);
  EXPECT_EQ(h.StepWorkHistory[250].size(), 7u);
  EXPECT_EQ(h.StepWorkHistory[245][6], 7);
  EXPECT_EQ(h.ExpertiseHistory[250].size(), 6u);
  // The first row whose table would pass 1 GiB is refused, changing nothing.
  const std::int64_t rows = kHistoryByteLimit / HistoryBytes(1, 6);
  EXPECT_FALSE(EnsureHistoryRow(h, rows, 6));
  EXPECT_EQ(h.HistoryLength, 250);
  EXPECT_EQ(h.ExpertiseHistory.size(), 251u);
  EXPECT_EQ(h.StepWorkHistory.size(), 251u);
}

}  // namespace
}  // namespace davrel3
