// The runner under a small memory budget with series kept: every run's
// result holds its per-timestep series until the runs before it are written,
// and the batch neither hangs (the test's time limit, CMakeLists.txt) nor
// writes anything that depends on the thread count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv_table.h"
#include "run_batch.h"
#include "scratch_folder.h"

namespace davrel3 {
namespace {

using testing::RunBatch;

TEST(RunnerMemory, SeriesRunsUnderASmallBudgetGiveTheSameTableAndSeriesOnAnyThreadCount) {
  testing::ScratchFolder folder;
  ASSERT_FALSE(folder.path.empty());
  // Runs of a few hundred to a few thousand timesteps, their series a few
  // megabytes each: a budget of 16M holds only a few runs and results at once.
  const std::vector<std::string> plan = {"--sweep", "Cycle=100:1500:100", "--sweep", "Fair=0,5",
                                         "--memory-budget", "16M"};
  std::string table, series;
  for (const char* threads : {"1", "2", "5"}) {
    std::vector<std::string> args = plan;
    const std::string seriesPath = folder.path + "/series-" + threads + ".csv";
    args.insert(args.end(), {"--threads", threads, "--series", seriesPath});
    const auto result = RunBatch(args);
    ASSERT_EQ(result.exitCode, 0) << threads;
    const std::string written = folder.Read("series-" + std::string(threads) + ".csv");
    if (table.empty()) {
      table = result.out;
      series = written;
      const auto rows = testing::ReadCsvTable(table);
      ASSERT_EQ(rows.rows.size(), 30u);
      for (std::size_t r = 0; r < rows.rows.size(); ++r) {
        EXPECT_EQ(rows.At(r, "status"), "finished") << rows.At(r, "message");
      }
      EXPECT_GT(series.size(), std::size_t{16} << 20) << "the series would fit the budget whole: the test proves nothing";
      continue;
    }
    EXPECT_TRUE(result.out == table) << threads << " threads wrote another table";
    EXPECT_TRUE(written == series) << threads << " threads wrote another series";
  }
}

}  // namespace
}  // namespace davrel3
