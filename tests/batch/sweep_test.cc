// Sweeps: the same table whatever the thread count, and the slices of a
// sharded sweep, each with its header, join into it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <set>
#include <stdexcept>
#include <sstream>

#include <nlohmann/json.hpp>

#include "experiment/sweep.h"
#include "experiment/table_writer.h"
#include "csv_table.h"
#include "run_batch.h"

namespace davrel3 {
namespace {

using testing::RunBatchShell;
using testing::RunShellCommand;

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
  // Every slice carries the header; below it, the slices' rows concatenate
  // into the whole table, and --merge joins the slices' files into it.
  const std::string header = Lines(one.out)[0] + "\n";
  const std::string folder = ::testing::TempDir() + "davrel3-sweep-" + std::to_string(::getpid());
  ASSERT_EQ(RunShellCommand("mkdir -p '" + folder + "'").exitCode, 0);
  std::string joined = header;
  std::string slices;
  for (int k = 1; k <= 3; ++k) {
    const std::string slice = folder + "/slice-" + std::to_string(k) + ".csv";
    const auto part = RunBatchShell(sweep + " --threads 2 --shard " + std::to_string(k) + "/3 --output '" + slice +
                                        "' && cat '" + slice + "'",
                                    false);
    ASSERT_EQ(part.exitCode, 0);
    ASSERT_EQ(part.out.rfind(header, 0), 0u) << "slice " << k << " has no header";
    joined += part.out.substr(header.size());
    slices = " '" + slice + "'" + slices;  // in reverse: the runs give the order
  }
  EXPECT_EQ(joined, one.out);
  EXPECT_EQ(RunBatchShell("--merge" + slices, false).out, one.out);
  RunShellCommand("rm -rf '" + folder + "'");

  // 3 x 3 points, one task each, numbered in order, first sweep slowest.
  const auto table = davrel3::testing::ReadCsvTable(one.out);
  ASSERT_EQ(table.rows.size(), 9u);
  EXPECT_EQ(Lines(one.out)[0].rfind("run,NrofAg,NrofSkills,", 0), 0u);
  const auto cells = [&](std::size_t r) {
    return table.At(r, "run") + "," + table.At(r, "LearnSpeed") + "," + table.At(r, "Bore") + "," +
           table.At(r, "fit") + "," + table.At(r, "newcomer") + "," + table.At(r, "skills") + "," +
           table.At(r, "task");
  };
  EXPECT_EQ(cells(0), "1,40,100,No Fit,Specialist,Low,1");
  EXPECT_EQ(cells(1), "2,40,50,No Fit,Specialist,Low,1");
  EXPECT_EQ(cells(8), "9,100,0,No Fit,Specialist,Low,1");
}

TEST(Sweep, APointEqualsTheSessionWithItsTextTyped) {
  // The swept value is typed after the others and committed with OK, as
  // --set would be: the row holds that session's timesteps and work times.
  const auto swept = davrel3::testing::ReadCsvTable(RunBatchShell("--sweep ExpMax=30:30:1", false).out);
  ASSERT_EQ(swept.rows.size(), 1u);
  const auto record = nlohmann::json::parse(RunBatchShell("--set ExpMax=30 --json", false).out)["runs"][0];
  ASSERT_EQ(swept.columns.size(), 1u + 22 + 3 + 6 + 6 + 4 + 3);
  EXPECT_EQ(swept.At(0, "ExpMax"), "30");
  EXPECT_EQ(swept.At(0, "status"), "finished");
  EXPECT_EQ(std::stoll(swept.At(0, "timesteps")), record["timesteps"][0].get<long long>());
  for (int j = 0; j < 6; ++j) {
    EXPECT_EQ(std::stod(swept.At(0, "agent_" + std::to_string(j + 1))), record["task_work"][0][j].get<double>()) << j;
  }
}

TEST(Sweep, WithTheDesignEveryPointRunsTheEighteenConditions) {
  const auto lines = Lines(RunBatchShell("--design --sweep Rest=0:100:100 --threads 2", false).out);
  const auto table = davrel3::testing::ReadCsvTable(RunBatchShell("--design --sweep Rest=0:100:100 --threads 2", false).out);
  ASSERT_EQ(table.rows.size(), 2u * 18);
  const auto lead = [&](std::size_t r) {
    return table.At(r, "run") + "," + table.At(r, "Rest") + "," + table.At(r, "fit") + "," +
           table.At(r, "newcomer") + "," + table.At(r, "skills");
  };
  EXPECT_EQ(lead(0), "1,0,No Fit,None,Low");
  EXPECT_EQ(lead(17), "18,0,Fit,Generalist,High");
  EXPECT_EQ(lead(18), "19,100,No Fit,None,Low");
  // The second point is the plain design (Rest 100 is the start-up value,
  // typed here): the same rows but for their run numbers.
  const auto design = Lines(RunBatchShell("--design", false).out);
  ASSERT_EQ(design.size(), 19u);
  EXPECT_EQ(lines[0], design[0]);
  for (std::size_t r = 1; r < design.size(); ++r) {
    const std::string row = lines[18 + r];
    const std::string plain = design[r];
    EXPECT_EQ(row.substr(row.find(',')), plain.substr(plain.find(','))) << r;
    EXPECT_EQ(row.substr(0, row.find(',')), std::to_string(18 + r));
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
  const auto result = RunBatchShell("--sweep NrofAg=0:1:1", false);
  EXPECT_EQ(result.exitCode, 0);  // in a table a refused run is data
  const auto table = davrel3::testing::ReadCsvTable(result.out);
  ASSERT_EQ(table.rows.size(), 2u);
  // One agent column: the largest group a run commits, not the start-up's six.
  EXPECT_TRUE(table.Has("agent_1"));
  EXPECT_FALSE(table.Has("agent_2"));
  EXPECT_EQ(table.At(0, "NrofAg"), "0");
  EXPECT_EQ(table.At(0, "status"), "refused");
  EXPECT_EQ(table.At(0, "message"), "The number of agents (NrofAg) must be at least 1");
  for (const char* empty :
       {"task", "timesteps", "agent_1", "slow", "sum", "mean_nofit", "mean_fit", "dol", "dol_before", "dol_after"}) {
    EXPECT_EQ(table.At(0, empty), "") << empty;
  }
  EXPECT_EQ(table.At(1, "run"), "2");
  EXPECT_EQ(table.At(1, "task"), "1");
  EXPECT_NE(table.At(1, "agent_1"), "");
}

}  // namespace
}  // namespace davrel3

namespace davrel3 {
namespace {

// An error of the program inside a run (anything but the refusals a commit
// expects) is that run's failed row, with its message, among the others'
// rows: the worker, the failed row and the table's CSV together, as a batch
// puts them together.
TEST(Sweep, AnErrorInsideARunBecomesItsFailedRowWithItsMessage) {
  SessionOptions options;
  options.config = "rotate";
  options.levelsRotation = true;
  for (int threads : {1, 3}) {
    std::vector<TableRow> rows;
    const auto outcome = RunInOrder<TableRun>(
        0, 6, threads, nullptr,
        [&](long long run, RunGuard& guard) -> std::optional<TableRun> {
          if (run == 2) throw std::logic_error("the grid lost a column, \"7\"");
          if (run == 4) throw std::out_of_range("");
          return RunGuarded(options, std::nullopt, run + 1, false, guard);
        },
        [&](long long run, const std::string& message) { return FailedRun(options, run + 1, message); },
        [&](long long, TableRun& result) { rows.insert(rows.end(), result.rows.begin(), result.rows.end()); });
    EXPECT_EQ(outcome.emitted, 6);
    EXPECT_FALSE(outcome.unrecorded.has_value());
    const auto table = testing::ReadCsvTable(TableText(rows, 6));
    ASSERT_EQ(table.rows.size(), 6u) << threads;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
      EXPECT_EQ(table.At(r, "run"), std::to_string(r + 1));
      EXPECT_EQ(table.At(r, "config"), "rotate");
      EXPECT_EQ(table.At(r, "levels"), "rotation");
      const bool failed = r == 2 || r == 4;
      EXPECT_EQ(table.At(r, "status") == "failed", failed) << r;
      // A failed row has no task and no numbers.
      EXPECT_EQ(table.At(r, "task").empty(), failed) << r;
      EXPECT_EQ(table.At(r, "timesteps").empty(), failed) << r;
    }
    EXPECT_EQ(table.At(2, "message"), "the grid lost a column, \"7\"");
    EXPECT_EQ(table.At(4, "message"), "the run ended with an error that gave no reason");
    EXPECT_EQ(table.At(3, "message"), "");
  }
}

TEST(Points, MessagesQuoteBadBytesAsValidUtf8AndCountCellsRightly) {
  PointTable table;
  const auto badName = ParsePoints("Nrof\xff" "Ag,Dur\n3,5\n", "p\xfe.csv", table);
  ASSERT_TRUE(badName);
  EXPECT_EQ(*badName,
            "p\xEF\xBF\xBD.csv line 1: 'Nrof\xEF\xBF\xBD" "Ag' is not a field (a parameter field other than "
            "EntTurnAgent, or fit, newcomer, skills, config)");
  EXPECT_TRUE(table.columns.empty()) << "a refused file left a half-read table";
  const auto badValue = ParsePoints("NrofAg,fit\n3,\xc3\n", "p.csv", table);
  ASSERT_TRUE(badValue);
  EXPECT_NE(badValue->find("'\xEF\xBF\xBD' is not one of"), std::string::npos) << *badValue;
  const auto one = ParsePoints("NrofAg,Dur\n3\n", "p.csv", table);
  ASSERT_TRUE(one);
  EXPECT_EQ(*one, "p.csv line 2: the row has 1 cell, the header 2 cells");
  const auto header = ParsePoints("Dur\n3,4\n", "p.csv", table);
  ASSERT_TRUE(header);
  EXPECT_EQ(*header, "p.csv line 2: the row has 2 cells, the header 1 cell");
}

}  // namespace
}  // namespace davrel3
