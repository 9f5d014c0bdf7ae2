// Sweeps: the same table whatever the thread count, and the slices of a
// sharded sweep concatenate into it.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "experiment/sweep.h"
#include "run_batch.h"

namespace davrel3 {
namespace {

using testing::RunBatchShell;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(Sweep, RowsAreTheSameForOneAndTwoThreadsAndForTheUnionOfThreeShards) {
  const std::string sweep = "--sweep LearnSpeed=40:100:30 --sweep Bore=100:0:-50";
  const auto one = RunBatchShell(sweep + " --threads 1", false);
  const auto two = RunBatchShell(sweep + " --threads 2", false);
  ASSERT_EQ(one.exitCode, 0);
  EXPECT_EQ(one.out, two.out);
  std::string joined;
  for (int k = 1; k <= 3; ++k) joined += RunBatchShell(sweep + " --threads 2 --shard " + std::to_string(k) + "/3", false).out;
  EXPECT_EQ(joined, one.out);

  // 3 x 3 points, one task each, numbered in order, first sweep slowest.
  const auto lines = Lines(one.out);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0].rfind("run,LearnSpeed,Bore,fit,newcomer,skills,task,status,timesteps,agent_1,", 0), 0u);
  EXPECT_EQ(lines[1].rfind("1,40,100,No Fit,Specialist,Low,1,", 0), 0u);
  EXPECT_EQ(lines[2].rfind("2,40,50,", 0), 0u);
  EXPECT_EQ(lines[9].rfind("9,100,0,", 0), 0u);
}

TEST(Sweep, APointEqualsTheSessionWithItsTextTyped) {
  // The swept value is typed after the others and committed with OK, as
  // --set would be: the row holds that session's timesteps and work times.
  const auto swept = Lines(RunBatchShell("--sweep ExpMax=30:30:1", false).out);
  ASSERT_EQ(swept.size(), 2u);
  const auto record = nlohmann::json::parse(RunBatchShell("--set ExpMax=30 --json", false).out)["runs"][0];
  std::vector<std::string> cells;
  std::istringstream row(swept[1]);
  for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
  ASSERT_EQ(cells.size(), 2u + 6 + 6 + 4);
  EXPECT_EQ(cells[1], "30");
  EXPECT_EQ(cells[6], "finished");
  EXPECT_EQ(std::stoll(cells[7]), record["timesteps"][0].get<long long>());
  for (int j = 0; j < 6; ++j) EXPECT_EQ(std::stod(cells[8 + j]), record["task_work"][0][j].get<double>()) << j;
}

TEST(Sweep, WithTheDesignEveryPointRunsTheEighteenConditions) {
  const auto lines = Lines(RunBatchShell("--design --sweep Rest=0:100:100 --threads 2", false).out);
  ASSERT_EQ(lines.size(), 1u + 2 * 18);
  EXPECT_EQ(lines[1].rfind("1,0,No Fit,None,Low,", 0), 0u);
  EXPECT_EQ(lines[18].rfind("18,0,Fit,Generalist,High,", 0), 0u);
  EXPECT_EQ(lines[19].rfind("19,100,No Fit,None,Low,", 0), 0u);
  // The second point is the plain design (Rest 100 is the start-up value).
  const auto design = Lines(RunBatchShell("--design", false).out);
  for (std::size_t r = 1; r < design.size(); ++r) {
    const std::string row = lines[18 + r];
    EXPECT_EQ(row.substr(row.find(',', row.find(',') + 1) + 1), design[r]) << r;
  }
}

TEST(Sweep, BadSweepsAndShardsAreRefused) {
  Sweep s;
  EXPECT_FALSE(ParseSweep("Cycle=10:50:10", s).has_value());
  EXPECT_EQ(s.Count(), 5);
  EXPECT_FALSE(ParseSweep("Var=3:-3:-3", s).has_value());
  EXPECT_EQ(s.ValueAt(2), -3);
  for (const char* bad : {"Cycle", "Cycle=1:2", "Cycle=1:5:0", "Cycle=5:1:1", "Nothing=1:2:1", "Cycle=a:2:1",
                          "EntTurnAgent=1:2:1"}) {
    EXPECT_TRUE(ParseSweep(bad, s).has_value()) << bad;
  }
  long long k = 0, n = 0;
  EXPECT_FALSE(ParseShard("2/3", k, n).has_value());
  for (const char* bad : {"0/3", "4/3", "3", "a/b", "1/0"}) EXPECT_TRUE(ParseShard(bad, k, n).has_value()) << bad;
  // The slices cover every run once, in order.
  for (long long runs : {0LL, 1LL, 7LL, 18LL, 100LL}) {
    long long next = 0;
    for (long long shard = 1; shard <= 7; ++shard) {
      long long first = 0, last = 0;
      ShardRange(runs, shard, 7, first, last);
      EXPECT_EQ(first, next);
      next = last;
    }
    EXPECT_EQ(next, runs);
  }
  EXPECT_EQ(RunBatchShell("--sweep Cycle=1:5:0", true).exitCode, 2);
  EXPECT_EQ(RunBatchShell("--sweep Cycle=1:5:1 --json", true).exitCode, 2);
  EXPECT_EQ(RunBatchShell("--shard 1/2", true).exitCode, 2);
}

TEST(Sweep, ARunThatIsRefusedStillHasItsRow) {
  const auto lines = Lines(RunBatchShell("--sweep NrofAg=0:1:1", false).out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "1,0,No Fit,Specialist,Low,,refused,,,,,,");
  EXPECT_EQ(lines[2].rfind("2,1,No Fit,Specialist,Low,1,", 0), 0u);
}

}  // namespace
}  // namespace davrel3
