// Workers, interrupts and memory in the ordered runner: results in run order
// whatever happens on the threads.
#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "experiment/interrupt.h"
#include "experiment/ordered_runs.h"

namespace {

using namespace davrel3;
using namespace std::chrono_literals;

struct Result {
  long long run = 0;
  std::string text;
};

using Compute = std::function<std::optional<Result>(long long, RunGuard&)>;

struct Collected {
  std::vector<long long> runs;
  std::vector<std::string> texts;
  OrderedRunsOutcome outcome;
};

Collected Collect(long long first, long long last, int threads, MemoryBudget* budget, const Compute& compute) {
  Collected c;
  c.outcome = RunInOrder<Result>(
      first, last, threads, budget, compute,
      [](long long run, const std::string& message) { return Result{run, "failed: " + message}; },
      [&](long long run, Result& r) {
        EXPECT_EQ(r.run, run);
        c.runs.push_back(run);
        c.texts.push_back(r.text);
      });
  return c;
}

// A run whose length varies with its number, so threads finish out of order.
std::optional<Result> Uneven(long long run, RunGuard&) {
  std::this_thread::sleep_for(std::chrono::microseconds((run * 7919) % 13 * 300));
  return Result{run, std::to_string(run * run)};
}

TEST(Workers, ResultsComeInRunOrderWhateverTheThreadCount) {
  const Collected one = Collect(3, 60, 1, nullptr, Uneven);
  ASSERT_EQ(one.runs.size(), 57u);
  for (std::size_t i = 0; i < one.runs.size(); ++i) EXPECT_EQ(one.runs[i], 3 + static_cast<long long>(i));
  for (int threads : {2, 5, 16}) {
    const Collected many = Collect(3, 60, threads, nullptr, Uneven);
    EXPECT_EQ(many.runs, one.runs) << threads;
    EXPECT_EQ(many.texts, one.texts) << threads;
    EXPECT_EQ(many.outcome.emitted, 57);
    EXPECT_EQ(many.outcome.signal, 0);
  }
}

TEST(Workers, AnExceptionInARunBecomesThatRunsFailedResult) {
  const Compute compute = [](long long run, RunGuard&) -> std::optional<Result> {
    if (run == 5) throw std::runtime_error("the commit broke");
    if (run == 7) throw std::bad_alloc();
    if (run == 9) throw 42;
    if (run == 11) throw std::runtime_error("");
    return Result{run, "ok"};
  };
  for (int threads : {1, 4}) {
    const Collected c = Collect(0, 14, threads, nullptr, compute);
    ASSERT_EQ(c.runs.size(), 14u);
    EXPECT_EQ(c.texts[5], "failed: the commit broke");
    EXPECT_EQ(c.texts[7], "failed: there was not enough memory for the run");
    EXPECT_EQ(c.texts[9], "failed: the run ended with an error that gave no reason");
    EXPECT_EQ(c.texts[11], "failed: the run ended with an error that gave no reason");
    EXPECT_EQ(c.texts[6], "ok");
  }
}

// A failed run whose failed result cannot be built either (no memory for
// it) ends the batch there, as an interrupt would: every run before it is
// handed on, none after it, and the outcome names it.
TEST(Workers, AFailedRunWithoutAResultEndsTheBatchAfterTheRunsBeforeIt) {
  for (int threads : {1, 4}) {
    std::vector<long long> runs;
    const auto outcome = RunInOrder<Result>(
        0, 400, threads, nullptr,
        [](long long run, RunGuard& guard) -> std::optional<Result> {
          if (run == 37 || run == 90) throw std::runtime_error("the commit broke");
          return Uneven(run, guard);
        },
        [](long long run, const std::string& message) -> Result {
          if (run == 37 || run == 90) throw std::bad_alloc();
          return Result{run, message};
        },
        [&](long long run, Result&) { runs.push_back(run); });
    ASSERT_EQ(runs.size(), 37u) << threads;
    for (std::size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(runs[i], static_cast<long long>(i));
    EXPECT_EQ(outcome.emitted, 37);
    EXPECT_EQ(outcome.signal, 0);
    ASSERT_TRUE(outcome.unrecorded.has_value());
    EXPECT_EQ(outcome.unrecorded->run, 37);
    EXPECT_EQ(UnrecordedRunText(*outcome.unrecorded),
              "run 38 failed (the commit broke), and its row could not be built (there was not enough memory to "
              "build it)");
  }
  // Without such a run the outcome names none.
  EXPECT_FALSE(Collect(0, 20, 3, nullptr, Uneven).outcome.unrecorded.has_value());
}

TEST(Workers, AFailingOutputStopsTheBatchAndReachesTheCaller) {
  std::atomic<int> computed{0};
  int emitted = 0;
  EXPECT_THROW(RunInOrder<Result>(
                   0, 100000, 3, nullptr,
                   [&](long long run, RunGuard&) -> std::optional<Result> {
                     ++computed;
                     return Result{run, ""};
                   },
                   [](long long run, const std::string&) { return Result{run, ""}; },
                   [&](long long run, Result&) {
                     if (run == 10) throw std::runtime_error("disk full");
                     ++emitted;
                   }),
               std::runtime_error);
  EXPECT_EQ(emitted, 10);
  EXPECT_LT(computed.load(), 1000) << "runs went on after the output failed";
}

// A run that goes on until it is asked to stop, or until 200 steps.
std::optional<Result> Stoppable(long long run, RunGuard& guard) {
  for (int step = 0; step < 200; ++step) {
    if (guard.StopRequested()) return std::nullopt;
    std::this_thread::sleep_for(100us);
  }
  return Result{run, "whole"};
}

TEST(Interrupts, AnInterruptKeepsTheUnbrokenPrefixOfRunsAndStopsTheRest) {
  for (int threads : {1, 4}) {
    ClearInterrupt();
    const Compute compute = [](long long run, RunGuard& guard) -> std::optional<Result> {
      if (run == 20) RequestInterrupt(SIGTERM);
      return Stoppable(run, guard);
    };
    const auto start = std::chrono::steady_clock::now();
    const Collected c = Collect(0, 1000, threads, nullptr, compute);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(c.outcome.signal, SIGTERM);
    EXPECT_EQ(c.outcome.emitted, static_cast<long long>(c.runs.size()));
    ASSERT_LE(c.runs.size(), 20u) << "run 20 stopped, yet later runs were kept";
    // On one thread the runs before run 20 were done when it stopped.
    if (threads == 1) {
      EXPECT_EQ(c.runs.size(), 20u);
    }
    for (std::size_t i = 0; i < c.runs.size(); ++i) {
      EXPECT_EQ(c.runs[i], static_cast<long long>(i));
      EXPECT_EQ(c.texts[i], "whole");
    }
    EXPECT_LT(took, 10s) << "the runs did not stop promptly";
  }
  ClearInterrupt();
}

TEST(Memory, RunsThatDoNotFitTogetherTakeTurnsAndAllFinish) {
  MemoryBudget budget(100);
  std::atomic<int> going{0}, most{0};
  const Compute compute = [&](long long run, RunGuard& guard) -> std::optional<Result> {
    if (guard.NeedBytes(60) != RunGuard::Need::Granted) return std::nullopt;
    const int now = ++going;
    int seen = most.load();
    while (now > seen && !most.compare_exchange_weak(seen, now)) {
    }
    std::this_thread::sleep_for(2ms);
    --going;
    return Result{run, "fits"};
  };
  const Collected c = Collect(0, 30, 4, &budget, compute);
  EXPECT_EQ(c.outcome.emitted, 30);
  EXPECT_EQ(most.load(), 1) << "two runs of 60 held a budget of 100 at once";
  EXPECT_EQ(budget.InUse(), 0) << "memory was not given back";
}

TEST(Memory, OnlyARunLargerThanTheWholeBudgetFails) {
  MemoryBudget budget(100);
  const Compute compute = [&](long long run, RunGuard& guard) -> std::optional<Result> {
    const auto need = guard.NeedBytes(run == 3 ? 101 : 100);
    if (need == RunGuard::Need::TooLarge) return Result{run, "too large for " + std::to_string(guard.Budget())};
    if (need == RunGuard::Need::Stop) return std::nullopt;
    return Result{run, "fits"};
  };
  const Collected c = Collect(0, 6, 3, &budget, compute);
  EXPECT_EQ(c.texts, (std::vector<std::string>{"fits", "fits", "fits", "too large for 100", "fits", "fits"}));
}

// Runs that grow step by step: together they would pass the budget, so later
// runs give their memory back and run again, and every result is the one a
// run alone gives.
TEST(Memory, GrowingRunsNeverWaitOnEachOtherAndGiveTheSameResults) {
  std::atomic<int> restarts{0};
  auto compute = [&](long long run, RunGuard& guard) -> std::optional<Result> {
    const int steps = 5 + static_cast<int>(run % 4) * 5;
    std::string trace;
    for (int step = 1; step <= steps; ++step) {
      if (guard.NeedBytes(step * 4) != RunGuard::Need::Granted || guard.StopRequested()) {
        ++restarts;
        return std::nullopt;
      }
      trace += std::to_string(step * 4) + " ";
      std::this_thread::sleep_for(200us);
    }
    return Result{run, trace};
  };
  MemoryBudget alone(80);
  const Collected one = Collect(0, 40, 1, &alone, compute);
  EXPECT_EQ(restarts.load(), 0) << "a run alone was stopped";
  for (int threads : {2, 4, 8}) {
    MemoryBudget budget(80);
    const Collected many = Collect(0, 40, threads, &budget, compute);
    EXPECT_EQ(many.texts, one.texts) << threads;
    EXPECT_EQ(budget.InUse(), 0);
  }
  EXPECT_GT(restarts.load(), 0) << "the runs never had to give memory back: the test proves nothing";
}

}  // namespace
