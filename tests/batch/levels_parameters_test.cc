// Levels in parameter files: a version 2 file carries what the committed
// group's agents hold of their skills and brings it back, to the same record
// as a level file of the same levels, or as the group it was saved from;
// version 1 files still load, without levels, as before; a file whose levels
// are faulty, or of a larger group than the one committed, changes nothing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "experiment/level_file.h"
#include "experiment/parameter_file.h"
#include "experiment/record.h"
#include "experiment/session.h"
#include "experiment/sha256.h"
#include "run_batch.h"
#include "scratch_folder.h"

namespace davrel3 {
namespace {

using testing::RunBatch;

struct Folder : testing::ScratchFolder {
  Folder() : ScratchFolder("/tmp/davrel3-levels-par-XXXXXX") {}
};

// Where two records part, for a failure message short enough to read.
std::string FirstDifference(const nlohmann::json& a, const nlohmann::json& b, const std::string& path = "") {
  if (a.type() != b.type() || a.size() != b.size() || (!a.is_structured() && a != b)) {
    return path + ": " + a.dump().substr(0, 80) + " vs " + b.dump().substr(0, 80);
  }
  if (a.is_object()) {
    for (auto it = a.begin(); it != a.end(); ++it) {
      if (!b.contains(it.key())) return path + "/" + it.key() + " missing";
      if (*it != b[it.key()]) return FirstDifference(*it, b[it.key()], path + "/" + it.key());
    }
  } else if (a.is_array()) {
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i] != b[i]) return FirstDifference(a[i], b[i], path + "/" + std::to_string(i));
    }
  }
  return "equal";
}

// Eight agents of four skills with levels no profile gives: halves, a zero,
// motivation apart from expertise.
std::string OddLevelFile() {
  std::string text = "agent,skill,expertise,motivation\n";
  for (int a = 1; a <= 8; ++a) {
    for (int s = 1; s <= 5; ++s) {
      const double expertise = a == 4 ? 0.0 : 12.5 + (a * 3 + s) % 7;
      text += std::to_string(a) + "," + std::to_string(s) + "," + LevelText(expertise) + "," +
              LevelText(30.0 - expertise / 2) + "\n";
    }
  }
  return text;
}

TEST(ParameterFileLevels, ALevelFileRoundTripsThroughAParameterFile) {
  Folder folder;
  const std::string levels = folder.Write("odd.csv", OddLevelFile());
  const std::string saved = folder.path + "/with-levels.json";
  const auto save = RunBatch(
      {"--set", "NrofAg=8", "--set", "NrofSkills=5", "--levels", levels, "--save-parameters", saved});
  ASSERT_EQ(save.exitCode, 0) << save.out;
  const std::string text = folder.Read("with-levels.json");
  const auto file = nlohmann::json::parse(text);
  EXPECT_EQ(file["version"], 2);
  ASSERT_TRUE(file.contains("levels"));
  EXPECT_EQ(file["levels"]["agents"], 8);
  EXPECT_EQ(file["levels"]["expertise"][1][2], 12.5 + (2 * 3 + 3) % 7);
  EXPECT_EQ(file["levels"]["motivation"][3][0], 30.0);
  EXPECT_EQ(file["levels"]["initial_level"][1][2], 12.5 + (2 * 3 + 3) % 7);

  // The levels read back are the level file's, cell for cell.
  const auto read = ParameterFileLevels(text);
  ASSERT_TRUE(read.has_value());
  LevelTable expected = MakeLevelTable(8, 5);
  for (const LevelEntry& entry : ParseLevelFile(OddLevelFile())) {
    SetLevelAt(expected, LevelKind::Expertise, entry.Agent, entry.Skill, entry.Expertise);
    SetLevelAt(expected, LevelKind::Motivation, entry.Agent, entry.Skill, entry.Motivation);
  }
  EXPECT_TRUE(read->Levels == expected);
  EXPECT_EQ(read->InitialLevel, expected.Expertise);

  // The parameter file alone runs to the record of the level file, byte for
  // byte.
  const auto byParameters = RunBatch({"--parameters", saved, "--json"});
  const auto byLevelFile =
      RunBatch({"--set", "NrofAg=8", "--set", "NrofSkills=5", "--levels", levels, "--json"});
  ASSERT_EQ(byParameters.exitCode, 0) << byParameters.out;
  ASSERT_EQ(byLevelFile.exitCode, 0) << byLevelFile.out;
  EXPECT_EQ(byParameters.out, byLevelFile.out);
  // Without the levels the same parameters make another run.
  const auto plain = RunBatch({"--set", "NrofAg=8", "--set", "NrofSkills=5", "--json"});
  EXPECT_NE(plain.out, byParameters.out);

  // Saved again from that file: the same levels.
  const std::string again = folder.path + "/again.json";
  ASSERT_EQ(RunBatch({"--parameters", saved, "--save-parameters", again}).exitCode, 0);
  EXPECT_TRUE(ParameterFileLevels(folder.Read("again.json"))->Levels == expected);

  // The manifest names the parameter file and its hash as the levels' source,
  // and the table's levels column names the file.
  const std::string table = folder.path + "/table.csv";
  ASSERT_EQ(RunBatch({"--parameters", saved, "--sweep", "Bore=1,2", "--output", table}).exitCode, 0);
  const auto manifest = nlohmann::json::parse(folder.Read("table.csv.manifest.json"));
  EXPECT_EQ(manifest["levels"]["kind"], "parameters");
  EXPECT_EQ(manifest["levels"]["name"], "with-levels.json");
  EXPECT_EQ(manifest["levels"]["sha256"], Sha256Hex(text));
  EXPECT_NE(folder.Read("table.csv").find(",with-levels.json,"), std::string::npos);

  // A configuration brings its own profile: the file's levels are set aside.
  const auto configured = RunBatch({"--parameters", saved, "--config", "rotate", "--json"});
  const auto rotate = RunBatch({"--config", "rotate", "--json"});
  ASSERT_EQ(configured.exitCode, 0);
  EXPECT_EQ(nlohmann::json::parse(configured.out)["runs"][0]["agents"],
            nlohmann::json::parse(rotate.out)["runs"][0]["agents"]);
}

// A level file read after a parameter file that brings levels changes only
// the cells it lists; the manifest names both files, so a resumed table whose
// parameter file changed under the same name is refused.
TEST(ParameterFileLevels, ALevelFileLaidOverAParameterFileIsNamedWithIt) {
  Folder folder;
  const std::string saved = folder.path + "/with-levels.json";
  ASSERT_EQ(RunBatch({"--set", "NrofAg=8", "--set", "NrofSkills=5", "--levels", folder.Write("odd.csv", OddLevelFile()),
                      "--save-parameters", saved})
                .exitCode,
            0);
  const std::string parameters = folder.Read("with-levels.json");
  const std::string one = "agent,skill,expertise,motivation\n2,3,19,21\n";
  const std::string cell = folder.Write("one.csv", one);

  // The same levels as the odd file with agent 2's skill 3 changed.
  std::string changed = "agent,skill,expertise,motivation\n";
  for (const LevelEntry& entry : ParseLevelFile(OddLevelFile())) {
    const bool hit = entry.Agent == 2 && entry.Skill == 3;
    changed += std::to_string(entry.Agent) + "," + std::to_string(entry.Skill) + "," +
               LevelText(hit ? 19.0 : entry.Expertise) + "," + LevelText(hit ? 21.0 : entry.Motivation) + "\n";
  }
  const auto laid = RunBatch({"--parameters", saved, "--levels", cell, "--json"});
  const auto whole = RunBatch(
      {"--set", "NrofAg=8", "--set", "NrofSkills=5", "--levels", folder.Write("changed.csv", changed), "--json"});
  ASSERT_EQ(laid.exitCode, 0) << laid.out;
  ASSERT_EQ(whole.exitCode, 0) << whole.out;
  EXPECT_EQ(FirstDifference(nlohmann::json::parse(laid.out), nlohmann::json::parse(whole.out)), "equal");

  const std::string table = folder.path + "/table.csv";
  const std::vector<std::string> sweep = {"--parameters", saved, "--levels", cell, "--sweep", "Bore=1,2"};
  std::vector<std::string> first = sweep;
  first.insert(first.end(), {"--output", table});
  ASSERT_EQ(RunBatch(first).exitCode, 0);
  const nlohmann::json source = {
      {"kind", "file"},
      {"name", "one.csv"},
      {"sha256", Sha256Hex(one)},
      {"over", {{"kind", "parameters"}, {"name", "with-levels.json"}, {"sha256", Sha256Hex(parameters)}}}};
  EXPECT_EQ(nlohmann::json::parse(folder.Read("table.csv.manifest.json"))["levels"], source);
  std::vector<std::string> resume = sweep;
  resume.insert(resume.end(), {"--resume", table});
  EXPECT_EQ(RunBatch(resume).exitCode, 0);

  // The parameter file saved again with other levels: the same command no
  // longer continues the table, and the table is left as it was.
  const std::string before = folder.Read("table.csv");
  ASSERT_EQ(RunBatch({"--set", "NrofAg=8", "--set", "NrofSkills=5", "--levels", "rotation", "--save-parameters", saved})
                .exitCode,
            0);
  std::string line;
  for (const auto& arg : resume) line += " '" + arg + "'";
  const auto refused = testing::RunBatchShell(line, true);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_NE(refused.out.find("over the parameters with-levels.json (SHA-256 " + Sha256Hex(parameters).substr(0, 12)),
            std::string::npos)
      << refused.out;
  EXPECT_EQ(folder.Read("table.csv"), before);
}

// Saves the committed group of `bench` with its panel, loads the file into a
// fresh start-up as --parameters does, and returns that run's record.
std::string RecordFromSavedFile(Workbench& bench, bool withChoices) {
  SkillState held = CommittedSkillState(bench.State().System);
  const std::string text = SaveParameters(bench.Panel(), &held);
  InMemoryPanel fresh;
  Workbench again(fresh);
  StartUp(again);
  std::optional<SkillState> levels;
  LoadParameters(text, fresh, &levels);
  EXPECT_TRUE(levels.has_value() && levels->HasChoices);
  if (!withChoices) levels->HasChoices = false;
  again.OKButtonClick();
  ApplySkillState(again.State().System, *levels, "the test");
  const ParameterValues parameters = ReadParameters(fresh);
  return RunRecord(again, again.StartButtonClick(), parameters);
}

std::string RunOnce(Workbench& bench) {
  const ParameterValues parameters = ReadParameters(bench.Panel());
  return RunRecord(bench, bench.StartButtonClick(), parameters);
}

TEST(ParameterFileLevels, TheGroupASavedFileComesFromRunsAgainToTheSameRecord) {
  // A group given levels of its own after a commit, as the editor gives them.
  InMemoryPanel panel;
  Workbench bench(panel);
  StartUp(bench);
  panel.SetText(Field::NrofAg, "7");
  bench.OKButtonClick();
  ApplyLevels(bench.State().System, {{7, 2, 21.25, 3.5, 0}, {2, 5, 0.1, 24, 0}});
  const std::string fromFile = RecordFromSavedFile(bench, true);
  EXPECT_EQ(fromFile, RunOnce(bench));

  // After that run and a smaller task, as a user leaves the group: skills 3
  // to 5 are out of the task now, so the choices and drives the earlier run
  // left on them stay and show in the record. The file brings them back; the
  // history rows (levels, step work) and allocation cells that only the
  // earlier run wrote are that run's output, not the group's, and no file
  // carries them.
  panel.SetText(Field::Action, "2");
  bench.OKButtonClick();
  const auto withChoices = nlohmann::json::parse(RecordFromSavedFile(bench, true));
  const auto withoutChoices = nlohmann::json::parse(RecordFromSavedFile(bench, false));
  const auto there = nlohmann::json::parse(RunOnce(bench));
  for (const char* key : {"status", "parameters", "timesteps", "task_work", "work_time_grid", "agents",
                          "division_of_labour"}) {
    EXPECT_TRUE(withChoices[key] == there[key]) << key << FirstDifference(withChoices[key], there[key]);
  }
  EXPECT_NE(withoutChoices["agents"], there["agents"]);
}

TEST(ParameterFileLevels, VersionOneFilesStillLoadWithoutLevels) {
  InMemoryPanel panel;
  std::optional<SkillState> levels = SkillState{};
  LoadParameters(R"({"format": "davrel3-parameters", "version": 1,
                     "fields": {"NrofAg": {"text": "3", "position": 3}}, "items": {"HiLo": 1}})",
                 panel, &levels);
  EXPECT_EQ(panel.Text(Field::NrofAg), "3");
  EXPECT_EQ(panel.ItemIndex(Choice::HiLo), 1);
  EXPECT_FALSE(levels.has_value());
  // Saved now, the file is of version 2 and loads back the same texts.
  const std::string text = SaveParameters(panel);
  EXPECT_EQ(nlohmann::json::parse(text)["version"], 2);
  EXPECT_FALSE(nlohmann::json::parse(text).contains("levels"));
  InMemoryPanel back;
  LoadParameters(text, back);
  EXPECT_EQ(back.Text(Field::NrofAg), "3");

  // Headless, a version 1 file runs as the same texts typed do: the levels
  // stay the start-up profile's.
  Folder folder;
  const std::string old = folder.Write("old.json", R"({"format": "davrel3-parameters", "version": 1,
      "fields": {"NrofAg": {"text": "7", "position": 7}, "Bore": {"text": "50"}}, "items": {"HiLo": 2}})");
  const auto byFile = RunBatch({"--parameters", old, "--json"});
  const auto typed = RunBatch({"--set", "NrofAg=7", "--set", "Bore=50", "--skills", "high", "--json"});
  ASSERT_EQ(byFile.exitCode, 0) << byFile.out;
  EXPECT_EQ(byFile.out, typed.out);
  const std::string table = folder.path + "/old.csv";
  ASSERT_EQ(RunBatch({"--parameters", old, "--sweep", "Rest=1,2", "--output", table}).exitCode, 0);
  EXPECT_EQ(nlohmann::json::parse(folder.Read("old.csv.manifest.json"))["levels"]["kind"], "profile");
}

TEST(ParameterFileLevels, FaultyLevelsAreRefusedAndChangeNothing) {
  const std::string head = R"({"format": "davrel3-parameters", "version": 2,
      "fields": {"NrofAg": {"text": "2", "position": 2}}, "levels": )";
  struct Case {
    std::string text;
    std::string named;
  };
  const std::vector<Case> cases = {
      {head + R"({"agents": 1, "skills": 1, "expertise": [[1e400]], "motivation": [[1]]}})", "1e400"},
      {head + R"({"agents": 1, "skills": 2, "expertise": [[1]], "motivation": [[1, 2]]}})", "2 numbers"},
      {head + R"({"agents": 2, "skills": 1, "expertise": [[1], [2]], "motivation": [[1]]}})", "2 lists"},
      {head + R"({"agents": 1, "skills": 1, "expertise": [["nan"]], "motivation": [[1]]}})", "finite"},
      {head + R"({"agents": 101, "skills": 1000, "expertise": [], "motivation": []}})", "agents"},
      {head + R"([1, 2]})", "not an object"},
      {R"({"format": "davrel3-parameters", "version": 1, "levels": {}})", "version 2"},
      {R"({"format": "davrel3-parameters", "version": 3})", "versions 1 to 2"},
      // Decimals are levels only: elsewhere the reader stays strict.
      {R"({"format": "davrel3-parameters", "version": 2, "items": {"HiLo": 1.5}})", "whole number"},
      {R"({"format": "davrel3-parameters", "version": 2.0})", "whole number"},
      {head + R"({"agents": 1, "agents": 1}})", "twice"},
  };
  for (const Case& c : cases) {
    InMemoryPanel panel;
    panel.SetText(Field::NrofAg, "6");
    std::optional<SkillState> levels = SkillState{};
    levels->Levels = MakeLevelTable(2, 2);
    try {
      LoadParameters(c.text, panel, &levels);
      ADD_FAILURE() << "loaded: " << c.text;
    } catch (const ParameterFileError& error) {
      EXPECT_NE(std::string(error.what()).find(c.named), std::string::npos) << error.what();
    }
    EXPECT_EQ(panel.Text(Field::NrofAg), "6") << c.text;
    ASSERT_TRUE(levels.has_value());
    EXPECT_EQ(levels->Levels.Agents, 2);
  }

  // Headless, a faulty file is a bad option (exit 2): nothing runs.
  Folder folder;
  const std::string faulty = folder.Write("faulty.json", cases[3].text);
  const auto bad = testing::RunBatchShell("--parameters '" + faulty + "' --json", true);
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_EQ(bad.out.rfind("davrel3-batch: --parameters " + faulty + ": The parameter file's \"levels\": the "
                          "expertise of agent 1, skill 1 is not a finite number",
                          0),
            0u)
      << bad.out;

  // Levels of a larger group than the one committed: the file is sound but
  // the commit cannot take it, a refused commit (exit 1) as a level file
  // naming an agent outside the group is; nothing runs.
  const std::string path = folder.path + "/eight.json";
  ASSERT_EQ(RunBatch({"--set", "NrofAg=8", "--set", "NrofSkills=5", "--save-parameters", path}).exitCode, 0);
  const auto other = testing::RunBatchShell("--parameters '" + path + "' --set NrofAg=5 --json", false);
  EXPECT_EQ(other.exitCode, 1);
  const auto run = nlohmann::json::parse(other.out)["runs"][0];
  EXPECT_EQ(run["status"], "refused");
  EXPECT_EQ(run["message"], "The levels of the parameter file eight.json are for 8 agents of 5 skills, but the "
                            "committed group has 5 agents of 5 skills: no level was set");
  EXPECT_TRUE(run["timesteps"].empty());
  // Nothing of the file reached the agents: they hold the start-up profile's
  // (the file holds 19 and 18 there too, but 0 for agent 6 on).
  EXPECT_EQ(run["agents"][0]["skills"][0]["expertise"], 19.0);
  EXPECT_EQ(run["agents"][4]["skills"][0]["expertise"], 18.0);
  EXPECT_EQ(run["agents"].size(), 5u);
}

TEST(ParameterFileLevels, AStateFitsAGroupAtLeastItsSize) {
  InMemoryPanel panel;
  Workbench bench(panel);
  StartUp(bench);
  const SkillState before = CommittedSkillState(bench.State().System);
  ASSERT_EQ(before.Levels.Agents, 6);
  ASSERT_EQ(before.Levels.Skills, 5);

  // One agent or one skill too many: refused, nothing set.
  for (const auto& [agents, skills] : {std::pair{7, 5}, std::pair{6, 6}}) {
    SkillState larger;
    larger.Levels = RotationLevels(agents, skills);
    larger.InitialLevel = larger.Levels.Expertise;
    EXPECT_THROW(ApplySkillState(bench.State().System, larger, "the test"), LevelsRefused);
    EXPECT_TRUE(CommittedSkillState(bench.State().System) == before);
  }
  // A value that is not finite: refused, nothing set, not even the cells before it.
  SkillState infinite;
  infinite.Levels = RotationLevels(2, 2);
  infinite.InitialLevel = infinite.Levels.Expertise;
  infinite.InitialLevel[3] = std::numeric_limits<double>::infinity();
  EXPECT_THROW(ApplySkillState(bench.State().System, infinite, "the test"), LevelsRefused);
  EXPECT_TRUE(CommittedSkillState(bench.State().System) == before);

  // A smaller one sets its agents and skills; the rest keep theirs.
  SkillState smaller;
  smaller.Levels = RotationLevels(2, 3);
  smaller.InitialLevel.assign(6, 7.5);
  ApplySkillState(bench.State().System, smaller, "the test");
  const auto& agents = bench.State().System.Agents;
  EXPECT_EQ(agents[1].Skills[2].Expertise, RotationLevel(2, 3));
  EXPECT_EQ(agents[1].Skills[2].InitialLevel, 7.5);
  EXPECT_EQ(agents[1].Skills[3].Expertise, LevelAt(before.Levels, LevelKind::Expertise, 2, 4));
  EXPECT_EQ(agents[2].Skills[0].Motivation, LevelAt(before.Levels, LevelKind::Motivation, 3, 1));
}

}  // namespace
}  // namespace davrel3
