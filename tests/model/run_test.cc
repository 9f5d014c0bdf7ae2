// Whole runs: the moving skill window, the newcomer's entrance, what the run
// reports to its observer, and groups without a newcomer.
#include <gtest/gtest.h>

#include "test_support.h"

namespace davrel3 {
namespace {

using testing::Bench;

TEST(Run, WindowStartMovesByTheVarietyAndWrapsOnce) {
  Bench b;
  b.CommitConstant(5, 5, 2, 5, 3, 5);
  b.SetAllLevels(19, 19);
  b.observer.windowStarts.clear();
  ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
  // 0, then 5 (equal to the number of skills: not reduced), then 10 - 5.
  EXPECT_EQ(b.observer.windowStarts, (std::vector<long long>{0, 5, 5}));
}

TEST(Run, ZeroVarietyKeepsTheFirstSkillsInEveryTask) {
  Bench b;
  b.CommitConstant(5, 5, 2, 2, 3, 0);
  b.SetAllLevels(19, 19);
  ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
  for (int k = 0; k < 3; ++k) {
    for (int j = 0; j < 5; ++j) EXPECT_EQ(b.History().InTaskHistory[k][0][j], j < 2) << k << " " << j;
  }
}

TEST(Run, WindowIsTakenModuloTheNumberOfSkills) {
  Bench b;
  b.CommitConstant(5, 5, 2, 3, 3, 3);
  b.SetAllLevels(19, 19);
  b.observer.windowStarts.clear();
  ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
  EXPECT_EQ(b.observer.windowStarts, (std::vector<long long>{0, 3, 1}));  // 6 > 5: 6 - 5
  const std::vector<bool> second{true, false, false, true, true};  // 3, 4 and 0
  for (int j = 0; j < 5; ++j) EXPECT_EQ(b.History().InTaskHistory[1][2][j], second[j]) << j;
  // The task grid of the last task shows skills 2, 3 and 4.
  EXPECT_EQ(b.State().TaskGrid.Cell(0, 1), "2");
  EXPECT_EQ(b.State().TaskGrid.Cell(0, 3), "4");
  EXPECT_EQ(b.State().Task.PerformedCount, 6);
}

TEST(Run, NegativeVarietyPassesOkAndMovesTheWindowDown) {
  Bench b;
  b.CommitConstant(5, 5, 2, 2, 3, 0);
  b.panel.Write(Field::Var, -1);
  b.bench.OKButtonClick();
  b.SetAllLevels(19, 19);
  b.observer.windowStarts.clear();
  ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
  EXPECT_EQ(b.observer.windowStarts, (std::vector<long long>{0, -1, -2}));
  const auto& in = b.History().InTaskHistory;
  EXPECT_TRUE(in[1][0][4] && in[1][0][0] && !in[1][0][1]);  // skills 5 and 1
  EXPECT_TRUE(in[2][0][3] && in[2][0][4] && !in[2][0][0]);  // skills 4 and 5
  EXPECT_EQ(b.State().TaskGrid.Cell(0, 1), "4");
  EXPECT_EQ(b.State().TaskGrid.Cell(0, 2), "5");
}

TEST(Run, NewcomerEntersWithTheLevelsOfEveryCondition) {
  // Fit, kind, skills item -> the newcomer's levels.
  struct Row {
    int fit, kind, hiLo;
    std::vector<double> levels;
  };
  const std::vector<Row> rows = {
      {0, 1, 0, {12, 13, 14, 15, 16}},           {0, 1, 1, {15, 16, 17, 18, 19}},
      {0, 1, 2, {18, 19, 20, 21, 22}},           {0, 2, 0, {14, 14, 14, 14, 14}},
      {0, 2, 1, {17, 17, 17, 17, 17}},           {0, 2, 2, {20, 20, 20, 20, 20}},
      {1, 1, 0, {14.5, 15.5, 10.5, 11.5, 12.5, 13.5}},
      {1, 1, 1, {17.5, 18.5, 13.5, 14.5, 15.5, 16.5}},
      {1, 1, 2, {20.5, 21.5, 16.5, 17.5, 18.5, 19.5}},
      {1, 2, 0, {13, 13, 13, 13, 13, 13}},       {1, 2, 1, {16, 16, 16, 16, 16, 16}},
      {1, 2, 2, {19, 19, 19, 19, 19, 19}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.fit << row.kind << row.hiLo);
    for (int j = 0; j < static_cast<int>(row.levels.size()); ++j) {
      EXPECT_EQ(NewcomerSkillValue(row.fit, row.kind, SkillOffset(row.hiLo), j), row.levels[j]);
    }
    Bench b;
    b.panel.SetItemIndex(Choice::FitNoFit, row.fit);
    b.bench.DefineButtonClick();
    // The kind and the level are read at the entrance, not at Define.
    b.panel.SetItemIndex(Choice::Newcomer, row.kind);
    b.panel.SetItemIndex(Choice::HiLo, row.hiLo);
    ASSERT_EQ(b.bench.StartButtonClick().status, RunStatus::Finished);
    const TAgent& newcomer = b.System().Agents[kNewcomerIndex];
    ASSERT_EQ(newcomer.Skills.size(), row.levels.size());
    for (std::size_t j = 0; j < row.levels.size(); ++j) EXPECT_EQ(newcomer.Skills[j].InitialLevel, row.levels[j]);
    // Absent in timesteps 0 to 99 (rows 1 to 100), recorded from row 101 on.
    const auto& h = b.History();
    for (int r = 1; r <= 100; ++r) {
      ASSERT_EQ(StepWorkAt(h, r, kNewcomerIndex), 0) << r;
      ASSERT_EQ(ExpertiseAt(h, r, kNewcomerIndex, 0), 0) << r;
    }
    EXPECT_NE(ExpertiseAt(h, 101, kNewcomerIndex, 0), 0);
  }
  EXPECT_EQ(SkillOffset(-1), 1000);
}

TEST(Run, ObserverSeesEveryTimestepAndEveryPerformedUnit) {
  Bench b;
  b.observer.indicated = {Indicator::NewTimestep, Indicator::Allocation, Indicator::Performance};
  b.observer.statesAgents = 0;
  b.observer.taskCells = 0;
  const RunOutcome outcome = b.bench.StartButtonClick();
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  const long long steps = outcome.timesteps.at(0);
  EXPECT_EQ(b.observer.Count("New Round"), steps);
  ASSERT_EQ(static_cast<long long>(b.observer.edit2.size()), steps);
  for (long long t = 0; t < steps; ++t) ASSERT_EQ(b.observer.edit2[t], std::to_string(t + 1));
  EXPECT_EQ(b.observer.statesAgents, steps + 1);  // per timestep, then at the task end
  // 200 cycles x 5 actions: each unit allocated and performed once.
  EXPECT_EQ(b.observer.Count("Allocated"), 1000);
  EXPECT_EQ(b.observer.Count("Performed"), 1000);
  EXPECT_EQ(b.observer.allocationCells, 1000);
  EXPECT_EQ(b.observer.taskCells, 2000);  // "n / i" when allocated, "n/i" when performed
  EXPECT_EQ(b.observer.Count("New Task"), 0);
}

TEST(Run, FewerThanSixAgentsLeaveTheNewcomerOut) {
  Bench b;
  b.panel.Write(Field::NrofAg, 5);
  b.bench.SetSystem();
  b.bench.RemoveButtonClick();  // nothing to remove
  for (const auto& agent : b.System().Agents) EXPECT_TRUE(agent.Present);
  const RunOutcome outcome = b.bench.StartButtonClick();
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  EXPECT_EQ(b.System().Agents.size(), 5u);
  for (const auto& agent : b.System().Agents) EXPECT_TRUE(agent.Present);
  EXPECT_EQ(b.State().Task.PerformedCount, 1000);
}

}  // namespace
}  // namespace davrel3

namespace {

// Asks the run to stop once it has seen a given number of timesteps end.
class CancellingObserver : public davrel3::RunObserver {
 public:
  explicit CancellingObserver(int after) : after_(after) {}
  bool CancelRequested() override { return ++seen_ >= after_; }

 private:
  int after_;
  int seen_ = 0;
};

}  // namespace

TEST(Run, CancelEndsTheRunWhereItIsAndStandsLikeAStall) {
  davrel3::testing::Bench b;
  CancellingObserver cancel(3);
  b.bench.SetObserver(&cancel);
  const davrel3::RunOutcome outcome = b.bench.StartButtonClick();
  EXPECT_EQ(outcome.status, davrel3::RunStatus::Cancelled);
  EXPECT_EQ(outcome.message, "The run was cancelled in task 1 at timestep 3");
  EXPECT_EQ(outcome.timesteps, (std::vector<long long>{3}));
  EXPECT_EQ(davrel3::RunStatusName(outcome.status), "cancelled");
  // Three timesteps of six agents' work were kept, nothing after them.
  EXPECT_GT(b.State().Task.PerformedCount, 0);
  EXPECT_LT(b.State().Task.PerformedCount, b.State().Task.NrOfUnits);
  EXPECT_FALSE(b.bench.StartEnabled());
  EXPECT_TRUE(b.bench.DefaultEnabled());
}
