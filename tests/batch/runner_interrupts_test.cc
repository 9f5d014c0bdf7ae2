// The runner under interrupts, resumes and joins, as a user or a scheduler
// meets it: a signal sent to a running sweep, --resume of what it left,
// --merge of slices, and tables and manifests edited or cut by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "csv_table.h"
#include "run_batch.h"
#include "spawn_batch.h"

namespace davrel3 {
namespace {

using json = nlohmann::json;
using testing::BatchProcess;
using testing::RunBatch;
using testing::RunnerFolder;
using testing::Slurp;
using testing::WholeLines;

// 360 runs of one row each: long enough to be interrupted early on, short
// enough to run whole.
const std::vector<std::string> kPlan = {"--design", "--sweep", "LearnSpeed=1:20:1"};
constexpr long long kPlanRuns = 360;

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// The uninterrupted table of kPlan, made once.
const std::string& WholeTable() {
  static const std::string table = [] {
    const auto result = RunBatch(With(kPlan, {"--threads", "2"}));
    EXPECT_EQ(result.exitCode, 0);
    return result.out;
  }();
  return table;
}

// Checks that `table` is the header and the first runs of the whole table,
// every run whole, and returns how many runs it holds.
long long CheckPrefix(const std::string& table) {
  const std::string& whole = WholeTable();
  EXPECT_FALSE(table.empty());
  EXPECT_EQ(table.back(), '\n') << "the table ends inside a row";
  EXPECT_EQ(whole.compare(0, table.size(), table), 0) << "the table is not a prefix of the whole one";
  const auto rows = testing::ReadCsvTable(table);
  for (std::size_t r = 0; r < rows.rows.size(); ++r) EXPECT_EQ(rows.At(r, "run"), std::to_string(r + 1));
  return static_cast<long long>(rows.rows.size());
}

json Manifest(const std::string& table) { return json::parse(Slurp(table + ".manifest.json")); }

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(RunnerInterrupts, SigintEndsTheStreamOnAWholeRunWithExit130) {
  RunnerFolder folder("sigint");
  BatchProcess batch(With(kPlan, {"--threads", "2"}), folder / "out", folder / "err");
  ASSERT_TRUE(batch.Started());
  ASSERT_TRUE(batch.WaitFor([&] { return WholeLines(batch.Out()) >= 6; })) << batch.Err();
  batch.Signal(SIGINT);
  EXPECT_EQ(batch.Wait(), 130);
  const long long runs = CheckPrefix(batch.Out());
  EXPECT_GE(runs, 5);
  EXPECT_LT(runs, kPlanRuns);
  EXPECT_NE(batch.Err().find("interrupted after run " + std::to_string(runs) + " of " + std::to_string(kPlanRuns)),
            std::string::npos)
      << batch.Err();
}

TEST(RunnerInterrupts, SigtermWithOutputLeavesAPartialTableThatResumeCompletesByteForByte) {
  RunnerFolder folder("sigterm");
  const std::string table = folder / "t.csv";
  Write(table, "the old table\n");
  BatchProcess batch(With(kPlan, {"--threads", "1", "--output", table}), folder / "out", folder / "err");
  ASSERT_TRUE(batch.Started());
  // The table grows beside its name; the name keeps the old one meanwhile.
  ASSERT_TRUE(batch.WaitFor([&] {
    const std::string growing = folder.Find("t.csv.tmp-");
    return !growing.empty() && WholeLines(Slurp(growing)) >= 6;
  })) << batch.Err();
  EXPECT_EQ(Slurp(table), "the old table\n");
  batch.Signal(SIGTERM);
  EXPECT_EQ(batch.Wait(), 143);
  EXPECT_EQ(batch.Out(), "");

  const long long runs = CheckPrefix(Slurp(table));
  EXPECT_LT(runs, kPlanRuns);
  const json partial = Manifest(table);
  EXPECT_EQ(partial["complete"], false);
  EXPECT_EQ(partial["runs"], runs);
  EXPECT_EQ(partial["plan_runs"], kPlanRuns);
  EXPECT_NE(batch.Err().find("interrupted after run " + std::to_string(runs) + " of 360; " + table +
                             " holds them (--resume " + table + " continues it)"),
            std::string::npos)
      << batch.Err();
  EXPECT_EQ(folder.Files(), 4u) << "a temporary file was left behind";  // t.csv, its manifest, out, err

  // Resumed on another thread count, the table ends as one uninterrupted run
  // writes it.
  const auto resumed = RunBatch(With(kPlan, {"--threads", "2", "--resume", table}));
  EXPECT_EQ(resumed.exitCode, 0);
  EXPECT_EQ(resumed.out, "");
  EXPECT_TRUE(Slurp(table) == WholeTable()) << "the resumed table differs from an uninterrupted one";
  const json whole = Manifest(table);
  EXPECT_EQ(whole["complete"], true);
  EXPECT_EQ(whole["runs"], kPlanRuns);
  EXPECT_EQ(whole["sha256"].get<std::string>().size(), 64u);
  // A complete table resumed again stays as it is.
  EXPECT_EQ(RunBatch(With(kPlan, {"--resume", table})).exitCode, 0);
  EXPECT_TRUE(Slurp(table) == WholeTable());
}

// A plan whose measure (a dry commit of every run of the whole plan, to size
// the agent columns) takes a good part of a second, while its slice has only
// a few runs.
const std::vector<std::string> kSlowMeasure = {"--sweep", "Bore=0:999:1", "--sweep", "LearnSpeed=1:20:1",
                                               "--shard", "1/5000"};
constexpr long long kSlowMeasureRuns = 4;

TEST(RunnerInterrupts, AnInterruptBeforeTheFirstRunEndsTheTableAfterNoRunAndResumeContinuesIt) {
  RunnerFolder folder("before-first");
  const std::string whole = RunBatch(kSlowMeasure).out;
  ASSERT_EQ(WholeLines(whole), 1 + kSlowMeasureRuns);
  const std::string total = " of " + std::to_string(kSlowMeasureRuns);

  // To standard output: the header alone, a whole line.
  {
    BatchProcess batch(With(kSlowMeasure, {"--threads", "2"}), folder / "out", folder / "err");
    ASSERT_TRUE(batch.Started());
    ASSERT_TRUE(batch.WaitFor([&] { return batch.CatchesInterrupts(); })) << batch.Err();
    batch.Signal(SIGINT);
    EXPECT_EQ(batch.Wait(), 130);
    const std::string out = batch.Out();
    EXPECT_EQ(WholeLines(out), 1) << out;
    EXPECT_EQ(out.rfind("run,", 0), 0u) << out;
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(batch.Err(), "davrel3-batch: interrupted after run 0" + total + "\n");
  }

  // To a file: the header and a manifest that says the table is not
  // complete, which --resume continues into the whole table.
  const std::string table = folder / "t.csv";
  {
    BatchProcess batch(With(kSlowMeasure, {"--output", table}), folder / "out", folder / "err");
    ASSERT_TRUE(batch.Started());
    ASSERT_TRUE(batch.WaitFor([&] { return batch.CatchesInterrupts(); })) << batch.Err();
    batch.Signal(SIGTERM);
    EXPECT_EQ(batch.Wait(), 143);
    EXPECT_EQ(batch.Out(), "");
    EXPECT_EQ(batch.Err(), "davrel3-batch: interrupted after run 0" + total + "; " + table + " holds them (--resume " +
                               table + " continues it)\n");
  }
  const std::string partial = Slurp(table);
  EXPECT_EQ(WholeLines(partial), 1) << partial;
  EXPECT_EQ(partial.rfind("run,", 0), 0u) << partial;
  const json manifest = Manifest(table);
  EXPECT_EQ(manifest["complete"], false);
  EXPECT_EQ(manifest["runs"], 0);
  EXPECT_EQ(manifest["plan_runs"], 20000);
  EXPECT_EQ(folder.Files(), 4u) << "a temporary file was left behind";  // t.csv, its manifest, out, err

  // Interrupted again before its first run, the resume leaves the table as
  // it was, still to be continued.
  {
    BatchProcess batch(With(kSlowMeasure, {"--resume", table}), folder / "out", folder / "err");
    ASSERT_TRUE(batch.Started());
    ASSERT_TRUE(batch.WaitFor([&] { return batch.CatchesInterrupts(); })) << batch.Err();
    batch.Signal(SIGINT);
    EXPECT_EQ(batch.Wait(), 130);
    EXPECT_NE(batch.Err().find("interrupted after run 0" + total + "; "), std::string::npos) << batch.Err();
    EXPECT_TRUE(Slurp(table) == partial);
    EXPECT_EQ(Manifest(table)["complete"], false);
  }

  const auto resumed = RunBatch(With(kSlowMeasure, {"--resume", table}));
  EXPECT_EQ(resumed.exitCode, 0);
  EXPECT_TRUE(Slurp(table) == whole) << "the resumed table differs from an uninterrupted one";
  EXPECT_EQ(Manifest(table)["complete"], true);
}

TEST(RunnerInterrupts, ResumeRefusesAnotherCommandAndTablesOrManifestsEditedByHand) {
  RunnerFolder folder("resume-refused");
  const std::string table = folder / "t.csv";
  const std::vector<std::string> plan = {"--sweep", "Dur=5,10,20"};
  ASSERT_EQ(RunBatch(With(plan, {"--output", table})).exitCode, 0);
  const std::string good = Slurp(table);
  const std::string goodManifest = Slurp(table + ".manifest.json");
  // Each case: the table, its manifest, the command, what the refusal says.
  struct Case {
    std::string table, manifest;
    std::vector<std::string> command;
    std::string reason;
  };
  std::string edited = good;
  edited[edited.rfind(',') - 1] ^= 1;  // one digit of the last row changed
  std::string otherCommand = goodManifest;
  otherCommand.replace(otherCommand.find("Dur=5,10,20"), 11, "Dur=5,10,30");
  const std::vector<Case> cases = {
      {good, goodManifest, {"--sweep", "Dur=5,10,30"}, "was made by another command"},
      {good, goodManifest, {"--sweep", "Dur=5,10,20", "--set", "Bore=50"}, "was made by another command"},
      {edited, goodManifest, plan, "has changed since it was written"},
      {good.substr(0, good.size() - 7), goodManifest, plan, "the file ends inside this line: it was cut off"},
      {good, otherCommand, plan, "was made by another command"},
      {good, "{\"format\": \"davrel3-table-manifest\"", plan, "--resume"},
      {good, "", plan, "--resume"},
  };
  for (const auto& c : cases) {
    Write(table, c.table);
    Write(table + ".manifest.json", c.manifest);
    const auto result = testing::RunShellCommand(
        std::string(DAVREL3_BATCH_EXE) + " " + [&] {
          std::string line;
          for (const auto& a : With(c.command, {"--resume", table})) line += "'" + a + "' ";
          return line;
        }() + "2>&1 >/dev/null");
    EXPECT_EQ(result.exitCode, 2) << c.reason;
    EXPECT_NE(result.out.find(c.reason), std::string::npos) << result.out;
    EXPECT_EQ(result.out.rfind("davrel3-batch: ", 0), 0u) << result.out;
    EXPECT_TRUE(Slurp(table) == c.table) << "a refused resume changed the table: " << c.reason;
  }
  // No manifest at all: the message says where one comes from.
  std::filesystem::remove(table + ".manifest.json");
  Write(table, good);
  const auto bare = testing::RunBatchErrors("--sweep Dur=5,10,20 --resume '" + table + "'");
  EXPECT_NE(bare.out.find("--output writes the manifest"), std::string::npos) << bare.out;
  // A FIFO is not a table.
  const std::string fifo = folder / "fifo.csv";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto piped = testing::RunBatchErrors("--sweep Dur=5,10,20 --resume '" + fifo + "'");
  EXPECT_EQ(piped.exitCode, 2);
  EXPECT_FALSE(piped.out.empty());
}

class RunnerJoins : public ::testing::Test {
 protected:
  // Slices 1 to 3 of an 8-run sweep, each with --output and its manifest.
  void SetUp() override {
    for (int k = 1; k <= 3; ++k) {
      const auto result =
          RunBatch(With(kSlicePlan, {"--shard", std::to_string(k) + "/3", "--output", Slice(k)}));
      ASSERT_EQ(result.exitCode, 0);
    }
  }
  std::string Slice(int k) const { return folder_ / ("slice-" + std::to_string(k) + ".csv"); }
  testing::BatchResult Merge(const std::vector<std::string>& tables) const {
    std::string line = "--merge";
    for (const auto& t : tables) line += " '" + t + "'";
    return testing::RunBatchShell(line, false);
  }
  std::string MergeErrors(const std::vector<std::string>& tables) const {
    std::string line = "--merge";
    for (const auto& t : tables) line += " '" + t + "'";
    return testing::RunBatchErrors(line).out;
  }

  const std::vector<std::string> kSlicePlan = {"--sweep", "Dur=5:40:5"};
  RunnerFolder folder_{"joins"};
};

TEST_F(RunnerJoins, SlicesInAnyOrderJoinIntoTheWholeTable) {
  const std::string whole = RunBatch(kSlicePlan).out;
  const auto merged = Merge({Slice(3), Slice(1), Slice(2)});
  EXPECT_EQ(merged.exitCode, 0);
  EXPECT_TRUE(merged.out == whole);
  const std::string joined = folder_ / "joined.csv";
  EXPECT_EQ(RunBatch({"--merge", Slice(2), Slice(3), Slice(1), "--output", joined}).exitCode, 0);
  EXPECT_TRUE(Slurp(joined) == whole);
  const json manifest = Manifest(joined);
  EXPECT_EQ(manifest["complete"], true);
  EXPECT_EQ(manifest["runs"], 8);
  EXPECT_EQ(manifest["plan_runs"], 8);
}

TEST_F(RunnerJoins, AGapNamesTheMissingRunsAndPrintsNoTable) {
  // Slice 2 of 8 runs in 3 holds runs 3 to 5.
  const auto gap = Merge({Slice(1), Slice(3)});
  EXPECT_EQ(gap.exitCode, 2);
  EXPECT_EQ(gap.out, "");
  EXPECT_NE(MergeErrors({Slice(1), Slice(3)}).find("3 runs are missing: 3-5"), std::string::npos);
  // The last slice missing is found through the manifests' run count.
  EXPECT_NE(MergeErrors({Slice(1), Slice(2)}).find("runs are missing: 6-8"), std::string::npos);
  // With --output nothing is written either.
  const std::string joined = folder_ / "joined.csv";
  EXPECT_EQ(RunBatch({"--merge", Slice(1), Slice(3), "--output", joined}).exitCode, 2);
  EXPECT_FALSE(std::filesystem::exists(joined));
}

TEST_F(RunnerJoins, ARunTwiceAnInterruptedSliceOrAnotherCommandIsRefused) {
  EXPECT_NE(MergeErrors({Slice(1), Slice(1), Slice(2), Slice(3)}).find("a run may be joined only once"),
            std::string::npos);
  const std::string copy = folder_ / "copy.csv";
  std::filesystem::copy_file(Slice(2), copy);
  std::filesystem::copy_file(Slice(2) + ".manifest.json", copy + ".manifest.json");
  EXPECT_NE(MergeErrors({Slice(1), Slice(2), copy, Slice(3)}).find("and in"), std::string::npos);
  EXPECT_EQ(Merge({Slice(1), Slice(2), copy, Slice(3)}).out, "");

  // A manifest edited to say the slice was interrupted.
  std::string manifest = Slurp(Slice(3) + ".manifest.json");
  manifest.replace(manifest.find("\"complete\": true"), 16, "\"complete\": false");
  Write(Slice(3) + ".manifest.json", manifest);
  EXPECT_NE(MergeErrors({Slice(1), Slice(2), Slice(3)}).find("was interrupted"), std::string::npos);

  // A slice of another sweep of the same shape.
  const std::string other = folder_ / "other.csv";
  ASSERT_EQ(RunBatch({"--sweep", "Dur=6:41:5", "--shard", "3/3", "--output", other}).exitCode, 0);
  EXPECT_NE(MergeErrors({Slice(1), Slice(2), other}).find("were made by different commands"), std::string::npos);

  // A slice edited by hand no longer matches its manifest; one cut inside a
  // row is not a table.
  std::string text = Slurp(Slice(1));
  text[text.rfind(',') - 1] ^= 1;
  Write(Slice(1), text);
  EXPECT_NE(MergeErrors({Slice(1), Slice(2), other}).find("has changed since it was written"), std::string::npos);
  text = Slurp(Slice(2));
  Write(Slice(2), text.substr(0, text.size() - 10));
  EXPECT_NE(MergeErrors({Slice(2), other}).find("it was cut off"), std::string::npos);
}

// A join stopped by Ctrl-C or SIGTERM writes no table: the file named by
// --output keeps what it held and no temporary file is left. The slices are
// large (10,000 rows per run) so that the join lasts long enough to be
// interrupted once the runner has taken over the signals.
TEST(RunnerJoinsInterrupted, AnInterruptedJoinLeavesTheOutputAsItWas) {
  RunnerFolder folder("join-interrupted");
  std::vector<std::string> args = {"--merge"};
  for (int k = 1; k <= 3; ++k) {
    const std::string slice = folder / ("slice-" + std::to_string(k) + ".csv");
    const auto made = RunBatch({"--sweep", "Dur=5:40:5", "--set", "NrOfTasks=10000", "--set", "Cycle=1", "--shard",
                                std::to_string(k) + "/3", "--output", slice});
    ASSERT_EQ(made.exitCode, 0);
    args.push_back(slice);
  }
  const std::string joined = folder / "joined.csv";
  Write(joined, "the old table\n");
  args.insert(args.end(), {"--output", joined});
  for (const int signal : {SIGINT, SIGTERM}) {
    BatchProcess batch(args, folder / "out", folder / "err");
    ASSERT_TRUE(batch.Started());
    ASSERT_TRUE(batch.WaitFor([&] { return batch.CatchesInterrupts(); })) << batch.Err();
    batch.Signal(signal);
    EXPECT_EQ(batch.Wait(), signal == SIGINT ? 130 : 143);
    EXPECT_NE(batch.Err().find("davrel3-batch: interrupted"), std::string::npos) << batch.Err();
    EXPECT_NE(batch.Err().find(joined + " was left as it was"), std::string::npos) << batch.Err();
    EXPECT_EQ(Slurp(joined), "the old table\n");
    EXPECT_EQ(folder.Find("joined.csv.tmp"), "") << "a temporary file was left behind";
    EXPECT_FALSE(std::filesystem::exists(joined + ".manifest.json"));
  }
}

}  // namespace
}  // namespace davrel3
