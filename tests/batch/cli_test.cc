// The runner's command line: what a researcher scripting experiments sees
// when an option is wrong, a commit is refused or a run does not finish.
#include <gtest/gtest.h>

#include <string>

#include <nlohmann/json.hpp>

#include "run_batch.h"

namespace {

using davrel3::testing::BatchResult;

BatchResult RunBatchCli(const std::string& args) { return davrel3::testing::RunBatchShell(args, true); }

TEST(BatchCli, BadOptionsExitWithStatus2AndSayWhy) {
  for (const char* args : {"--config nosuch", "--fit maybe", "--runs 0", "--set Nothing=3", "--set NrofAg",
                           "--levels flat", "--unknown"}) {
    const BatchResult r = RunBatchCli(args);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_FALSE(r.out.empty()) << args;
  }
}

TEST(BatchCli, RefusedCommitPrintsItsRecordAndExits1) {
  const BatchResult r = RunBatchCli("--set Var=3 --set Action=2 --json");
  EXPECT_EQ(r.exitCode, 1);
  const auto record = nlohmann::json::parse(r.out);
  ASSERT_EQ(record["runs"].size(), 1u);
  const auto& run = record["runs"][0];
  EXPECT_EQ(run["status"], "refused");
  EXPECT_EQ(run["message"], "Task variation exceeds number of actions");
  EXPECT_TRUE(run["timesteps"].empty());
  EXPECT_EQ(run["parameters"]["Var"], 3);
}

TEST(BatchCli, TextThatIsNotANumberIsRefusedWithTheConversionMessage) {
  const BatchResult r = RunBatchCli("--set ExpMax=abc --json");
  EXPECT_EQ(r.exitCode, 1);
  const auto run = nlohmann::json::parse(r.out)["runs"][0];
  EXPECT_EQ(run["status"], "refused");
  EXPECT_EQ(run["message"], "'abc' is not a valid integer value");
  EXPECT_TRUE(run["parameters"]["ExpMax"].is_null());
}

TEST(BatchCli, TypedValuesAreCommittedAsTyped) {
  const BatchResult r = RunBatchCli("--set ExpMax=150 --json");
  EXPECT_EQ(r.exitCode, 0);
  const auto run = nlohmann::json::parse(r.out)["runs"][0];
  EXPECT_EQ(run["parameters"]["ExpMax"], 150);
  EXPECT_EQ(run["status"], "finished");
}

TEST(BatchCli, StalledRunExits1AndSummaryNamesIt) {
  const BatchResult r = RunBatchCli("--config agentvariety");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("stalled"), std::string::npos);
  EXPECT_NE(r.out.find("task 1 at timestep 663"), std::string::npos);
}

TEST(BatchCli, SummaryShowsTheWorkTimeTable) {
  const BatchResult r = RunBatchCli("");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("finished"), std::string::npos);
  EXPECT_NE(r.out.find("Timesteps per task: 184"), std::string::npos);
  EXPECT_NE(r.out.find("MeanNoFit"), std::string::npos);
  EXPECT_NE(r.out.find("13047"), std::string::npos);
}

TEST(BatchCli, RotationLevelsApplyToTheCommittedGroup) {
  const BatchResult r = RunBatchCli("--set NrofAg=3 --set NrofSkills=7 --set Action=7 --levels rotation --json");
  const auto run = nlohmann::json::parse(r.out)["runs"][0];
  ASSERT_EQ(run["agents"].size(), 3u);
  // Agent 3, skill 7 (from 1): 14 + ((3 + 7 - 2) mod 5) = 17.
  EXPECT_EQ(run["agents"][2]["skills"][6]["initial_level"], 17.0);
  EXPECT_EQ(run["agents"][0]["skills"][0]["initial_level"], 14.0);
}

}  // namespace
