// Running out of memory at every allocation a commit or a run makes: a
// commit is refused in words and changes nothing, a run fails in words and
// leaves START enabled, and neither ever lets std::bad_alloc escape.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "experiment/record.h"
#include "experiment/session.h"
#include "failing_allocator.h"

namespace davrel3 {
namespace {

using testing::FailAllocation;
using testing::StopFailing;

// Everything a commit could change, as one text.
std::string Fingerprint(const Workbench& bench) {
  std::ostringstream out;
  out << RunRecord(bench, RunOutcome{}, ParameterValues{});
  const TTask& task = bench.State().Task;
  out << "|task " << task.Cycles << ' ' << task.Actions << ' ' << task.Variety << ' ' << task.NrOfUnits;
  for (int c = 0; c < task.Cycles; ++c) {
    out << '\n';
    for (int j = 0; j < task.UnitColumns; ++j) {
      const TTaskUnit& unit = TaskUnit(task, c, j);
      out << unit.Duration << (unit.Performed ? "P" : "") << (unit.Open ? "O" : "");
    }
  }
  for (const auto& row : bench.State().TaskGrid.RowMajor()) {
    for (const auto& cell : row) out << cell << ',';
  }
  for (int f = 0; f < kFieldCount; ++f) out << '|' << bench.Panel().Text(static_cast<Field>(f));
  out << (bench.StartEnabled() ? "|start" : "|no start");
  return out.str();
}

// A workbench after start-up and a run, with a different group typed in.
struct Typed {
  InMemoryPanel panel;
  Workbench bench{panel};
  Typed() {
    StartUp(bench);
    bench.StartButtonClick();
    panel.SetText(Field::NrofAg, "3");
    panel.SetText(Field::NrofSkills, "7");
    panel.SetText(Field::Cycle, "40");
    panel.SetText(Field::Action, "4");
    panel.SetText(Field::NrOfTasks, "2");
    panel.SetItemIndex(Choice::Newcomer, 0);  // the entrance text changes too
  }
};

TEST(OutOfMemory, ACommitThatRunsOutChangesNothing) {
  long long allocations = 0;
  {
    Typed probe;
    testing::ResetAllocationCount();
    probe.bench.SetSystem();
    allocations = testing::AllocationCount();
  }
  ASSERT_GT(allocations, 10);
  int refused = 0;
  // Every allocation of the first hundred, then a spread over the rest.
  for (long long n = 1; n <= allocations; n += n < 100 ? 1 : allocations / 97 + 1) {
    SCOPED_TRACE(n);
    Typed b;
    const std::string before = Fingerprint(b.bench);
    std::string message;
    FailAllocation(n);
    try {
      b.bench.SetSystem();
    } catch (const CommitRefused& refusal) {
      message = refusal.what();
    }
    const bool failed = StopFailing();
    if (failed) {
      ++refused;
      EXPECT_EQ(message, "There is not enough memory to build this parameter set; nothing was changed");
      EXPECT_EQ(Fingerprint(b.bench), before);
      // The same commit goes through once memory is there again.
      b.bench.SetSystem();
    } else {
      EXPECT_EQ(message, "");
    }
    EXPECT_EQ(b.bench.State().System.NrOfAgents, 3);
    EXPECT_TRUE(b.bench.StartEnabled());
  }
  EXPECT_GT(refused, 50);
}

TEST(OutOfMemory, ARunThatRunsOutFailsInWordsAndKeepsStart) {
  long long allocations = 0;
  {
    InMemoryPanel panel;
    Workbench bench(panel);
    StartUp(bench);
    testing::ResetAllocationCount();
    ASSERT_EQ(bench.StartButtonClick().status, RunStatus::Finished);
    allocations = testing::AllocationCount();
  }
  ASSERT_GT(allocations, 10);
  // Every allocation of the run is made to fail in turn (the first 50, then
  // a spread over the rest): each one must end the run in words.
  int tried = 0;
  int failedRuns = 0;
  for (long long n = 1; n <= allocations; n += n < 50 ? 1 : allocations / 150 + 1) {
    SCOPED_TRACE(n);
    ++tried;
    InMemoryPanel panel;
    Workbench bench(panel);
    StartUp(bench);
    FailAllocation(n);
    const RunOutcome outcome = bench.StartButtonClick();
    const bool failed = StopFailing();
    if (!failed) {
      EXPECT_EQ(outcome.status, RunStatus::Finished);
      continue;
    }
    ++failedRuns;
    EXPECT_EQ(outcome.status, RunStatus::Failed);
    EXPECT_NE(outcome.message.find("not enough memory"), std::string::npos) << outcome.message;
    EXPECT_TRUE(bench.StartEnabled());
  }
  EXPECT_EQ(failedRuns, tried);
}

TEST(OutOfMemory, ADrawThatRunsOutFailsTheRun) {
  InMemoryPanel panel;
  Workbench bench(panel);
  StartUp(bench);
  const RunOutcome outcome = bench.StartButtonClick([] { throw std::bad_alloc(); });
  EXPECT_EQ(outcome.status, RunStatus::Failed);
  EXPECT_EQ(outcome.message, "The run ended, but there is not enough memory to draw its results");
  EXPECT_TRUE(bench.StartEnabled());
}

}  // namespace
}  // namespace davrel3
