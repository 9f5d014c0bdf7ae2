// Runs a numbered range of independent runs on worker threads and hands
// their results on in run order, on the calling thread, whatever the thread
// count. It is the part of a batch that must hold under faults:
// - an exception from a run becomes that run's result (onError), never the
//   end of the process;
// - an interrupt (see interrupt.h) stops new runs from starting; runs going
//   are asked to stop, and the results handed on are the unbroken prefix of
//   runs in run order;
// - with a memory budget, a run takes what it needs before it starts and as
//   it grows. A run that does not fit waits; the earliest run going never
//   waits on a later one, which gives its memory back and runs again later,
//   so no run's result depends on what else was running;
// - threads the system will not start mean fewer workers.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "experiment/memory_budget.h"

namespace davrel3 {

class RunScheduler;

// What a run can ask of the batch while it goes. Used from the run's thread.
class RunGuard {
 public:
  RunGuard(RunScheduler& scheduler, long long run, std::int64_t previousPeak);
  ~RunGuard();
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

  // Whether the run should stop at its next timestep: the batch was
  // interrupted, or an earlier run needs the memory this one holds.
  bool StopRequested() const;

  enum class Need { Granted, TooLarge, Stop };
  // The run needs `bytes` in all from now on. TooLarge when that alone is
  // more than the whole budget; Stop when it should stop (see above).
  Need NeedBytes(std::int64_t bytes);

  long long Run() const { return run_; }
  std::int64_t Held() const { return held_; }
  std::int64_t Peak() const { return peak_; }
  std::int64_t Budget() const;

 private:
  RunScheduler& scheduler_;
  long long run_;
  std::int64_t held_ = 0;
  std::int64_t peak_ = 0;
  std::int64_t previousPeak_ = 0;
  bool evicted_ = false;
};

struct OrderedRunsOutcome {
  long long emitted = 0;  // runs handed on, from the first
  int threads = 0;        // workers that could be started (0: all on the calling thread)
  int signal = 0;         // the interrupt that ended the batch early, 0 if none
};

// The untyped core of RunInOrder: `compute` returns true when run `run` has
// stored its result, false when it stopped at the guard's request.
OrderedRunsOutcome RunInOrderCore(long long first, long long last, int threads, MemoryBudget* budget,
                                  const std::function<bool(long long run, RunGuard& guard)>& compute,
                                  const std::function<void(long long run)>& emit,
                                  const std::function<void(long long done, long long total)>& progress);

// Runs [first, last): compute(run, guard) gives a run's result, or nothing
// when it stopped at the guard's request; onError(run, message) gives the
// result of a run that threw; emit(run, result) receives them in run order.
template <typename Result>
OrderedRunsOutcome RunInOrder(long long first, long long last, int threads, MemoryBudget* budget,
                              const std::function<std::optional<Result>(long long, RunGuard&)>& compute,
                              const std::function<Result(long long, const std::string&)>& onError,
                              const std::function<void(long long, Result&)>& emit,
                              const std::function<void(long long, long long)>& progress = nullptr) {
  std::mutex mutex;
  std::map<long long, Result> done;
  auto store = [&](long long run, Result&& result) {
    std::lock_guard lock(mutex);
    done.insert_or_assign(run, std::move(result));
  };
  auto computeOne = [&](long long run, RunGuard& guard) {
    std::optional<Result> result;
    std::string failure;
    try {
      result = compute(run, guard);
      if (!result) return false;
    } catch (const std::bad_alloc&) {
      failure = "there was not enough memory for the run";
    } catch (const std::exception& e) {
      failure = e.what();
      if (failure.empty()) failure = "the run ended with an error that gave no reason";
    } catch (...) {
      failure = "the run ended with an error that gave no reason";
    }
    if (!result) result = onError(run, failure);
    store(run, std::move(*result));
    return true;
  };
  auto emitOne = [&](long long run) {
    std::unique_lock lock(mutex);
    auto node = done.extract(run);
    lock.unlock();
    emit(run, node.mapped());
  };
  return RunInOrderCore(first, last, threads, budget, computeOne, emitOne, progress);
}

}  // namespace davrel3
