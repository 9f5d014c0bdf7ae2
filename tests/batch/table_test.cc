// The runner's tables: every row describes the run it comes from, and equals
// the single run it stands for; the manifest identifies the table; plans that
// cannot be run are refused before any row.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "csv_table.h"
#include "experiment/sha256.h"
#include "run_batch.h"

namespace davrel3 {
namespace {

using nlohmann::json;
using testing::CsvTable;
using testing::ReadCsvTable;
using testing::RunBatch;
using testing::RunBatchShell;

const char* const kFields[] = {"NrofAg",   "NrofSkills", "InhPar",     "ExcPar",      "ExpRate", "MotRate",
                               "LearnInt", "MotMax",     "MotThresh",  "Bore",        "Rest",    "Fair",
                               "ExpMax",   "ExpThresh",  "LearnSpeed", "ForgetSpeed", "Cycle",   "Action",
                               "Var",      "NrOfTasks",  "Dur",        "EntTurnAgent"};
const char* const kFitLabels[] = {"No Fit", "Fit"};
const char* const kNewcomerLabels[] = {"None", "Specialist", "Generalist"};
const char* const kSkillLabels[] = {"Low", "Mod", "High"};

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "davrel3-table-" + std::to_string(::getpid()) + "-" + name;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The single run's record, by the runner's --json.
json Record(const std::vector<std::string>& args) {
  auto all = args;
  all.push_back("--json");
  const auto result = RunBatch(all);
  return json::parse(result.out)["runs"][0];
}

// Row r of the table says what the record says: every parameter as read at
// START, the condition labels, status, message, timesteps, agent work times.
void ExpectRowIsRecord(const CsvTable& table, std::size_t r, const json& record, int task = 1) {
  SCOPED_TRACE("row " + std::to_string(r));
  const json& parameters = record["parameters"];
  for (const char* field : kFields) {
    const std::string expected = parameters[field].is_null() ? "" : std::to_string(parameters[field].get<int>());
    EXPECT_EQ(table.At(r, field), expected) << field;
  }
  EXPECT_EQ(table.At(r, "fit"), kFitLabels[parameters["FitNoFit"].get<int>()]);
  EXPECT_EQ(table.At(r, "newcomer"), kNewcomerLabels[parameters["Newcomer"].get<int>()]);
  EXPECT_EQ(table.At(r, "skills"), kSkillLabels[parameters["HiLo"].get<int>()]);
  EXPECT_EQ(table.At(r, "status"), record["status"].get<std::string>());
  EXPECT_EQ(table.At(r, "message"), record["message"].get<std::string>());
  if (record["status"] == "refused") {
    EXPECT_EQ(table.At(r, "task"), "");
    EXPECT_EQ(table.At(r, "timesteps"), "");
    return;
  }
  EXPECT_EQ(table.At(r, "task"), std::to_string(task));
  EXPECT_EQ(std::stoll(table.At(r, "timesteps")), record["timesteps"][task - 1].get<long long>());
  const int agents = parameters["NrofAg"].get<int>();
  for (int j = 0; j < agents; ++j) {
    EXPECT_EQ(std::stod(table.At(r, "agent_" + std::to_string(j + 1))), record["task_work"][task - 1][j].get<double>())
        << j;
  }
}

TEST(Table, DesignRowsAreTheRecordsOfTheDefinedConditions) {
  const auto result = RunBatch({"--design", "--set", "Cycle=120", "--threads", "2"});
  ASSERT_EQ(result.exitCode, 0);
  const auto table = ReadCsvTable(result.out);
  ASSERT_EQ(table.rows.size(), 18u);
  const char* fits[] = {"nofit", "fit"};
  const char* newcomers[] = {"none", "specialist", "generalist"};
  const char* skills[] = {"low", "mod", "high"};
  for (int r : {0, 4, 8, 12, 17}) {
    EXPECT_EQ(table.At(r, "run"), std::to_string(r + 1));
    EXPECT_EQ(table.At(r, "config"), "");
    EXPECT_EQ(table.At(r, "levels"), "");
    ExpectRowIsRecord(table, r,
                      Record({"--set", "Cycle=120", "--fit", fits[r / 9], "--newcomer", newcomers[r / 3 % 3],
                              "--skills", skills[r % 3], "--define"}));
  }
}

TEST(Table, ListsConditionSweepsConfigurationsAndPointsEqualTheirSingleRuns) {
  // A list is the range with the same values.
  const auto list = RunBatchShell("--sweep Rest=0,50,100 --threads 2", false);
  const auto range = RunBatchShell("--sweep Rest=0:100:50", false);
  ASSERT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.out, range.out);

  // Condition items: selected, then Define, as --design applies them.
  const auto items = ReadCsvTable(RunBatchShell("--sweep fit=fit,nofit --sweep newcomer=generalist,none", false).out);
  ASSERT_EQ(items.rows.size(), 4u);
  ExpectRowIsRecord(items, 0, Record({"--fit", "fit", "--newcomer", "generalist", "--define"}));
  ExpectRowIsRecord(items, 3, Record({"--fit", "nofit", "--newcomer", "none", "--define"}));

  // Configurations, as --config, with their group sizes: as many agent
  // columns as the largest group.
  const auto configs = RunBatchShell("--sweep config=twoagents,jobrot2 --levels rotation", false);
  ASSERT_EQ(configs.exitCode, 0);
  const auto table = ReadCsvTable(configs.out);
  ASSERT_EQ(table.rows.size(), 2u);
  EXPECT_EQ(table.At(0, "config"), "twoagents");
  EXPECT_EQ(table.At(1, "levels"), "rotation");
  ExpectRowIsRecord(table, 0, Record({"--config", "twoagents", "--levels", "rotation"}));
  ExpectRowIsRecord(table, 1, Record({"--config", "jobrot2", "--levels", "rotation"}));
  const int largest = std::max(std::stoi(table.At(0, "NrofAg")), std::stoi(table.At(1, "NrofAg")));
  EXPECT_TRUE(table.Has("agent_" + std::to_string(largest)));
  EXPECT_FALSE(table.Has("agent_" + std::to_string(largest + 1)));

  // Points made elsewhere, one session per row, with the fields typed last.
  const std::string points = TempPath("points.csv");
  WriteFile(points, "NrofAg,Dur,skills\n3,5,high\n\"7\",12,low\n2,abc,mod\n");
  EXPECT_EQ(RunBatch({"--points", points}).exitCode, 2);  // 'abc' is not a number: refused before any run
  WriteFile(points, "NrofAg,Dur,skills\n3,5,high\n\"7\",12,low\n0,8,mod\n");
  const auto pointRun = RunBatch({"--points", points, "--set", "Cycle=90", "--threads", "2"});
  ASSERT_EQ(pointRun.exitCode, 0);
  const auto pointTable = ReadCsvTable(pointRun.out);
  ASSERT_EQ(pointTable.rows.size(), 3u);
  EXPECT_TRUE(pointTable.Has("agent_7"));
  EXPECT_FALSE(pointTable.Has("agent_8"));
  ExpectRowIsRecord(pointTable, 0,
                    Record({"--set", "Cycle=90", "--skills", "high", "--set", "NrofAg=3", "--set", "Dur=5", "--define"}));
  ExpectRowIsRecord(pointTable, 1,
                    Record({"--set", "Cycle=90", "--skills", "low", "--set", "NrofAg=7", "--set", "Dur=12", "--define"}));
  ExpectRowIsRecord(pointTable, 2,
                    Record({"--set", "Cycle=90", "--skills", "mod", "--set", "NrofAg=0", "--set", "Dur=8", "--define"}));
  // With the design, every point runs the 18 conditions.
  WriteFile(points, "NrofAg,Dur\n3,5\n7,12\n0,8\n");
  const auto pointDesign = RunBatch({"--points", points, "--design", "--dry-run"});
  EXPECT_EQ(pointDesign.out, "runs: 54\nrows: 54\n");
  std::remove(points.c_str());
}

TEST(Table, DryRunCountsWhatTheRunWrites) {
  const std::string sweep = "--sweep NrOfTasks=1,3 --sweep NrofAg=0:2:1";
  const auto dry = RunBatchShell(sweep + " --dry-run", false);
  ASSERT_EQ(dry.exitCode, 0);
  const auto table = ReadCsvTable(RunBatchShell(sweep, false).out);
  // NrofAg 0 is refused: one row; the others one row per task.
  EXPECT_EQ(dry.out, "runs: 6\nrows: " + std::to_string(table.rows.size()) + "\n");
  EXPECT_EQ(table.rows.size(), 1u + 1 + 1 + 1 + 3 + 3);
  EXPECT_EQ(RunBatchShell(sweep + " --dry-run --shard 2/2", false).out, "runs: 3\nrows: 7\n");
}

TEST(Table, ManifestIdentifiesTheTableItWasWrittenWith) {
  const std::string table = TempPath("design.csv");
  const auto result = RunBatch({"--design", "--set", "Dur=20", "--output", table});
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "");  // the table went to the file
  const std::string text = ReadFile(table);
  EXPECT_EQ(text, RunBatch({"--design", "--set", "Dur=20"}).out);
  const json manifest = json::parse(ReadFile(table + ".manifest.json"));
  EXPECT_EQ(manifest["format"], "davrel3-table-manifest");
  EXPECT_EQ(manifest["sha256"], Sha256Hex(text));
  EXPECT_EQ(manifest["runs"], 18);
  EXPECT_EQ(manifest["rows"], 18);
  EXPECT_EQ(manifest["schema_version"], 2);
  EXPECT_EQ(manifest["table"], table.substr(table.rfind('/') + 1));
  const auto version = RunBatch({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ("davrel3-batch " + manifest["version"].get<std::string>() + "\n", version.out);
  const std::vector<std::string> line = manifest["command_line"];
  ASSERT_EQ(line.size(), 6u);
  EXPECT_EQ(line[1], "--design");
  EXPECT_EQ(line[3], "Dur=20");
  EXPECT_LE(manifest["started"].get<std::string>(), manifest["ended"].get<std::string>());
  EXPECT_EQ(manifest["ended"].get<std::string>().size(), 20u);
  std::remove(table.c_str());
  std::remove((table + ".manifest.json").c_str());

  // A table that cannot be written is an error of its own.
  const auto unwritable = RunBatchShell("--design --output /nonexistent-folder/t.csv", true);
  EXPECT_EQ(unwritable.exitCode, 3);
  EXPECT_NE(unwritable.out.find("cannot write the table '/nonexistent-folder/t.csv'"), std::string::npos);
}

TEST(Table, PlansThatCannotRunAreRefusedWithExit2BeforeAnyRow) {
  const std::string missing = TempPath("missing.csv");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"--design --json", "--json prints the records of single runs"},
      {"--sweep Dur=1:3:1 --runs 2", "--runs repeats START"},
      {"--design --fit fit", "--fit, --newcomer and --skills would be ignored"},
      {"--design --define", "--define would be ignored"},
      {"--design --sweep fit=nofit,fit", "--sweep fit varies a condition item"},
      {"--sweep Dur=1:3:1 --sweep Dur=5,6", "Dur is swept twice"},
      {"--sweep Dur=1:3:1 --set Dur=4", "--set Dur would be ignored"},
      {"--sweep config=twoagents --config spec", "--config would be ignored"},
      {"--sweep Nothing=1:2:1", "unknown field 'Nothing'"},
      {"--sweep Dur=5:1:1", "the range is empty"},
      {"--sweep Dur=", "no values"},
      {"--design --set ExpMax=abc", "would be refused: 'abc' is not a valid integer value"},
      {"--design --set NrofAg=0", "would be refused: The number of agents (NrofAg) must be at least 1"},
      {"--output t.csv", "--output applies to a table"},
      {"--dry-run", "--dry-run applies to a table"},
      {"--threads 2", "--threads applies to a table"},
      {"--points " + missing, "--points: cannot read"},
      {"--parameters " + missing, "--parameters: cannot read"},
      {"--sweep Var=0:99999:1 --sweep Cycle=0:99999:1", "more than 1000000000 runs"},
  };
  for (const auto& [args, reason] : cases) {
    const auto out = RunBatchShell(args, false);
    EXPECT_EQ(out.exitCode, 2) << args;
    EXPECT_EQ(out.out, "") << args;  // no row, no header
    const auto err = testing::RunBatchErrors(args);
    EXPECT_NE(err.out.find(reason), std::string::npos) << args << ": " << err.out;
    EXPECT_EQ(err.out.rfind("davrel3-batch: ", 0), 0u) << err.out;
    EXPECT_EQ(std::count(err.out.begin(), err.out.end(), '\n'), 1) << err.out;  // one line
  }
  // In a table a refused run is data; a single run's refusal keeps exit 1.
  EXPECT_EQ(RunBatchShell("--sweep NrofAg=0,1", false).exitCode, 0);
  EXPECT_EQ(RunBatchShell("--set NrofAg=0", false).exitCode, 1);
}

// A path that is not UTF-8 (a file name made on another system) is quoted
// with its bad bytes replaced, whichever option names it.
TEST(Table, PathsThatAreNotUtf8AreMendedInMessages) {
  const std::string bad = TempPath("caf\xe9\xff.csv");
  for (const std::string option : {"--points", "--parameters", "--levels", "--design --resume", "--merge",
                                   "--design --output"}) {
    const std::string path = option == "--design --output" ? bad + "/table.csv" : bad;
    const auto err = testing::RunBatchErrors(option + " '" + path + "'");
    EXPECT_NE(err.exitCode, 0) << option;
    EXPECT_EQ(err.out.find('\xff'), std::string::npos) << option << ": " << err.out;
    EXPECT_EQ(err.out.find('\xe9'), std::string::npos) << option << ": " << err.out;
    EXPECT_NE(err.out.find("caf\xEF\xBF\xBD"), std::string::npos) << option << ": " << err.out;
    EXPECT_EQ(err.out.rfind("davrel3-batch: ", 0), 0u) << err.out;
  }
  // Such names are mended in the manifest too, and a resume with the same
  // command finds it made by that command and with those levels.
  const std::string levels = TempPath("l\xff.csv");
  { std::ofstream(levels) << "agent,skill,expertise,motivation\n1,1,15,15\n"; }
  const std::string command = "--sweep Dur=5,6 --levels '" + levels + "' ";
  ASSERT_EQ(RunBatchShell(command + "--output '" + bad + "'", false).exitCode, 0);
  const auto resumed = RunBatchShell(command + "--resume '" + bad + "'", true);
  EXPECT_EQ(resumed.exitCode, 0) << resumed.out;
  // The parser's own messages quote arguments too.
  const auto parse = testing::RunBatchErrors("--config 'n\xffo'");
  EXPECT_EQ(parse.exitCode, 2);
  EXPECT_EQ(parse.out.find('\xff'), std::string::npos) << parse.out;
}

TEST(Table, SeriesHoldsTheRecordsHistoryAndJoinsTheTableByRun) {
  const std::string series = TempPath("series.csv");
  const auto result = RunBatch({"--sweep", "NrofAg=2,3", "--set", "NrofSkills=2", "--set", "Action=2", "--set",
                                "Cycle=20", "--series", series});
  ASSERT_EQ(result.exitCode, 0);
  const auto table = ReadCsvTable(result.out);
  const auto rows = ReadCsvTable(ReadFile(series));
  ASSERT_EQ(rows.columns, (std::vector<std::string>{"run", "task", "timestep", "agent", "skill", "expertise",
                                                     "motivation", "step_work"}));
  const json second =
      Record({"--set", "NrofSkills=2", "--set", "Action=2", "--set", "Cycle=20", "--set", "NrofAg=3"});
  long long expected = 0;
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    expected += std::stoll(table.At(r, "timesteps")) * std::stoll(table.At(r, "NrofAg")) * 2;
  }
  ASSERT_EQ(static_cast<long long>(rows.rows.size()), expected);
  std::size_t checked = 0;
  for (std::size_t i = 0; i < rows.rows.size(); ++i) {
    if (rows.At(i, "run") != "2") continue;
    const int t = std::stoi(rows.At(i, "timestep")), a = std::stoi(rows.At(i, "agent")) - 1,
              s = std::stoi(rows.At(i, "skill")) - 1;
    EXPECT_EQ(std::stod(rows.At(i, "expertise")), second["expertise"][t][a][s].get<double>()) << i;
    EXPECT_EQ(std::stod(rows.At(i, "motivation")), second["motivation"][t][a][s].get<double>()) << i;
    EXPECT_EQ(std::stod(rows.At(i, "step_work")), second["step_work"][t][a].get<double>()) << i;
    ++checked;
  }
  EXPECT_EQ(checked, second["timesteps"][0].get<std::size_t>() * 3 * 2);
  // Single runs write it too, numbered by START.
  ASSERT_EQ(RunBatch({"--runs", "2", "--set", "Cycle=20", "--series", series}).exitCode, 0);
  const auto single = ReadCsvTable(ReadFile(series));
  EXPECT_EQ(single.At(0, "run"), "1");
  EXPECT_EQ(single.At(single.rows.size() - 1, "run"), "2");
  std::remove(series.c_str());
}

TEST(Table, ASavedParameterFileRunsToTheSameRecord) {
  const std::string file = TempPath("parameters.json");
  const std::vector<std::string> options = {"--set", "NrofAg=4", "--set", "Dur=7", "--set", "Cycle=150",
                                            "--newcomer", "generalist"};
  auto save = options;
  save.insert(save.end(), {"--save-parameters", file});
  ASSERT_EQ(RunBatch(save).exitCode, 0);
  const json saved = json::parse(ReadFile(file));
  EXPECT_EQ(saved["fields"]["NrofAg"]["text"], "4");
  EXPECT_EQ(saved["items"]["Newcomer"], 2);
  const json direct = Record(options);
  const json loaded = Record({"--parameters", file});
  EXPECT_EQ(loaded, direct);
  // The file applies first; options after it still change what it set.
  EXPECT_EQ(Record({"--parameters", file, "--set", "Dur=9"})["parameters"]["Dur"], 9);
  WriteFile(file, "{\"format\": \"something else\"}");
  const auto bad = RunBatchShell("--parameters " + file + " --design", true);
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.out.find("is not a parameter file"), std::string::npos) << bad.out;
  std::remove(file.c_str());
}

}  // namespace
}  // namespace davrel3
