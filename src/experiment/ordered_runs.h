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
//   so no run's result depends on what else was running. A run that finds
//   no memory (std::bad_alloc) runs once more with the whole budget to
//   itself before it counts as failed;
// - a finished result waiting for earlier runs to be handed on keeps the
//   bytes it holds reserved until it is. A run that must wait for memory
//   first has the finished runs of its own chunk handed on, then drops the
//   held results of later runs (the latest first, as many as it needs); a
//   dropped run is computed again, on the calling thread, when its turn to
//   be handed on comes. A run that finishes while an earlier one waits for
//   memory gives its memory back and runs again rather than hold it. So the
//   run next to be handed on can always go on;
// - threads the system will not start mean fewer workers;
// - a run whose failed result cannot itself be built (out of memory while
//   building it) ends the batch at that run: the runs before it are handed
//   on, nothing from it on, and the outcome says which run and why.
//
// Work is handed out in chunks of consecutive runs: a worker claims a chunk
// with one atomic step, computes its runs into result slots of its own and hands
// the chunk on with one lock. Under a budget a run takes one more to note
// the bytes its result keeps (and the calling thread one to give them back
// once it is handed on); otherwise a run takes no lock unless it has to wait
// for memory.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "experiment/memory_budget.h"
#include "experiment/run_failure.h"

namespace davrel3 {

class RunScheduler;

// What a run can ask of the batch while it goes. Used from the run's thread.
class RunGuard {
 public:
  RunGuard(RunScheduler& scheduler, long long run, int worker, std::int64_t previousPeak, bool alone);
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

  // The run found no memory. True when it should give up this attempt and
  // run again with the whole budget to itself (the first time, under a
  // budget); false when it is on its own already, or there is no budget.
  bool RetryAlone();
  bool WantsAlone() const { return wantsAlone_; }

  // The run has stored a result of `bytes`: up to what the run holds stays
  // reserved until the result is handed on (or dropped), the rest goes back
  // when the guard ends. False when an earlier run waits for memory: the
  // result is then to be given up and the run run again.
  bool KeepForResult(std::int64_t bytes);

  long long Run() const { return run_; }
  std::int64_t Held() const { return held_; }
  std::int64_t Peak() const { return peak_; }
  std::int64_t Budget() const;

 private:
  RunScheduler& scheduler_;
  long long run_;
  int worker_;
  std::int64_t held_ = 0;
  std::int64_t peak_ = 0;
  std::int64_t previousPeak_ = 0;
  bool alone_ = false;
  bool wantsAlone_ = false;
  bool evicted_ = false;
};

struct OrderedRunsOutcome {
  long long emitted = 0;  // runs handed on, from the first
  int threads = 0;        // workers that could be started (0: all on the calling thread)
  int signal = 0;         // the interrupt that ended the batch early, 0 if none
  // The run that ended the batch early because its result could not be
  // built, if one did (the earliest, when several).
  std::optional<UnrecordedRun> unrecorded;
};

// How a range of runs is cut up: chunks of `size` consecutive runs, and at
// most `window` chunks handed out beyond the last one handed on, so the
// results held stay bounded however long the batch.
struct RunChunks {
  long long size = 1;
  long long window = 1;
  long long Slots() const { return size * window; }
};
// About eight chunks per worker (so the last ones even out the threads'
// loads), at most 16 runs each, and a window of about 64 runs per worker.
RunChunks ChunksFor(long long total, int threads);

// The number of result slots of a range of `total` runs cut into `chunks`.
long long ResultSlots(long long total, const RunChunks& chunks);

// The untyped core of RunInOrder: `compute` returns true when run `run` has
// stored its result, false when it stopped at the guard's request; it throws
// an UnrecordedRun when the run has no result and none could be built. Results
// go to slot (run - first) % ResultSlots(): a slot is used again only after
// its run was handed on by emit(run). drop(run) frees the stored result of a
// run that is to be computed again.
OrderedRunsOutcome RunInOrderCore(long long first, long long last, int threads, MemoryBudget* budget,
                                  const RunChunks& chunks,
                                  const std::function<bool(long long run, RunGuard& guard)>& compute,
                                  const std::function<void(long long run)>& emit,
                                  const std::function<void(long long run)>& drop,
                                  const std::function<void(long long done, long long total)>& progress);

// Runs [first, last): compute(run, guard) gives a run's result, or nothing
// when it stopped at the guard's request; onError(run, message) gives the
// result of a run that threw; emit(run, result) receives them in run order.
// With a budget, bytesOf(result) is what a stored result holds: it stays
// reserved until the result is handed on (none: results take nothing).
template <typename Result>
OrderedRunsOutcome RunInOrder(long long first, long long last, int threads, MemoryBudget* budget,
                              const std::function<std::optional<Result>(long long, RunGuard&)>& compute,
                              const std::function<Result(long long, const std::string&)>& onError,
                              const std::function<void(long long, Result&)>& emit,
                              const std::function<void(long long, long long)>& progress = nullptr,
                              const std::function<std::int64_t(const Result&)>& bytesOf = nullptr) {
  const long long total = last - first;
  if (total <= 0) return OrderedRunsOutcome{};
  const RunChunks chunks = ChunksFor(total, threads);
  // One slot per run the window can hold; each is written by the worker of
  // its run and read by the calling thread after the chunk was handed on.
  std::vector<std::optional<Result>> held(static_cast<std::size_t>(ResultSlots(total, chunks)));
  auto slotOf = [&](long long run) -> std::optional<Result>& {
    return held[static_cast<std::size_t>((run - first) % static_cast<long long>(held.size()))];
  };
  auto computeOne = [&](long long run, RunGuard& guard) {
    std::exception_ptr failure;
    try {
      std::optional<Result> result = compute(run, guard);
      if (!result) return false;
      std::optional<Result>& slot = slotOf(run);
      slot = std::move(result);
      if (bytesOf && !guard.KeepForResult(bytesOf(*slot))) {
        slot.reset();
        return false;
      }
      return true;
    } catch (const std::bad_alloc&) {
      if (guard.RetryAlone()) return false;
      failure = std::current_exception();
    } catch (...) {
      failure = std::current_exception();
    }
    // Building the failed result (its message included) may itself run out
    // of memory: then the run has no result, and the batch ends before it.
    try {
      slotOf(run) = onError(run, FailureMessage(failure));
    } catch (...) {
      throw UnrecordedRun{run, failure, std::current_exception()};
    }
    return true;
  };
  auto emitOne = [&](long long run) {
    std::optional<Result>& slot = slotOf(run);
    Result result = std::move(*slot);
    slot.reset();
    emit(run, result);
  };
  auto dropOne = [&](long long run) { slotOf(run).reset(); };
  return RunInOrderCore(first, last, threads, budget, chunks, computeOne, emitOne, dropOne, progress);
}

}  // namespace davrel3
