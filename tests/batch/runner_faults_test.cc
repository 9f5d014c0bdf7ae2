// The runner where its surroundings fail it: a full disk, a reader that goes
// away, a tight memory budget, a thread count the machine cannot start and a
// long stream of records.
#include <gtest/gtest.h>

#include <filesystem>

#include <nlohmann/json.hpp>

#include "csv_table.h"
#include "run_batch.h"
#include "spawn_batch.h"

namespace davrel3 {
namespace {

using json = nlohmann::json;
using testing::BatchProcess;
using testing::RunBatch;
using testing::RunBatchShell;
using testing::RunShellCommand;
using testing::RunnerFolder;
using testing::Slurp;

// Standard error of the runner whose standard output goes to `target`.
testing::BatchResult ErrorsWritingTo(const std::string& args, const std::string& target) {
  return RunShellCommand(std::string(DAVREL3_BATCH_EXE) + " " + args + " 2>&1 >" + target);
}

TEST(RunnerOutput, AFullDiskOrAReaderThatGoesAwayIsExit3WithTheReason) {
  for (const std::string args : {"--design", "--json", "--runs 3 --json", "--sweep Dur=5,10", "",
                                  "--sweep Dur=5,10 --dry-run", "--version"}) {
    const auto full = ErrorsWritingTo(args, "/dev/full");
    EXPECT_EQ(full.exitCode, 3) << args;
    EXPECT_EQ(full.out, "davrel3-batch: cannot write to standard output: No space left on device\n") << args;
  }
  // A pipe whose reader stops after 100 bytes: a failed write too, not a
  // death by SIGPIPE.
  RunnerFolder folder("pipe");
  const std::string err = folder / "err", status = folder / "status";
  RunShellCommand("( " DAVREL3_BATCH_EXE " --design --sweep LearnSpeed=1:20:1 2>'" + err + "'; echo $? >'" + status +
                  "' ) | head -c 100 >/dev/null");
  EXPECT_EQ(Slurp(status), "3\n");
  EXPECT_EQ(Slurp(err), "davrel3-batch: cannot write to standard output: Broken pipe\n");
}

TEST(RunnerOutput, OutputReplacesTheFileWholeWithACompleteManifest) {
  RunnerFolder folder("output");
  const std::string table = folder / "design.csv";
  { std::ofstream(table) << "the old table\n"; }
  const auto written = RunBatch({"--design", "--output", table});
  EXPECT_EQ(written.exitCode, 0);
  EXPECT_EQ(written.out, "");
  EXPECT_TRUE(Slurp(table) == RunBatch({"--design"}).out);
  const json manifest = json::parse(Slurp(table + ".manifest.json"));
  EXPECT_EQ(manifest["complete"], true);
  EXPECT_EQ(manifest["runs"], 18);
  EXPECT_EQ(manifest["plan_runs"], 18);
  EXPECT_EQ(manifest["first_run"], 1);
  EXPECT_EQ(manifest["last_run"], 18);
  EXPECT_GT(manifest["memory_budget"].get<long long>(), 0);
  EXPECT_EQ(folder.Files(), 2u) << "a temporary file was left behind";

  // Where the table cannot go, the old file stays and nothing is left beside it.
  const auto device = RunBatchShell("--design --output /dev/full", true);
  EXPECT_EQ(device.exitCode, 3);
  EXPECT_NE(device.out.find("cannot write the table '/dev/full'"), std::string::npos) << device.out;
  std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (::access(folder.Path().c_str(), W_OK) != 0) {  // root writes anyway
    const auto locked = RunBatchShell("--design --set Dur=7 --output '" + table + "'", true);
    EXPECT_EQ(locked.exitCode, 3);
    EXPECT_NE(locked.out.find("cannot write the table"), std::string::npos) << locked.out;
  }
  std::filesystem::permissions(folder.Path(), std::filesystem::perms::owner_all);
  EXPECT_TRUE(Slurp(table) == RunBatch({"--design"}).out);
}

TEST(RunnerStreaming, ManyRunsWithJsonAreOneDocumentEvenWhenInterrupted) {
  const auto forty = RunBatch({"--runs", "40", "--json"});
  EXPECT_EQ(forty.exitCode, 0);
  EXPECT_EQ(json::parse(forty.out)["runs"].size(), 40u);

  // Records go out as runs end: an interrupt finds some already written, and
  // the output is still one JSON document.
  RunnerFolder folder("stream");
  BatchProcess batch({"--runs", "1000000", "--json"}, folder / "out", folder / "err");
  ASSERT_TRUE(batch.Started());
  ASSERT_TRUE(batch.WaitFor([&] { return Slurp(folder / "out").size() > 200000; })) << batch.Err();
  batch.Signal(SIGINT);
  EXPECT_EQ(batch.Wait(), 130);
  json records;
  ASSERT_NO_THROW(records = json::parse(batch.Out()));
  const std::size_t runs = records["runs"].size();
  EXPECT_GE(runs, 1u);
  for (const auto& run : records["runs"]) EXPECT_EQ(run["status"], "finished");
  EXPECT_NE(batch.Err().find("interrupted after run " + std::to_string(runs) + " of 1000000"), std::string::npos)
      << batch.Err();
}

// Groups of 20 to 50 agents of 100 skills need 5 to 12 MiB each: two of the
// larger ones do not fit into 16 MiB together, and one of 200 agents does
// not fit alone.
const std::string kTightPlan =
    "--sweep NrofAg=20,40,200,50 --sweep Dur=5,50 --set NrofSkills=100 --set Cycle=40 --memory-budget 16M";

TEST(RunnerMemory, ARunTooLargeForTheBudgetFailsAloneAndTheRowsDoNotDependOnTheThreads) {
  const auto one = RunBatchShell(kTightPlan + " --threads 1", false);
  ASSERT_EQ(one.exitCode, 0);
  const auto table = testing::ReadCsvTable(one.out);
  ASSERT_EQ(table.rows.size(), 8u);
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    if (table.At(r, "NrofAg") == "200") {
      EXPECT_EQ(table.At(r, "status"), "failed");
      EXPECT_NE(table.At(r, "message").find("more than the memory budget of 16 MiB (--memory-budget)"),
                std::string::npos)
          << table.At(r, "message");
    } else {
      EXPECT_EQ(table.At(r, "status"), "finished") << table.At(r, "message");
    }
  }
  for (const char* threads : {"2", "4"}) {
    EXPECT_TRUE(RunBatchShell(kTightPlan + " --threads " + threads, false).out == one.out) << threads << " threads";
  }
  // Sizes as users write them, and nothing else.
  for (const std::string size : {"16", "1M", "12Q", "-5G", "99999999999999999999G", ""}) {
    const auto refused = testing::RunBatchErrors("--design --memory-budget '" + size + "'");
    EXPECT_EQ(refused.exitCode, 2) << size;
    EXPECT_NE(refused.out.find("--memory-budget"), std::string::npos) << refused.out;
  }
}

TEST(RunnerWorkers, AThousandThreadsGiveTheRowsOfOne) {
  const std::string plan = "--sweep Dur=5:100:5 --sweep fit=nofit,fit";
  const auto one = RunBatchShell(plan + " --threads 1", false);
  const auto many = RunBatchShell(plan + " --threads 1024", true);
  EXPECT_EQ(one.exitCode, 0);
  EXPECT_EQ(many.exitCode, 0);
  EXPECT_TRUE(many.out == one.out) << many.out.substr(0, 300);
}

}  // namespace
}  // namespace davrel3
