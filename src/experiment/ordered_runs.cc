#include "ordered_runs.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <set>
#include <thread>
#include <vector>

#include "experiment/interrupt.h"
#include "experiment/thread_start.h"

namespace davrel3 {

// The shared state of one RunInOrderCore: which runs are to be taken, going,
// done and handed on, under one mutex.
class RunScheduler {
 public:
  RunScheduler(long long first, long long last, long long window, MemoryBudget* budget)
      : next_(first), last_(last), emitted_(first), window_(window), budget_(budget) {}

  MemoryBudget* Budget() const { return budget_; }

  // Whether no run should go on: an interrupt, or a failure that ends the batch.
  bool Stopping() const { return Interrupted() || failed_.load(); }

  // The next run to compute (a run that gave its memory back first), once
  // it is within the window ahead of the emitted runs; none when there is
  // nothing more to take or the batch stops.
  std::optional<long long> Take() {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (Stopping()) return std::nullopt;
      if (!again_.empty()) {
        const long long run = *again_.begin();
        again_.erase(again_.begin());
        active_.insert(run);
        return run;
      }
      if (next_ >= last_) return std::nullopt;
      if (next_ - emitted_ < window_) {
        active_.insert(next_);
        return next_++;
      }
      // Polled: an interrupt cannot notify.
      changed_.wait_for(lock, std::chrono::milliseconds(100));
    }
  }

  // A run taken by Take() ended: it stored its result, or it stopped and
  // runs again later (unless the batch stops).
  void Ended(long long run, bool completed, std::int64_t peak) {
    {
      std::lock_guard lock(mutex_);
      active_.erase(run);
      if (completed) {
        done_.insert(run);
      } else {
        peaks_[run] = std::max(peaks_[run], peak);
        if (!Stopping()) again_.insert(run);
      }
    }
    changed_.notify_all();
  }

  std::int64_t PeakOf(long long run) {
    std::lock_guard lock(mutex_);
    const auto it = peaks_.find(run);
    return it == peaks_.end() ? 0 : it->second;
  }

  bool IsEarliestGoing(long long run) {
    std::lock_guard lock(mutex_);
    return !active_.empty() && *active_.begin() == run;
  }

  void Fail(std::exception_ptr error) {
    {
      std::lock_guard lock(mutex_);
      if (!error_) error_ = error;
      failed_ = true;
    }
    changed_.notify_all();
  }
  std::exception_ptr Error() {
    std::lock_guard lock(mutex_);
    return error_;
  }

  enum class Wait { Ready, End };
  // Waits until the next run to emit is done (Ready), or until it never will
  // be: the batch stops and nothing is going any more, or every run is out.
  // Without `wait`, End stands for "not done yet".
  Wait NextToEmit(long long& run, bool wait = true) {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (emitted_ >= last_) return Wait::End;
      if (done_.count(emitted_) > 0) {
        done_.erase(emitted_);
        run = emitted_;
        return Wait::Ready;
      }
      if (failed_) return Wait::End;
      if (Interrupted() && active_.empty()) return Wait::End;
      if (!wait) return Wait::End;
      changed_.wait_for(lock, std::chrono::milliseconds(100));
    }
  }

  void Emitted() {
    {
      std::lock_guard lock(mutex_);
      ++emitted_;
    }
    changed_.notify_all();
  }

  long long EmittedCount(long long first) {
    std::lock_guard lock(mutex_);
    return emitted_ - first;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  long long next_, last_, emitted_, window_;
  std::set<long long> active_, done_, again_;
  std::map<long long, std::int64_t> peaks_;
  MemoryBudget* budget_;
  std::atomic<bool> failed_{false};
  std::exception_ptr error_;
};

RunGuard::RunGuard(RunScheduler& scheduler, long long run, std::int64_t previousPeak)
    : scheduler_(scheduler), run_(run), previousPeak_(previousPeak) {}

RunGuard::~RunGuard() {
  if (held_ > 0 && scheduler_.Budget()) scheduler_.Budget()->Release(held_);
}

bool RunGuard::StopRequested() const { return evicted_ || scheduler_.Stopping(); }

std::int64_t RunGuard::Budget() const {
  return scheduler_.Budget() ? scheduler_.Budget()->Capacity() : std::int64_t{0};
}

RunGuard::Need RunGuard::NeedBytes(std::int64_t bytes) {
  MemoryBudget* budget = scheduler_.Budget();
  if (bytes > peak_) peak_ = bytes;
  if (!budget) return Need::Granted;
  if (bytes > budget->Capacity()) return Need::TooLarge;
  if (evicted_ || scheduler_.Stopping()) return Need::Stop;
  // A run that gave its memory back waits at its start for what it reached
  // before, rather than start, grow and give it back again.
  std::int64_t want = bytes;
  if (held_ == 0) want = std::min(std::max(bytes, previousPeak_), budget->Capacity());
  if (want <= held_) return Need::Granted;
  const long long priority = run_;
  const std::int64_t more = want - held_;
  if (budget->TryAcquire(more, priority)) {
    held_ = want;
    return Need::Granted;
  }
  // Waiting is safe for a run that holds nothing, and for the earliest run
  // going: every later one gives its memory back rather than wait.
  if (held_ == 0 || scheduler_.IsEarliestGoing(run_)) {
    const auto grant = budget->Acquire(more, priority, [this] { return scheduler_.Stopping(); });
    if (grant == MemoryBudget::Grant::Granted) {
      held_ = want;
      return Need::Granted;
    }
    return Need::Stop;
  }
  evicted_ = true;
  return Need::Stop;
}

OrderedRunsOutcome RunInOrderCore(long long first, long long last, int threads, MemoryBudget* budget,
                                  const std::function<bool(long long, RunGuard&)>& compute,
                                  const std::function<void(long long)>& emit,
                                  const std::function<void(long long, long long)>& progress) {
  OrderedRunsOutcome outcome;
  const long long total = last - first;
  if (total <= 0) return outcome;
  const long long wanted = std::clamp<long long>(threads, 1, total);
  // Workers stay at most this far ahead of the emitted rows, so memory stays
  // bounded however long the batch.
  RunScheduler scheduler(first, last, 64 * wanted, budget);

  auto computeOne = [&](long long run) {
    bool completed = false;
    std::int64_t peak = 0;
    {
      RunGuard guard(scheduler, run, scheduler.PeakOf(run));
      try {
        completed = compute(run, guard);
      } catch (...) {
        scheduler.Fail(std::current_exception());
      }
      peak = guard.Peak();
    }
    scheduler.Ended(run, completed, peak);
  };
  auto worker = [&] {
    while (const auto run = scheduler.Take()) computeOne(*run);
  };
  // Hands on runs in order while they are done; with `wait`, until the
  // last one or until the batch stops.
  auto emitReady = [&](bool wait) {
    long long run = 0;
    while (scheduler.NextToEmit(run, wait) == RunScheduler::Wait::Ready) {
      try {
        emit(run);
        scheduler.Emitted();
        if (progress) progress(scheduler.EmittedCount(first), total);
      } catch (...) {
        scheduler.Fail(std::current_exception());
        return;
      }
    }
  };

  std::vector<std::thread> pool = StartThreads(static_cast<int>(wanted), worker);
  outcome.threads = static_cast<int>(pool.size());
  if (pool.empty()) {
    // Not even one worker: the calling thread computes and emits in turn.
    while (const auto run = scheduler.Take()) {
      computeOne(*run);
      emitReady(false);
    }
  } else {
    emitReady(true);
  }
  for (auto& thread : pool) thread.join();
  if (const auto error = scheduler.Error()) std::rethrow_exception(error);
  outcome.emitted = scheduler.EmittedCount(first);
  if (outcome.emitted < total) outcome.signal = InterruptSignal();
  return outcome;
}

}  // namespace davrel3
