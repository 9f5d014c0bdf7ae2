// Runs for tables keep no per-timestep history and write no grid texts; their
// rows must still be those of a full run, bit for bit. Both are run on
// generated sessions, on every named configuration and on every condition of
// the design, and every column of the table is compared.
#include <gtest/gtest.h>

#include "experiment/design.h"
#include "experiment/table_format.h"
#include "sequences.h"

namespace davrel3::testing {
namespace {

// A session drawn from the seed: a configuration, radio items, typed texts,
// Define or OK, sometimes the rotation levels.
SessionOptions SessionFor(unsigned seed) {
  SeededSource source(seed);
  SessionOptions options;
  if (source.Next(2)) options.config = Configurations()[source.Next(Configurations().size())].name;
  options.fit = static_cast<int>(source.Next(3));
  options.newcomer = static_cast<int>(source.Next(3));
  options.skills = static_cast<int>(source.Next(3));
  const int typed = static_cast<int>(source.Next(8));
  for (int i = 0; i < typed; ++i) {
    const auto field = static_cast<Field>(source.Next(kFieldCount - 1));
    options.sets.emplace_back(field, TextFor(field, source));
  }
  options.define = source.Next(2) == 1;
  options.levelsRotation = source.Next(3) == 0;
  // A small budget makes some long runs stop at the history's limit, which
  // the table run must reproduce without keeping the history.
  if (source.Next(4) == 0) options.memoryBudget = std::int64_t{16} << 20;
  return options;
}

// Every cell of every row, one text per row; the numbers in their shortest
// exact form, so equal texts are equal bits.
std::vector<std::string> Texts(const TableRun& run) {
  const int agents = AgentColumns(run.rows);
  std::vector<std::string> lines;
  for (const TableRow& row : run.rows) lines.push_back(TableRowText(row, agents));
  return lines;
}

// With series the session keeps its whole history (a full run); without, it
// is a run for tables.
void ExpectSameRows(const std::function<TableRun(bool)>& run, const std::string& what, int& withNumbers) {
  const TableRun full = run(true);
  const TableRun table = run(false);
  const TableRow& first = full.rows.front();
  if (first.task != 0 && first.timesteps > 0 && first.status == RunStatus::Finished) {
    EXPECT_FALSE(full.series.empty()) << what << ": the full run kept no history";
  }
  EXPECT_TRUE(table.series.empty()) << what;
  EXPECT_EQ(Texts(table), Texts(full)) << what;
  if (full.rows.front().task != 0) ++withNumbers;
}

#ifdef DAVREL3_SANITIZED
constexpr unsigned kSessions = 60;  // the sanitizers slow every run down
#else
constexpr unsigned kSessions = 300;
#endif

TEST(TableRuns, GiveTheRowsOfAFullRunForGeneratedSessions) {
  int withNumbers = 0;
  for (unsigned seed = 1; seed <= kSessions; ++seed) {
    const SessionOptions options = SessionFor(seed);
    ExpectSameRows([&](bool full) { return RunSingle(options, seed, full); }, "seed " + std::to_string(seed),
                   withNumbers);
  }
  // The generated sessions must mostly get as far as a run to test anything.
  EXPECT_GT(withNumbers, static_cast<int>(kSessions) / 2);
}

TEST(TableRuns, GiveTheRowsOfAFullRunForEveryConfigurationAndCondition) {
  int withNumbers = 0;
  for (const auto& configuration : Configurations()) {
    SessionOptions options;
    options.config = configuration.name;
    ExpectSameRows([&](bool full) { return RunSingle(options, 1, full); }, configuration.name, withNumbers);
    for (bool rotation : {false, true}) {
      options.levelsRotation = rotation;
      long long run = 0;
      for (const Condition& condition : DesignConditions()) {
        ++run;
        ExpectSameRows([&](bool full) { return RunCondition(options, condition, run, full); },
                       std::string(configuration.name) + " condition " + std::to_string(run), withNumbers);
      }
    }
  }
  EXPECT_GT(withNumbers, 0);
}

// A run that stops to show its steps starts every timestep on its own and
// keeps the whole state for the stall check; one that does not starts the
// timestep inside the allocation and keeps the levels only where no unit was
// given out. Both must end in the same timestep with the same rows and the
// same history.
class EveryTimestepShown : public RunObserver {
 public:
  bool IsIndicated(Indicator which) const override { return which == Indicator::NewTimestep; }
};

TEST(StallCheck, EndsRunsWhereARunShowingEveryTimestepEndsThem) {
  EveryTimestepShown shown;
  int stalled = 0;
  auto compare = [&](const std::function<TableRun(RunObserver*)>& run, const std::string& what) {
    const TableRun plain = run(nullptr);
    const TableRun stepped = run(&shown);
    EXPECT_EQ(Texts(plain), Texts(stepped)) << what;
    EXPECT_EQ(plain.series, stepped.series) << what;
    for (const TableRow& row : plain.rows) stalled += row.status == RunStatus::Stalled;
  };
  for (unsigned seed = 1; seed <= kSessions; ++seed) {
    const SessionOptions options = SessionFor(seed);
    compare([&](RunObserver* observer) { return RunSingle(options, seed, true, observer); },
            "seed " + std::to_string(seed));
  }
  for (const auto& configuration : Configurations()) {
    SessionOptions options;
    options.config = configuration.name;
    long long run = 0;
    for (const Condition& condition : DesignConditions()) {
      ++run;
      compare([&](RunObserver* observer) { return RunCondition(options, condition, run, true, observer); },
              std::string(configuration.name) + " condition " + std::to_string(run));
    }
  }
  // Stalled runs are where the two ways of keeping the state could differ.
  EXPECT_GT(stalled, 10) << stalled;
}

TEST(TableRuns, KeepNoHistoryAndNoGridTexts) {
  InMemoryPanel panel;
  Workbench bench(panel);
  bench.State().TablesOnly = true;
  StartUp(bench);
  bench.DefineButtonClick();
  const RunOutcome outcome = bench.StartButtonClick();
  ASSERT_EQ(outcome.status, RunStatus::Finished);
  const RunHistory& h = bench.State().History;
  EXPECT_EQ(h.Rows, 0);
  EXPECT_TRUE(h.ExpertiseHistory.empty());
  EXPECT_TRUE(h.MotivationHistory.empty());
  EXPECT_TRUE(h.StepWorkHistory.empty());
  EXPECT_GT(TaskWorkAt(h, 0, 0), 0);  // what the rows read is kept
  EXPECT_EQ(bench.State().AllocationGrid.Cell(1, 1), "");
  EXPECT_EQ(bench.State().WorkTimeGrid.Cell(1, 1), "");
}

}  // namespace
}  // namespace davrel3::testing
