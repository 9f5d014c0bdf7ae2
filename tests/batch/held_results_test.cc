// Finished results that wait in the run-order window for earlier runs keep
// their memory counted in the budget until they are handed on, and the run
// next to be handed on can always go on. These tests have no timed
// assertions: a hang is caught by the test's time limit (CMakeLists.txt).
#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "experiment/interrupt.h"
#include "experiment/ordered_runs.h"

namespace {

using namespace davrel3;
using namespace std::chrono_literals;

// Bytes that exist only while an object owns them: the test's stand-in for
// the memory a run and its result hold. `live` counts what is owned now,
// `most` the largest it has been.
class Counted {
 public:
  static std::atomic<std::int64_t> live, most;

  Counted() = default;
  explicit Counted(std::int64_t bytes) : bytes_(bytes) { Add(bytes); }
  Counted(Counted&& other) noexcept : bytes_(std::exchange(other.bytes_, 0)) {}
  Counted& operator=(Counted&& other) noexcept {
    Add(-bytes_);
    bytes_ = std::exchange(other.bytes_, 0);
    return *this;
  }
  ~Counted() { Add(-bytes_); }
  std::int64_t Bytes() const { return bytes_; }

  static void Reset() {
    live = 0;
    most = 0;
  }

 private:
  static void Add(std::int64_t bytes) {
    const std::int64_t now = live += bytes;
    for (std::int64_t seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {
    }
  }
  std::int64_t bytes_ = 0;
};
std::atomic<std::int64_t> Counted::live{0};
std::atomic<std::int64_t> Counted::most{0};

struct Result {
  long long run = 0;
  std::string text;
  Counted held;  // what the result holds until it is handed on
};

using Compute = std::function<std::optional<Result>(long long, RunGuard&)>;

struct Collected {
  std::vector<std::string> texts;
  OrderedRunsOutcome outcome;
};

Collected Collect(long long runs, int threads, MemoryBudget& budget, const Compute& compute) {
  Collected c;
  c.outcome = RunInOrder<Result>(
      0, runs, threads, &budget, compute,
      [](long long run, const std::string& message) { return Result{run, "failed: " + message, Counted()}; },
      [&](long long run, Result& r) {
        EXPECT_EQ(r.run, run);
        c.texts.push_back(r.text);
      },
      nullptr, [](const Result& r) { return r.held.Bytes(); });
  return c;
}

// A run that takes `bytes` from the guard step by step (each step's need as
// a whole, as a run's history grows), holds them as it goes and hands them
// on in its result; nothing when the guard tells it to stop.
std::optional<Result> Grow(long long run, RunGuard& guard, const std::vector<std::int64_t>& steps,
                           std::chrono::microseconds pause) {
  Counted held;
  std::string trace;
  for (const std::int64_t need : steps) {
    if (guard.NeedBytes(need) != RunGuard::Need::Granted || guard.StopRequested()) return std::nullopt;
    held = Counted();  // a need is the whole of what the run holds from now on
    held = Counted(need);
    trace += std::to_string(need) + " ";
    std::this_thread::sleep_for(pause);
  }
  return Result{run, std::to_string(run) + ": " + trace, std::move(held)};
}

// Runs of varied length, each ending with a result of 30 to 60 bytes of a
// budget of 100: uncounted, the results held for the run order would pass
// the budget as soon as a few later runs finish before an earlier one.
TEST(HeldResults, ResultsWaitingForEarlierRunsStayWithinTheBudget) {
  const Compute compute = [](long long run, RunGuard& guard) {
    const std::int64_t size = 30 + (run * 7) % 31;
    return Grow(run, guard, {size / 2, size}, std::chrono::microseconds((run * 7919) % 11 * 200));
  };
  std::vector<std::string> expected;
  for (long long run = 0; run < 120; ++run) {
    const std::int64_t size = 30 + (run * 7) % 31;
    expected.push_back(std::to_string(run) + ": " + std::to_string(size / 2) + " " + std::to_string(size) + " ");
  }
  for (int threads : {1, 2, 4, 8}) {
    Counted::Reset();
    MemoryBudget budget(100);
    const Collected c = Collect(120, threads, budget, compute);
    EXPECT_EQ(c.outcome.emitted, 120) << threads;
    EXPECT_EQ(c.texts, expected) << threads;
    EXPECT_LE(Counted::most.load(), 100) << threads << " threads: runs and held results passed the budget";
    EXPECT_GT(Counted::most.load(), 60) << "no two runs or results were ever held at once: the test proves nothing";
    EXPECT_EQ(Counted::live.load(), 0);
    EXPECT_EQ(budget.InUse(), 0) << threads << " threads: memory of a result was not given back";
  }
}

// Run 0 grows to nearly the whole budget only at its end, after later runs
// have finished and hold their results: it must get their memory (their
// results are dropped and computed again when their turn comes), or the
// batch would wait for ever.
TEST(HeldResults, TheRunNextToBeWrittenGetsTheMemoryOfLaterResults) {
  std::atomic<int> computed{0};
  const Compute compute = [&](long long run, RunGuard& guard) {
    ++computed;
    if (run % 25 == 0) return Grow(run, guard, {10, 20, 95}, 20ms);
    return Grow(run, guard, {30}, 100us);
  };
  std::vector<std::string> expected;
  for (long long run = 0; run < 100; ++run) {
    expected.push_back(std::to_string(run) + ": " + (run % 25 == 0 ? "10 20 95 " : "30 "));
  }
  for (int threads : {1, 3, 6}) {
    Counted::Reset();
    computed = 0;
    MemoryBudget budget(100);
    const Collected c = Collect(100, threads, budget, compute);
    EXPECT_EQ(c.texts, expected) << threads;
    EXPECT_LE(Counted::most.load(), 100) << threads;
    EXPECT_EQ(budget.InUse(), 0) << threads;
    if (threads > 1) {
      EXPECT_GT(computed.load(), 100) << threads << " threads: no result ever had to make room";
    }
  }
}

// On one worker a chunk's finished runs are handed on before a later run of
// the same chunk waits for their memory.
TEST(HeldResults, AChunksFinishedRunsAreWrittenBeforeItsNextRunWaitsForThem) {
  const RunChunks chunks = ChunksFor(200, 1);
  ASSERT_GT(chunks.size, 3) << "the runs would not share a chunk";
  const Compute compute = [](long long run, RunGuard& guard) { return Grow(run, guard, {45}, 0us); };
  Counted::Reset();
  MemoryBudget budget(100);
  const Collected c = Collect(200, 1, budget, compute);
  EXPECT_EQ(c.outcome.emitted, 200);
  EXPECT_LE(Counted::most.load(), 100);
  EXPECT_EQ(budget.InUse(), 0);
}

// An interrupt while runs wait for the memory of held results still ends
// the batch on the unbroken prefix.
TEST(HeldResults, AnInterruptWhileRunsWaitForMemoryKeepsTheUnbrokenPrefix) {
  std::atomic<bool> interrupted{false};
  const Compute compute = [&](long long run, RunGuard& guard) -> std::optional<Result> {
    if (run == 30 && !interrupted.exchange(true)) RequestInterrupt(SIGINT);
    return Grow(run, guard, {40, 70}, 300us);
  };
  ClearInterrupt();
  MemoryBudget budget(100);
  const Collected c = Collect(400, 4, budget, compute);
  ClearInterrupt();
  EXPECT_EQ(c.outcome.signal, SIGINT);
  EXPECT_LE(c.outcome.emitted, 30);
  EXPECT_EQ(static_cast<long long>(c.texts.size()), c.outcome.emitted);
  for (std::size_t i = 0; i < c.texts.size(); ++i) EXPECT_EQ(c.texts[i], std::to_string(i) + ": 40 70 ");
  EXPECT_EQ(budget.InUse(), 0);
}

}  // namespace
