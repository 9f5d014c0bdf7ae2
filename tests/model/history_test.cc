// The run history: growth past 245 timesteps, multi-task rows, the size limit.
#include <gtest/gtest.h>

#include <tuple>

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
  EXPECT_EQ(h.Rows, 301);
  EXPECT_EQ(h.ExpertiseHistory.size(), 301u * 40);
  EXPECT_EQ(h.StepWorkHistory.size(), 301u * 2);
  EXPECT_EQ(StepWorkAt(h, 0, 0), 0);
  for (int r = 1; r <= 300; ++r) {
    ASSERT_DOUBLE_EQ(StepWorkAt(h, r, 0), kUnitTime) << r;
    ASSERT_EQ(ExpertiseAt(h, r, 0, 0), 19) << r;
  }
  EXPECT_EQ(b.State().AllocationGrid.Cell(300, 1), "300/1");

  b.bench.SetSystem();
  EXPECT_EQ(h.HistoryLength, 245);
  EXPECT_EQ(h.Rows, 246);
  EXPECT_EQ(h.ExpertiseHistory.size(), 246u * 40);
  EXPECT_EQ(h.MotivationHistory.size(), 246u * 40);
  EXPECT_EQ(h.StepWorkHistory.size(), 246u * 2);
  EXPECT_EQ(StepWorkAt(h, 246, 0), 0);  // rows past the store read as 0
  EXPECT_DOUBLE_EQ(StepWorkAt(h, 245, 0), kUnitTime);  // kept
  EXPECT_EQ(MotivationAt(h, 245, 0, 0), 19);
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
  for (int r = 1; r <= 6; ++r) EXPECT_DOUBLE_EQ(StepWorkAt(h, r, 0), kUnitTime) << r;
  EXPECT_EQ(StepWorkAt(h, 7, 0), 0);
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
  EXPECT_TRUE(EnsureHistoryRow(h, 245));
  EXPECT_EQ(h.Rows, 246);
  RecordStepWork(h, 245, 6, 7);
  RecordLevels(h, 245, 5, 39, 3, 4);
  ASSERT_TRUE(EnsureHistoryRow(h, 250));
  EXPECT_EQ(h.HistoryLength, 250);
  EXPECT_EQ(h.Rows, 251);
  EXPECT_EQ(h.StepWorkHistory.size(), 251u * 7);
  EXPECT_EQ(StepWorkAt(h, 245, 6), 7);
  EXPECT_EQ(ExpertiseAt(h, 245, 5, 39), 3);
  EXPECT_EQ(MotivationAt(h, 245, 5, 39), 4);
  EXPECT_EQ(ExpertiseAt(h, 250, 5, 39), 0);  // a new row starts at zero
  // The first row whose table would pass 1 GiB is refused, changing nothing.
  const std::int64_t rows = kHistoryByteLimit / HistoryBytes(1, 6);
  EXPECT_TRUE(HistoryRowFits(h, rows - 1));
  EXPECT_FALSE(HistoryRowFits(h, rows));
  EXPECT_FALSE(EnsureHistoryRow(h, rows));
  EXPECT_EQ(h.HistoryLength, 250);
  EXPECT_EQ(h.Rows, 251);
  EXPECT_EQ(h.ExpertiseHistory.size(), 251u * 6 * 40);
}

TEST(History, ReadersGiveZeroOutsideTheStore) {
  RunHistory h;
  DefineGraphics(h, 200, 1, 2);
  RecordLevels(h, 3, 1, 0, 8, 9);
  RecordStepWork(h, 3, 2, 5);
  EXPECT_EQ(ExpertiseAt(h, 3, 1, 0), 8);
  EXPECT_EQ(MotivationAt(h, 3, 1, 0), 9);
  EXPECT_EQ(StepWorkAt(h, 3, 2), 5);  // the group's column
  for (auto [row, agent, slot] : {std::tuple{-1, 0, 0}, {246, 0, 0}, {3, 2, 0}, {3, -1, 0}, {3, 1, 40}, {3, 1, -1}}) {
    EXPECT_EQ(ExpertiseAt(h, row, agent, slot), 0) << row << " " << agent << " " << slot;
    EXPECT_EQ(MotivationAt(h, row, agent, slot), 0);
  }
  EXPECT_EQ(StepWorkAt(h, 3, 3), 0);
  EXPECT_EQ(StepWorkAt(h, 246, 0), 0);
  EXPECT_EQ(CoordinationAt(h, 246), 0);
  EXPECT_EQ(TaskWorkAt(h, 3, 0), 0);
}

TEST(History, ACommitOfAnotherGroupSizeKeepsTheCellsBothHave) {
  RunHistory h;
  DefineGraphics(h, 200, 1, 3);
  RecordLevels(h, 10, 1, 7, 11, 12);
  RecordLevels(h, 10, 2, 7, 13, 14);
  RecordStepWork(h, 10, 1, 15);
  RecordStepWork(h, 10, 3, 16);  // the group's column of three agents
  DefineGraphics(h, 200, 1, 2);
  EXPECT_EQ(h.Agents, 2);
  EXPECT_EQ(ExpertiseAt(h, 10, 1, 7), 11);
  EXPECT_EQ(MotivationAt(h, 10, 1, 7), 12);
  EXPECT_EQ(StepWorkAt(h, 10, 1), 15);
  EXPECT_EQ(StepWorkAt(h, 10, 2), 0);  // the third agent's column, cut
  DefineGraphics(h, 200, 1, 4);
  EXPECT_EQ(ExpertiseAt(h, 10, 1, 7), 11);
  EXPECT_EQ(ExpertiseAt(h, 10, 2, 7), 0);  // created anew
  EXPECT_EQ(h.ExpertiseHistory.size(), 246u * 4 * 40);
}

TEST(History, GrowthDoublesTheCapacity) {
  RunHistory h;
  DefineGraphics(h, 200, 1, 1);
  int reallocations = 0;
  const double* block = h.ExpertiseHistory.data();
  for (std::int64_t row = 246; row < 100000; ++row) {
    ASSERT_TRUE(EnsureHistoryRow(h, row));
    if (h.ExpertiseHistory.data() != block) ++reallocations;
    block = h.ExpertiseHistory.data();
  }
  // 246 rows to 100,000 rows: about log2(100000 / 246) copies, not one per row.
  EXPECT_LE(reallocations, 10);
  EXPECT_EQ(h.HistoryLength, 99999);
}

TEST(History, ByteTextsAsTheUserReadsThem) {
  EXPECT_EQ(ByteText(std::int64_t{1} << 30), "1 GiB");
  EXPECT_EQ(ByteText((std::int64_t{23} << 30) / 2), "11.5 GiB");
  EXPECT_EQ(ByteText(std::int64_t{300} << 20), "300 MiB");
  EXPECT_EQ(ByteText(4 << 20), "4 MiB");
  EXPECT_EQ(ByteText(1536), "1.5 KiB");
  EXPECT_EQ(ByteText(1000), "1000 bytes");
  EXPECT_EQ(ByteText((std::int64_t{1} << 30) - 1), "1024 MiB");
}

}  // namespace
}  // namespace davrel3
