// Rounding and the work-time measures of the chart window.
#include <gtest/gtest.h>

#include "test_support.h"

namespace davrel3 {
namespace {

using testing::Bench;

TEST(Measures, RoundingGoesHalfToEven) {
  EXPECT_EQ(FormatRounded(2.5), "2");
  EXPECT_EQ(FormatRounded(3.5), "4");
  EXPECT_EQ(FormatRounded(-2.5), "-2");
  EXPECT_EQ(FormatRounded(-0.4), "0");
  EXPECT_EQ(FormatRounded(1234567.6), "1234568");
  // Hundredths are formed before rounding: 0.125 x 100 is exactly 12.5; the
  // doubles nearest 0.135 and 0.015 lie just above and just below the half.
  EXPECT_EQ(FormatHundredths(0.125), "12");
  EXPECT_EQ(FormatHundredths(0.135), "14");
  EXPECT_EQ(FormatHundredths(0.015), "1");
  EXPECT_EQ(FormatHundredths(19), "1900");
}

TEST(Measures, SlowTotalRoundsTheUnroundedSum) {
  Bench b;
  b.CommitConstant(1, 1, 5, 1, 2);
  b.History().TaskWorkHistory[0][0] = 2.4;
  b.History().TaskWorkHistory[1][0] = 2.4;
  b.bench.DrawGrids();
  const TextGrid& g = b.State().WorkTimeGrid;
  // One agent: rows 1 agent, 2 Slow, 3 Sum, 4 MeanNoFit, 5 MeanFit.
  EXPECT_EQ(g.Cell(0, 2), "Slow");
  EXPECT_EQ(g.Cell(3, 0), "Tot.");
  EXPECT_EQ(g.Cell(1, 2), "2");
  EXPECT_EQ(g.Cell(2, 2), "2");
  EXPECT_EQ(g.Cell(3, 2), "5");  // round(4.8), not 2 + 2
  EXPECT_EQ(g.Cell(3, 1), "5");
  EXPECT_EQ(g.Cell(3, 3), "");  // the Sum row has no total
  EXPECT_EQ(g.Cell(1, 4), "0");  // no column 5: the newcomer reads 0
}

TEST(Measures, CorrectedMeansReadColumnFiveAsItStands) {
  RunHistory h;
  // Six agents: five incumbents and the newcomer's time scaled.
  DefineGraphics(h, 5, 1, 6);
  h.TaskWorkHistory[0] = {1, 2, 3, 4, 5, 21, 99, 99};
  EXPECT_DOUBLE_EQ(MeanPerformanceTimeCorrectedNewcomerNoFit(h, 6, 0), (15 + 21.0 * 46 / 21) / 6);
  EXPECT_DOUBLE_EQ(MeanPerformanceTimeCorrectedNewcomerFit(h, 6, 0), (15 + 21.0 * 217 / 117) / 6);
  EXPECT_EQ(SlowestPerformanceTime(h, 6, 0), 21);
  h.TaskWorkHistory[0] = {-1, -2, -3, -4, -5, -6, 0, 0};
  EXPECT_EQ(SlowestPerformanceTime(h, 6, 0), 0);  // the maximum starts from 0
  // Five agents: the sum stops at agent 4, column 5 is the task duration.
  DefineGraphics(h, 5, 1, 5);
  h.TaskWorkHistory[0] = {1, 2, 3, 4, 5, 21, 99};
  EXPECT_DOUBLE_EQ(MeanPerformanceTimeCorrectedNewcomerNoFit(h, 5, 0), (10 + 46.0) / 6);
  // Four agents: column 5 is the run duration column.
  RunHistory four;
  DefineGraphics(four, 5, 1, 4);
  four.TaskWorkHistory[0] = {1, 2, 3, 4, 8, 42};
  EXPECT_DOUBLE_EQ(MeanPerformanceTimeCorrectedNewcomerNoFit(four, 4, 0), (6 + 42.0 * 46 / 21) / 6);
  EXPECT_DOUBLE_EQ(MeanPerformanceTimeCorrectedNewcomerFit(four, 4, 0), (6 + 42.0 * 217 / 117) / 6);
  // Three agents: the table has five columns, so the newcomer counts 0.
  RunHistory three;
  DefineGraphics(three, 5, 1, 3);
  three.TaskWorkHistory[0] = {1, 2, 3, 7, 9};
  EXPECT_DOUBLE_EQ(MeanPerformanceTimeCorrectedNewcomerNoFit(three, 3, 0), 3.0 / 6);
  EXPECT_DOUBLE_EQ(MeanPerformanceTimeCorrectedNewcomerFit(three, 3, 0), 3.0 / 6);
}

}  // namespace
}  // namespace davrel3
