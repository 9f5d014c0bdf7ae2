// Running out of memory at every allocation a commit or a run makes: a
// commit is refused in words and changes nothing, a run fails in words and
// leaves START enabled, and neither ever lets std::bad_alloc escape.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <string>
#include <thread>

#include "experiment/record.h"
#include "experiment/session.h"
#include "experiment/sweep.h"
#include "experiment/thread_start.h"
#include "failing_allocator.h"

namespace davrel3 {
namespace {

using testing::AllocationCount;
using testing::FailAllocation;
using testing::FailAllocationsOver;
using testing::LiveBytes;
using testing::PeakBytes;
using testing::ResetPeakBytes;
using testing::ResetAllocationCount;
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

// Workers: once a thread is running, nothing may fail before it is kept, or
// the process ends when the unkept thread is destroyed. The allocation after
// each start fails; the threads already started are all kept and joined.
TEST(OutOfMemory, WorkersStartedBeforeAnAllocationFailsAreKept) {
  for (int wanted : {1, 2, 8}) {
    std::atomic<int> ran{0};
    int launched = 0;
    auto launch = [&](const std::function<void()>& body) {
      std::thread thread(body);
      ++launched;
      FailAllocation(1);
      return thread;
    };
    auto threads = StartThreads(wanted, [&] { ++ran; }, launch);
    StopFailing();
    EXPECT_GE(threads.size(), 1u) << wanted;
    EXPECT_EQ(threads.size(), static_cast<std::size_t>(launched)) << "a started thread was not kept";
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(ran.load(), launched);
  }
}

// Sizing a table: a dry commit that runs out of memory says nothing of its
// group, so it is tried again rather than counted as no agents.
SweepPlan GroupSweep(const std::string& values) {
  SweepPlan plan;
  Sweep sweep;
  EXPECT_EQ(ParseSweep("NrofAg=" + values, sweep), std::nullopt);
  plan.sweeps.push_back(sweep);
  return plan;
}

TEST(OutOfMemory, ADryCommitThatRunsOutIsTriedAgainAndTheTableIsSizedRight) {
  const SessionOptions base;
  const SweepPlan plan = GroupSweep("3,9,5");
  ResetAllocationCount();
  const PlanShape whole = MeasurePlan(base, plan, 0, 3, 1);
  const long long allocations = AllocationCount();
  ASSERT_EQ(whole.agents, 9);
  ASSERT_EQ(whole.rows, 3);
  int failed = 0, refused = 0;
  for (long long n = 1; n <= allocations; n += std::max<long long>(1, allocations / 300)) {
    FailAllocation(n);
    try {
      const PlanShape shape = MeasurePlan(base, plan, 0, 3, 1);
      EXPECT_EQ(shape.agents, 9) << "allocation " << n;
      EXPECT_EQ(shape.rows, 3) << "allocation " << n;
    } catch (const PlanMeasureError& error) {
      // Only outside every run's commit, where nothing can be tried again.
      EXPECT_EQ(std::string(error.what()),
                "there is not enough memory to size the table's agent columns; nothing was run");
      ++refused;
    }
    failed += StopFailing() ? 1 : 0;
  }
  EXPECT_GT(failed, 100);
  EXPECT_LT(refused, 5) << "nearly every allocation is a run's and can be tried again";
}

TEST(OutOfMemory, AGroupThatCannotBeCommittedEvenAloneRefusesThePlan) {
  const SessionOptions base;
  // 2,000,000 cycles of 5 skills need a task grid of 80 MB in one block, far
  // larger than the other runs' grids.
  SweepPlan plan;
  Sweep sweep;
  ASSERT_EQ(ParseSweep("Cycle=200,2000000,100", sweep), std::nullopt);
  plan.sweeps.push_back(sweep);
  FailAllocationsOver(std::uint64_t{64} << 20);
  std::string message;
  try {
    MeasurePlan(base, plan, 0, 3, 2);
  } catch (const PlanMeasureError& error) {
    message = error.what();
  }
  StopFailing();
  EXPECT_EQ(message,
            "there is not enough memory to commit the group of run 2, from which the table's agent columns are "
            "sized; nothing was run");
}

// The dry commits only read the group's shape: they build no per-timestep
// history (246 rows of 40 slots per agent for each of expertise and
// motivation), which would cost more than the measure itself.
TEST(RunMemory, SizingATableBuildsNoHistory) {
  const SessionOptions base;
  const SweepPlan plan = GroupSweep("100");
  const long long before = LiveBytes();
  ResetPeakBytes();
  const PlanShape shape = MeasurePlan(base, plan, 0, 1, 1);
  ASSERT_EQ(shape.agents, 100);
  const long long historyArray = 246LL * 100 * 40 * static_cast<long long>(sizeof(double));
  EXPECT_LT(PeakBytes() - before, historyArray / 4);
}

// What a batch reserves for a run bounds what the run allocates: at no
// moment does a run hold more than the most it asked its guard for, whether
// it keeps a history (series) or serves the table alone, with many tasks,
// a long history, a large task or a large group.
TEST(RunMemory, ARunNeverHoldsMoreThanItReserved) {
  const std::vector<std::vector<std::pair<Field, std::string>>> shapes = {
      {},
      {{Field::Cycle, "3000"}},
      {{Field::NrofAg, "100"}, {Field::NrofSkills, "100"}, {Field::Cycle, "1"}, {Field::Action, "1"},
       {Field::Dur, "1"}, {Field::NrOfTasks, "400"}},
      {{Field::NrofSkills, "100"}, {Field::Cycle, "20000"}, {Field::Action, "100"}, {Field::Dur, "1"},
       {Field::NrOfTasks, "3"}},
      {{Field::NrofAg, "300"}, {Field::NrofSkills, "40"}, {Field::Cycle, "4"}, {Field::Action, "10"},
       {Field::NrOfTasks, "2"}},
  };
  for (const bool series : {false, true}) {
    for (const auto& sets : shapes) {
      SessionOptions options;
      options.sets = sets;
      std::ostringstream label;
      label << (series ? "series" : "table");
      for (const auto& [field, text] : sets) label << ' ' << FieldName(field) << '=' << text;
      const std::string name = label.str();
      MemoryBudget budget(std::int64_t{1} << 40);
      long long peak = 0, reserved = 0;
      std::string status;
      RunInOrder<TableRun>(
          0, 1, 1, &budget,
          [&](long long run, RunGuard& guard) -> std::optional<TableRun> {
            ResetPeakBytes();
            const long long before = LiveBytes();
            auto result = RunGuarded(options, std::nullopt, run + 1, series, guard);
            peak = PeakBytes() - before;
            reserved = guard.Peak();
            if (result) status = RunStatusName(result->rows.front().status);
            return result;
          },
          [&](long long run, const std::string& message) { return FailedRun(options, run + 1, message); },
          [](long long, TableRun&) {});
      EXPECT_FALSE(status.empty()) << name;
      EXPECT_LE(peak, reserved) << name << ": held " << peak << " bytes, reserved " << reserved;
      // Reserving far more than a run holds would keep runs waiting for nothing.
      EXPECT_LE(reserved, 4 * peak + (std::int64_t{8} << 20)) << name << ": held " << peak << " bytes, reserved " << reserved;
    }
  }
}

}  // namespace
}  // namespace davrel3
