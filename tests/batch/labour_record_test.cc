// The division of labour in the runner's JSON record: the counts per agent
// and skill column agree with the allocation grid of the same record, and
// the three values are the index of those counts.
#include <gtest/gtest.h>

#include <sstream>

#include <nlohmann/json.hpp>

#include "model/division_of_labour.h"
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
