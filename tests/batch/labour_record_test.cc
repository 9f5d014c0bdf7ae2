// The division of labour in the runner's JSON record: the counts per agent
// and skill column agree with the allocation grid of the same record, and
// the three values are the index of those counts.
#include <gtest/gtest.h>

#include <sstream>

#include <nlohmann/json.hpp>

#include "model/division_of_labour.h"
#include "csv_table.h"
#include "run_batch.h"

using nlohmann::json;

namespace davrel3 {
namespace {

using testing::RunBatch;

json RecordOf(const std::vector<std::string>& args) {
  std::vector<std::string> all = args;
  all.push_back("--json");
  const auto result = RunBatch(all);
  EXPECT_EQ(result.exitCode, 0);
  return json::parse(result.out)["runs"][0];
}

std::optional<double> ValueOf(const json& cell) {
  if (cell.is_null()) return std::nullopt;
  return cell.get<double>();
}

// The counts of task 0 from the grid texts "t/a" (run-wide timestep and agent, from 1).
std::vector<std::int64_t> GridCounts(const json& run, int agents, int skills, int entrance, bool after) {
  std::vector<std::int64_t> counts(static_cast<std::size_t>(agents) * skills, 0);
  const json& grid = run["allocation_grid"];
  for (int s = 1; s <= skills; ++s) {
    for (std::size_t c = 1; c < grid[s].size(); ++c) {
      const std::string text = grid[s][c].get<std::string>();
      if (text.empty()) continue;
      std::istringstream in(text);
      long long timestep = 0;
      char slash = 0;
      int agent = 0;
      in >> timestep >> slash >> agent;
      if ((timestep - 1 >= entrance) == after) counts[static_cast<std::size_t>(agent - 1) * skills + (s - 1)] += 1;
    }
  }
  return counts;
}

TEST(LabourRecord, CountsMatchTheAllocationGridAndGiveTheValues) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {}, {"--fit", "fit", "--newcomer", "generalist", "--skills", "high", "--define"}}) {
    const json run = RecordOf(args);
    ASSERT_EQ(run["status"], "finished");
    const json& labour = run["division_of_labour"];
    ASSERT_EQ(labour.size(), 1u);
    const json& task = labour[0];
    EXPECT_EQ(task["task"], 1);
    const int agents = static_cast<int>(task["units"].size());
    ASSERT_EQ(agents, 6);
    const int skills = static_cast<int>(task["units"][0]["before"].size());
    ASSERT_GT(skills, 1);
    const int entrance = run["parameters"]["EntTurnAgent"].get<int>();
    std::vector<std::int64_t> before, after, all;
    for (int a = 0; a < agents; ++a) {
      for (int s = 0; s < skills; ++s) {
        before.push_back(task["units"][a]["before"][s].get<std::int64_t>());
        after.push_back(task["units"][a]["after"][s].get<std::int64_t>());
        all.push_back(before.back() + after.back());
      }
    }
    EXPECT_EQ(before, GridCounts(run, agents, skills, entrance, false));
    EXPECT_EQ(after, GridCounts(run, agents, skills, entrance, true));
    EXPECT_EQ(ValueOf(task["dol"]), LabourIndex(all, agents, skills));
    EXPECT_EQ(ValueOf(task["dol_before"]), LabourIndex(before, agents, skills));
    EXPECT_EQ(ValueOf(task["dol_after"]), LabourIndex(after, agents, skills));
    ASSERT_TRUE(task["dol_after"].is_number());
  }
}

TEST(LabourRecord, UndefinedValuesAreNull) {
  // A task of 20 cycles ends long before the entrance at timestep 101: no
  // unit after the entrance.
  const json late = RecordOf({"--set", "Cycle=20"});
  ASSERT_EQ(late["status"], "finished");
  EXPECT_TRUE(late["division_of_labour"][0]["dol_after"].is_null());
  EXPECT_TRUE(late["division_of_labour"][0]["dol_before"].is_number());
  // A task without units: every value is null, every count 0.
  const json empty = RecordOf({"--set", "Cycle=0"});
  ASSERT_EQ(empty["status"], "finished");
  ASSERT_EQ(empty["division_of_labour"].size(), 1u);
  const json& task = empty["division_of_labour"][0];
  EXPECT_TRUE(task["dol"].is_null());
  EXPECT_TRUE(task["dol_before"].is_null());
  EXPECT_TRUE(task["dol_after"].is_null());
  EXPECT_EQ(task["units"][0]["before"][0], 0);
}

}  // namespace
}  // namespace davrel3

namespace davrel3 {
namespace {

// The three values a record's unit counts give for task `k`.
LabourMeasures MeasuresFromRecord(const json& run, int k) {
  const json& units = run["division_of_labour"][k]["units"];
  const int agents = static_cast<int>(units.size());
  const int skills = agents > 0 ? static_cast<int>(units[0]["before"].size()) : 0;
  std::vector<std::int64_t> before, after, all;
  for (int a = 0; a < agents; ++a) {
    for (int s = 0; s < skills; ++s) {
      before.push_back(units[a]["before"][s].get<std::int64_t>());
      after.push_back(units[a]["after"][s].get<std::int64_t>());
      all.push_back(before.back() + after.back());
    }
  }
  return {LabourIndex(all, agents, skills), LabourIndex(before, agents, skills), LabourIndex(after, agents, skills)};
}

void ExpectCell(const std::string& cell, const std::optional<double>& value, const std::string& where) {
  if (!value) {
    EXPECT_EQ(cell, "") << where;
  } else {
    ASSERT_NE(cell, "") << where;
    EXPECT_EQ(std::stod(cell), *value) << where;
  }
}

TEST(LabourTable, DesignColumnsEqualTheIndexOfEachConditionsRecord) {
  const auto design = RunBatch({"--design", "--threads", "2"});
  ASSERT_EQ(design.exitCode, 0);
  const auto table = testing::ReadCsvTable(design.out);
  ASSERT_EQ(table.rows.size(), 18u);
  for (const char* column : {"dol", "dol_before", "dol_after"}) ASSERT_TRUE(table.Has(column)) << column;
  // Three conditions, each replayed as a single run with its full record.
  for (std::size_t r : {0u, 4u, 16u}) {
    const std::string fit = table.At(r, "fit") == "Fit" ? "fit" : "nofit";
    std::string newcomer = table.At(r, "newcomer");
    std::string skills = table.At(r, "skills");
    for (auto* text : {&newcomer, &skills}) {
      for (auto& c : *text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const json run = RecordOf({"--fit", fit, "--newcomer", newcomer, "--skills", skills, "--define"});
    const LabourMeasures m = MeasuresFromRecord(run, 0);
    const std::string where = "design row " + std::to_string(r);
    ExpectCell(table.At(r, "dol"), m.dol, where);
    ExpectCell(table.At(r, "dol_before"), m.dolBefore, where);
    ExpectCell(table.At(r, "dol_after"), m.dolAfter, where);
    // Without a newcomer the entrance (timestep 501) comes after the task's end.
    EXPECT_EQ(table.At(r, "dol_after") == "", newcomer == "none") << where;
  }
}

TEST(LabourTable, SweepColumnsEqualTheIndexOfEachPointsRecord) {
  // Cycle 20 ends before the entrance (no value after it), Cycle 0 performs nothing.
  const auto sweep = RunBatch({"--sweep", "Cycle=0,20,60", "--threads", "1"});
  ASSERT_EQ(sweep.exitCode, 0);
  const auto table = testing::ReadCsvTable(sweep.out);
  ASSERT_EQ(table.rows.size(), 3u);
  for (std::size_t r = 0; r < 3; ++r) {
    const json run = RecordOf({"--set", "Cycle=" + table.At(r, "Cycle")});
    const LabourMeasures m = MeasuresFromRecord(run, 0);
    const std::string where = "Cycle " + table.At(r, "Cycle");
    ExpectCell(table.At(r, "dol"), m.dol, where);
    ExpectCell(table.At(r, "dol_before"), m.dolBefore, where);
    ExpectCell(table.At(r, "dol_after"), m.dolAfter, where);
  }
  EXPECT_EQ(table.At(0, "dol"), "");
  EXPECT_NE(table.At(1, "dol"), "");
  EXPECT_EQ(table.At(1, "dol_after"), "");
}

}  // namespace
}  // namespace davrel3
