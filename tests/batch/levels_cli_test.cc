// --levels FILE: a level file gives a larger group exactly the run the same
// levels give in any other way; a file that does not fit is refused with its
// line and runs nothing; the manifest of a table names the file and its hash.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "experiment/level_file.h"
#include "experiment/sha256.h"
#include "run_batch.h"
#include "scratch_folder.h"

namespace davrel3 {
namespace {

using testing::RunBatch;

struct Folder : testing::ScratchFolder {
  Folder() : ScratchFolder("/tmp/davrel3-levels-cli-XXXXXX") {}
};

TEST(LevelsOption, ALevelFileGivesTheRunTheSameLevelsGiveOtherwise) {
  Folder folder;
  // The rotation pattern for ten agents, written as a level file.
  const std::string file = folder.Write("rotation.csv", LevelFileText(RotationLevels(10, 5)));
  const auto byFile = RunBatch({"--set", "NrofAg=10", "--levels", file, "--json"});
  const auto byRotation = RunBatch({"--set", "NrofAg=10", "--levels", "rotation", "--json"});
  ASSERT_EQ(byFile.exitCode, 0) << byFile.out;
  EXPECT_EQ(byFile.out, byRotation.out);
  // Agents 7 to 10 took part: without levels they stay at zero and idle.
  const auto record = nlohmann::json::parse(byFile.out)["runs"][0];
  EXPECT_EQ(record["agents"][9]["skills"][0]["initial_level"], 18.0);
  const auto plain = nlohmann::json::parse(RunBatch({"--set", "NrofAg=10", "--json"}).out)["runs"][0];
  EXPECT_NE(record["work_time_grid"], plain["work_time_grid"]);

  // Agents and skills it does not list keep what they hold.
  const std::string one = folder.Write("one.csv", "agent,skill,expertise,motivation\n2,3,21,4.5\n");
  const auto partial = nlohmann::json::parse(RunBatch({"--levels", one, "--json"}).out)["runs"][0];
  const auto startUp = nlohmann::json::parse(RunBatch({"--json"}).out)["runs"][0];
  EXPECT_NE(partial["work_time_grid"], startUp["work_time_grid"]);
  EXPECT_EQ(partial["agents"][1]["skills"][2]["initial_level"], 21.0);
  EXPECT_EQ(partial["agents"][1]["skills"][1]["initial_level"], startUp["agents"][1]["skills"][1]["initial_level"]);
  EXPECT_EQ(partial["parameters"], startUp["parameters"]);
}

TEST(LevelsOption, AFileThatDoesNotFitIsRefusedWithItsLineAndRunsNothing) {
  Folder folder;
  const std::string outside =
      folder.Write("outside.csv", "agent,skill,expertise,motivation\n1,1,14,14\n\n7,2,14,14\n");
  const auto r = testing::RunBatchShell("--levels '" + outside + "' --json", false);
  EXPECT_EQ(r.exitCode, 1);
  const auto run = nlohmann::json::parse(r.out)["runs"][0];
  EXPECT_EQ(run["status"], "refused");
  EXPECT_EQ(run["message"], "The level file " + outside +
                                ", line 4: agent 7 is not in the group, which has agents 1 to 6 (NrofAg)");
  EXPECT_TRUE(run["timesteps"].empty());
  // Nothing of the file reached the agents, not even its first good row.
  EXPECT_EQ(run["agents"][0]["skills"][0]["expertise"], 19.0);

  // The same file fits a group of seven.
  EXPECT_EQ(RunBatch({"--set", "NrofAg=7", "--levels", outside}).exitCode, 0);

  // Faults in the file itself stop the runner before anything runs.
  const std::string nan = folder.Write("nan.csv", "agent,skill,expertise,motivation\n1,1,14,nan\n");
  const auto bad = testing::RunBatchShell("--levels '" + nan + "'", true);
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_EQ(bad.out, "davrel3-batch: --levels: The level file " + nan +
                         ", line 2: the motivation 'nan' is not a finite number\n");
  EXPECT_EQ(testing::RunBatchShell("--levels '" + folder.path + "/none.csv'", true).exitCode, 2);
}

TEST(LevelsOption, TheManifestNamesTheLevelsSource) {
  Folder folder;
  const std::string text = "agent,skill,expertise,motivation\n1,1,12,13\n2,3,20,20\n";
  const std::string file = folder.Write("levels.csv", text);
  const std::string table = folder.path + "/design.csv";
  ASSERT_EQ(RunBatch({"--design", "--levels", file, "--threads", "2", "--output", table}).exitCode, 0);
  const auto manifest = nlohmann::json::parse(folder.Read("design.csv.manifest.json"));
  EXPECT_EQ(manifest["levels"]["kind"], "file");
  EXPECT_EQ(manifest["levels"]["name"], "levels.csv");
  EXPECT_EQ(manifest["levels"]["sha256"], Sha256Hex(text));
  EXPECT_NE(folder.Read("design.csv").find(",levels.csv,1,finished,"), std::string::npos);

  ASSERT_EQ(RunBatch({"--sweep", "ExpMax=25:26:1", "--config", "jobrot1", "--threads", "2", "--output", table})
                .exitCode,
            0);
  const auto profile = nlohmann::json::parse(folder.Read("design.csv.manifest.json"))["levels"];
  EXPECT_EQ(profile, nlohmann::json({{"kind", "profile"}, {"name", "ProfileRotationLow"}}));
  ASSERT_EQ(RunBatch({"--sweep", "ExpMax=25:26:1", "--levels", "rotation", "--threads", "2", "--output", table})
                .exitCode,
            0);
  EXPECT_EQ(nlohmann::json::parse(folder.Read("design.csv.manifest.json"))["levels"],
            nlohmann::json({{"kind", "rotation"}}));
}

TEST(LevelsOption, ResumedAndMergedTablesKeepTheLevelsSourceAndRefuseAnother) {
  Folder folder;
  const std::string first = "agent,skill,expertise,motivation\n1,1,12.5,13\n";
  const std::string levels = folder.Write("levels.csv", first);
  const std::vector<std::string> sweep = {"--sweep", "Bore=1,2,3,4", "--levels", levels};
  auto shard = [&](const std::string& k, const std::vector<std::string>& more) {
    std::vector<std::string> args = sweep;
    args.insert(args.end(), {"--shard", k});
    args.insert(args.end(), more.begin(), more.end());
    return RunBatch(args).exitCode;
  };
  const std::string a = folder.path + "/a.csv";
  const std::string b = folder.path + "/b.csv";
  ASSERT_EQ(shard("1/2", {"--output", a}), 0);
  ASSERT_EQ(shard("2/2", {"--output", b}), 0);
  const nlohmann::json source = {{"kind", "file"}, {"name", "levels.csv"}, {"sha256", Sha256Hex(first)}};

  // The whole table joined from its slices names the slices' levels, as a
  // fresh run's manifest does; so does a resumed one.
  const std::string merged = folder.path + "/merged.csv";
  ASSERT_EQ(RunBatch({"--merge", a, b, "--output", merged}).exitCode, 0);
  EXPECT_EQ(nlohmann::json::parse(folder.Read("merged.csv.manifest.json"))["levels"], source);
  ASSERT_EQ(shard("1/2", {"--resume", a}), 0);
  EXPECT_EQ(nlohmann::json::parse(folder.Read("a.csv.manifest.json"))["levels"], source);

  // The level file changed under the same name: the same command, other
  // levels. Neither resuming nor joining mixes them, and nothing is written.
  const std::string tableBefore = folder.Read("a.csv");
  folder.Write("levels.csv", "agent,skill,expertise,motivation\n1,1,14,13\n");
  std::vector<std::string> resume = sweep;
  resume.insert(resume.end(), {"--shard", "1/2", "--resume", a});
  std::string line;
  for (const auto& arg : resume) line += " '" + arg + "'";
  const auto refused = testing::RunBatchShell(line, true);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.out.find("was made with the levels of the file levels.csv (SHA-256 " +
                             Sha256Hex(first).substr(0, 12)),
            std::string::npos)
      << refused.out;
  EXPECT_EQ(folder.Read("a.csv"), tableBefore);
  ASSERT_EQ(shard("2/2", {"--output", b}), 0);
  const auto mixed = testing::RunBatchShell("--merge '" + a + "' '" + b + "' --output '" + folder.path + "/m2.csv'", true);
  EXPECT_EQ(mixed.exitCode, 2);
  EXPECT_NE(mixed.out.find("with the levels of"), std::string::npos) << mixed.out;
  EXPECT_FALSE(std::ifstream(folder.path + "/m2.csv").good());
}

}  // namespace
}  // namespace davrel3
