// davrel3-batch against the reference records: the whole --json record of
// five runs, the summary of every case, and the design table. Floats must be
// equal exactly; only the wording of messages is free.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "csv_table.h"
#include "run_batch.h"

using nlohmann::json;

namespace {

using davrel3::testing::BatchResult;
using davrel3::testing::RunBatch;

json ReadJson(const std::string& name) {
  std::ifstream in(std::string(DAVREL3_GOLDEN_DIR) + "/" + name);
  EXPECT_TRUE(in.good()) << "missing reference file " << name;
  return json::parse(in);
}

// Collects up to a few differences between got and want (want's keys only).
void Diff(const json& got, const json& want, const std::string& path, std::vector<std::string>& out) {
  if (out.size() >= 5) return;
  if (want.is_number() && got.is_number()) {
    if (got.get<double>() != want.get<double>()) out.push_back(path + ": got " + got.dump() + ", want " + want.dump());
  } else if (want.is_array() && got.is_array()) {
    if (got.size() != want.size()) {
      out.push_back(path + ": length " + std::to_string(got.size()) + ", want " + std::to_string(want.size()));
      return;
    }
    for (std::size_t i = 0; i < want.size(); ++i) Diff(got[i], want[i], path + "[" + std::to_string(i) + "]", out);
  } else if (want.is_object() && got.is_object()) {
    for (const auto& [key, value] : want.items()) {
      if (key == "message") continue;
      if (!got.contains(key)) {
        out.push_back(path + "." + key + ": missing");
      } else {
        Diff(got[key], value, path + "." + key, out);
      }
    }
  } else if (got != want) {
    out.push_back(path + ": got " + got.dump() + ", want " + want.dump());
  }
}

std::vector<std::string> ArgsOf(const json& list) {
  std::vector<std::string> args;
  for (const auto& a : list) args.push_back(a.get<std::string>());
  return args;
}

class RecordTest : public testing::TestWithParam<const char*> {};

TEST_P(RecordTest, WholeRecordEqualsReference) {
  const json reference = ReadJson(GetParam());
  auto args = ArgsOf(reference["args"]);
  args.push_back("--json");
  const BatchResult result = RunBatch(args);
  ASSERT_TRUE(result.exitCode == 0 || result.exitCode == 1) << "exit " << result.exitCode;
  std::vector<std::string> problems;
  Diff(json::parse(result.out), reference["record"], "", problems);
  for (const auto& p : problems) ADD_FAILURE() << p;
  const bool allFinished = reference["record"]["runs"][0]["status"] == "finished";
  EXPECT_EQ(result.exitCode, allFinished ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Golden, RecordTest,
                         testing::Values("startup.json", "fit-generalist-high.json", "config-rotate.json",
                                         "config-variety.json", "config-agentvariety.json"));

TEST(GoldenCases, EveryCaseSummaryEqualsReference) {
  const json cases = ReadJson("cases.json");
  ASSERT_GT(cases.size(), 40u);
  for (const auto& c : cases) {
    auto args = ArgsOf(c["args"]);
    args.push_back("--json");
    const BatchResult result = RunBatch(args);
    json summary = json::array();
    const json got = json::parse(result.out);
    for (const auto& run : got["runs"]) {
      summary.push_back({{"status", run["status"]},
                         {"timesteps", run["timesteps"]},
                         {"history_length", run["history_length"]},
                         {"work_time_grid", run["work_time_grid"]}});
    }
    std::vector<std::string> problems;
    Diff(summary, c["runs"], "runs", problems);
    for (const auto& p : problems) ADD_FAILURE() << c["args"].dump() << " " << p;
  }
}

// The reference table has the columns of an older, shorter table; every one
// of them must be in the runner's table with the same values.
TEST(GoldenDesign, DesignTableEqualsReference) {
  const BatchResult result = RunBatch({"--design"});
  EXPECT_EQ(result.exitCode, 0);
  std::ifstream wantFile(std::string(DAVREL3_GOLDEN_DIR) + "/design.csv");
  std::stringstream wantText;
  wantText << wantFile.rdbuf();
  const auto got = davrel3::testing::ReadCsvTable(result.out);
  const auto want = davrel3::testing::ReadCsvTable(wantText.str());
  ASSERT_EQ(got.rows.size(), want.rows.size());
  ASSERT_EQ(got.rows.size(), 18u);
  for (std::size_t c = 0; c < want.columns.size(); ++c) {
    const std::string& column = want.columns[c];
    ASSERT_TRUE(got.Has(column)) << column;
    for (std::size_t r = 0; r < want.rows.size(); ++r) {
      if (c < 5) {
        EXPECT_EQ(got.At(r, column), want.rows[r][c]) << "row " << r << " column " << column;
      } else {
        EXPECT_EQ(std::stod(got.At(r, column)), std::stod(want.rows[r][c])) << "row " << r << " column " << column;
      }
    }
  }
}

}  // namespace
