#include "ordered_runs.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <thread>

#include "experiment/interrupt.h"
#include "experiment/thread_start.h"

namespace davrel3 {

namespace {
constexpr long long kIdle = LLONG_MAX;
constexpr auto kPoll = std::chrono::milliseconds(100);  // an interrupt cannot notify
}  // namespace

RunChunks ChunksFor(long long total, int threads) {
  const long long workers = std::max(1, threads);
  RunChunks chunks;
  chunks.size = std::clamp<long long>(total / (8 * workers), 1, 16);
  chunks.window = std::max<long long>(2, (64 * workers + chunks.size - 1) / chunks.size);
  return chunks;
}

long long ResultSlots(long long total, const RunChunks& chunks) { return std::max(1LL, std::min(total, chunks.Slots())); }

// The shared state of one RunInOrderCore. Workers claim chunks with an
// atomic compare-and-swap and publish the run each is on in an atomic of
// their own; the mutex guards only the hand-over of finished chunks and the
// waits for the window.
class RunScheduler {
 public:
  // Workers 0 to workers - 1 compute the chunks; the calling thread is
  // worker `workers` (CallerSlot) when it computes a dropped run again.
  RunScheduler(long long first, long long last, const RunChunks& chunks, int workers, MemoryBudget* budget,
               const std::function<void(long long)>& drop)
      : first_(first),
        last_(last),
        chunks_(chunks),
        chunkCount_((last - first + chunks.size - 1) / chunks.size),
        ring_(static_cast<std::size_t>(chunks.window)),
        workers_(std::max(1, workers)),
        going_(std::make_unique<std::atomic<long long>[]>(static_cast<std::size_t>(workers_ + 1))),
        current_(static_cast<std::size_t>(workers_ + 1)),
        budget_(budget),
        results_(static_cast<std::size_t>(ResultSlots(last - first, chunks))),
        drop_(drop) {
    for (int w = 0; w <= workers_; ++w) going_[w].store(kIdle);
  }

  MemoryBudget* Budget() const { return budget_; }
  int Workers() const { return workers_; }
  int CallerSlot() const { return workers_; }

  // Whether no run should go on: an interrupt, or a failure that ends the batch.
  bool Stopping() const { return Interrupted() || failed_.load(); }
  // Whether run `run` should not go on: the batch stops, or it comes after
  // a run whose result could not be built.
  bool StopsRun(long long run) const { return Stopping() || run > cut_.load(); }

  long long ChunkBegin(long long chunk) const { return first_ + chunk * chunks_.size; }
  long long ChunkEnd(long long chunk) const { return std::min(last_, ChunkBegin(chunk) + chunks_.size); }

  // The next chunk for worker `me`, once it is within the window ahead of
  // the chunks handed on (without `wait`, none while it is not); none when
  // every chunk is out or the batch stops.
  std::optional<long long> Claim(int me, bool wait) {
    for (;;) {
      if (Stopping()) return std::nullopt;
      long long next = next_.load();
      if (next >= chunkCount_ || ChunkBegin(next) > cut_.load()) return std::nullopt;
      if (next >= emitted_.load() + chunks_.window) {
        if (!wait) return std::nullopt;
        std::unique_lock lock(mutex_);
        if (next_.load() >= emitted_.load() + chunks_.window && !Stopping()) changed_.wait_for(lock, kPoll);
        continue;
      }
      // Published before the claim, and never above the run it gets: a run
      // of a later chunk never takes itself for the earliest going.
      going_[me].store(ChunkBegin(next));
      if (next_.compare_exchange_weak(next, next + 1)) return next;
    }
  }

  void SetGoing(int me, long long run) { going_[me].store(run); }
  void SetIdle(int me) { going_[me].store(kIdle); }

  // Whether no worker (nor the calling thread) is on a run before `run`.
  bool IsEarliestGoing(long long run) const {
    for (int w = 0; w <= workers_; ++w) {
      if (going_[w].load() < run) return false;
    }
    return true;
  }

  // Worker side, on the worker's own thread: it is on chunk `chunk` (-1:
  // none) with its first `completed` runs stored.
  void SetCurrent(int me, long long chunk, long long completed) {
    current_[static_cast<std::size_t>(me)] = Current{chunk, completed};
  }

  // Worker side: the chunk is over, with its first `completed` runs stored.
  void Finished(long long chunk, long long completed) {
    {
      std::lock_guard lock(mutex_);
      ring_[static_cast<std::size_t>(chunk % chunks_.window)] = ChunkState{chunk, completed, true};
    }
    changed_.notify_all();
  }

  // Worker side: the runs of its chunk stored so far may be handed on before
  // the chunk is over.
  void Publish(int me) {
    const Current current = current_[static_cast<std::size_t>(me)];
    if (current.chunk < 0 || current.completed == 0) return;
    {
      std::lock_guard lock(mutex_);
      ring_[static_cast<std::size_t>(current.chunk % chunks_.window)] =
          ChunkState{current.chunk, current.completed, false};
    }
    changed_.notify_all();
  }

  // Run `run` stored a result that keeps `bytes` of the budget until it is
  // handed on; false (nothing kept) when an earlier run waits for memory.
  bool Hold(long long run, std::int64_t bytes) {
    std::lock_guard lock(mutex_);
    if (budget_->LowerWaiting(run)) return false;
    results_[SlotOf(run)] = HeldResult{run, bytes, false};
    return true;
  }

  // Run `run` on worker `me` is about to wait for `more` bytes: the runs of
  // its chunk stored so far are handed on, and the results of later runs are
  // dropped, the latest first, until `more` would be free. Whether any was
  // dropped.
  bool MakeRoom(long long run, int me, std::int64_t more) {
    Publish(me);
    std::int64_t freed = 0;
    {
      std::lock_guard lock(mutex_);
      while (budget_->Capacity() - budget_->InUse() + freed < more) {
        HeldResult* latest = nullptr;
        for (HeldResult& held : results_) {
          if (held.bytes > 0 && held.run > run && (!latest || held.run > latest->run)) latest = &held;
        }
        if (!latest) break;
        drop_(latest->run);
        freed += latest->bytes;
        latest->bytes = 0;
        latest->dropped = true;
      }
    }
    budget_->Release(freed);
    return freed > 0;
  }

  // Calling thread, before run `run` is handed on: whether its result was
  // dropped (and is to be computed again).
  bool TakeDropped(long long run) {
    if (!budget_) return false;
    std::lock_guard lock(mutex_);
    HeldResult& held = results_[SlotOf(run)];
    if (held.run != run || !held.dropped) return false;
    held = HeldResult{};
    return true;
  }

  // Calling thread: run `run` was handed on; what its result kept goes back.
  void HandedOnRun(long long run) {
    if (!budget_) return;
    std::int64_t bytes = 0;
    {
      std::lock_guard lock(mutex_);
      HeldResult& held = results_[SlotOf(run)];
      if (held.run != run) return;
      bytes = held.bytes;
      held = HeldResult{};
    }
    budget_->Release(bytes);
  }

  // Run `unrecorded.run` has no result: the batch ends before it, and the
  // runs after it stop.
  void Cut(const UnrecordedRun& unrecorded) {
    {
      std::lock_guard lock(mutex_);
      if (!unrecorded_ || unrecorded.run < unrecorded_->run) {
        unrecorded_ = unrecorded;
        cut_.store(unrecorded.run);
      }
    }
    changed_.notify_all();
  }
  std::optional<UnrecordedRun> Unrecorded() {
    std::lock_guard lock(mutex_);
    return unrecorded_;
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

  struct ChunkState {
    long long chunk = -1;
    long long completed = 0;  // its first runs stored
    bool over = false;        // false: more may follow
  };

  // Calling thread: waits until chunk `chunk` is over or has more than
  // `handed` runs stored, and gives its state; none when it never will (the
  // batch failed, or was interrupted before the chunk was handed out), or
  // without `wait` when it has nothing new yet.
  std::optional<ChunkState> Over(long long chunk, long long handed, bool wait) {
    std::unique_lock lock(mutex_);
    for (;;) {
      if (chunk >= chunkCount_) return std::nullopt;
      const ChunkState& state = ring_[static_cast<std::size_t>(chunk % chunks_.window)];
      if (state.chunk == chunk && (state.over || state.completed > handed)) return state;
      if (failed_) return std::nullopt;
      if ((Interrupted() || ChunkBegin(chunk) > cut_.load()) && chunk >= next_.load()) return std::nullopt;
      if (!wait) return std::nullopt;
      changed_.wait_for(lock, kPoll);
    }
  }

  // Calling thread: chunk `chunk` was handed on whole, its slots are free.
  void HandedOn(long long chunk) {
    {
      std::lock_guard lock(mutex_);
      emitted_.store(chunk + 1);
    }
    changed_.notify_all();
  }

 private:
  struct Current {
    long long chunk = -1;
    long long completed = 0;
  };
  // A stored result that keeps memory of the budget until it is handed on.
  struct HeldResult {
    long long run = -1;
    std::int64_t bytes = 0;
    bool dropped = false;  // to be computed again
  };

  std::size_t SlotOf(long long run) const {
    return static_cast<std::size_t>((run - first_) % static_cast<long long>(results_.size()));
  }

  const long long first_, last_;
  const RunChunks chunks_;
  const long long chunkCount_;
  std::atomic<long long> next_{0};     // the next chunk to hand out
  std::atomic<long long> emitted_{0};  // chunks handed on whole; written under mutex_
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<ChunkState> ring_;  // the chunks of the window that are over, under mutex_
  const int workers_;
  std::unique_ptr<std::atomic<long long>[]> going_;  // the run each worker is on
  std::vector<Current> current_;  // each worker's chunk, its own thread only
  MemoryBudget* budget_;
  std::vector<HeldResult> results_;  // by result slot, under mutex_
  const std::function<void(long long)>& drop_;
  std::atomic<bool> failed_{false};
  std::exception_ptr error_;
  std::atomic<long long> cut_{kIdle};  // the earliest run without a result
  std::optional<UnrecordedRun> unrecorded_;  // under mutex_
};

RunGuard::RunGuard(RunScheduler& scheduler, long long run, int worker, std::int64_t previousPeak, bool alone)
    : scheduler_(scheduler), run_(run), worker_(worker), previousPeak_(previousPeak), alone_(alone) {}

RunGuard::~RunGuard() {
  if (held_ > 0 && scheduler_.Budget()) scheduler_.Budget()->Release(held_);
}

bool RunGuard::StopRequested() const { return evicted_ || scheduler_.StopsRun(run_); }

std::int64_t RunGuard::Budget() const {
  return scheduler_.Budget() ? scheduler_.Budget()->Capacity() : std::int64_t{0};
}

bool RunGuard::KeepForResult(std::int64_t bytes) {
  const std::int64_t keep = std::min(bytes, held_);
  if (!scheduler_.Budget() || keep <= 0) return true;
  if (!scheduler_.Hold(run_, keep)) return false;
  held_ -= keep;
  return true;
}

bool RunGuard::RetryAlone() {
  if (!scheduler_.Budget() || alone_) return false;
  wantsAlone_ = true;
  return true;
}

RunGuard::Need RunGuard::NeedBytes(std::int64_t bytes) {
  MemoryBudget* budget = scheduler_.Budget();
  if (bytes > peak_) peak_ = bytes;
  if (!budget) return Need::Granted;
  if (bytes > budget->Capacity()) return Need::TooLarge;
  if (evicted_ || scheduler_.StopsRun(run_)) return Need::Stop;
  // A run that gave its memory back waits at its start for what it reached
  // before, rather than start, grow and give it back again; a run that
  // found no memory waits for the whole budget.
  std::int64_t want = bytes;
  if (held_ == 0) want = alone_ ? budget->Capacity() : std::min(std::max(bytes, previousPeak_), budget->Capacity());
  if (want <= held_) return Need::Granted;
  const long long priority = run_;
  const std::int64_t more = want - held_;
  if (budget->TryAcquire(more, priority)) {
    held_ = want;
    return Need::Granted;
  }
  // Waiting is safe for a run that holds nothing, and for the earliest run
  // going: every later one gives its memory back rather than wait, and the
  // results of later runs held for the run order are dropped for it (each
  // time it is about to wait, so also those that came since).
  if (held_ == 0 || scheduler_.IsEarliestGoing(run_)) {
    const auto grant = budget->Acquire(
        more, priority, [this] { return scheduler_.StopsRun(run_); },
        [this, more] { return scheduler_.MakeRoom(run_, worker_, more); });
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
                                  const RunChunks& chunks,
                                  const std::function<bool(long long, RunGuard&)>& compute,
                                  const std::function<void(long long)>& emit,
                                  const std::function<void(long long)>& drop,
                                  const std::function<void(long long, long long)>& progress) {
  OrderedRunsOutcome outcome;
  const long long total = last - first;
  if (total <= 0) return outcome;
  const int wanted = static_cast<int>(std::clamp<long long>(threads, 1, total));
  RunScheduler scheduler(first, last, chunks, wanted, budget, drop);

  // One run, again as often as it gives its memory back; false when it
  // stopped because the batch stops.
  auto computeRun = [&](long long run, int me) {
    std::int64_t peak = 0;
    bool alone = false;
    for (;;) {
      // The guard gives back what it held before the run starts again.
      RunGuard guard(scheduler, run, me, peak, alone);
      try {
        if (compute(run, guard)) return true;
      } catch (const UnrecordedRun& unrecorded) {
        scheduler.Cut(unrecorded);
        return false;
      } catch (...) {
        scheduler.Fail(std::current_exception());
        return false;
      }
      if (scheduler.StopsRun(run)) return false;
      peak = std::max(peak, guard.Peak());
      alone = alone || guard.WantsAlone();
    }
  };
  // Claims and computes one chunk; false when there was none to claim.
  // afterRun() follows every run stored.
  auto workChunk = [&](int me, bool wait, const std::function<void()>& afterRun) {
    const auto chunk = scheduler.Claim(me, wait);
    if (!chunk) return false;
    long long completed = 0;
    scheduler.SetCurrent(me, *chunk, 0);
    for (long long run = scheduler.ChunkBegin(*chunk); run < scheduler.ChunkEnd(*chunk); ++run) {
      scheduler.SetGoing(me, run);
      if (scheduler.StopsRun(run) || !computeRun(run, me)) break;
      scheduler.SetCurrent(me, *chunk, ++completed);
      if (afterRun) afterRun();
    }
    scheduler.SetIdle(me);
    scheduler.SetCurrent(me, -1, 0);
    scheduler.Finished(*chunk, completed);
    return true;
  };
  std::atomic<int> nextWorker{0};
  auto worker = [&] {
    const int me = nextWorker.fetch_add(1);
    try {
      while (workChunk(me, true, nullptr)) {
      }
    } catch (...) {
      // Nothing above should throw; if it does, the batch ends with it
      // rather than the process.
      scheduler.Fail(std::current_exception());
    }
  };

  // The calling thread hands on the runs of the chunks in order as they are
  // stored; with `wait`, until the last one or until the batch stops. A run
  // whose result was dropped is computed again here first. A chunk cut
  // short ends the unbroken prefix: nothing after it is handed on.
  long long nextChunk = 0;
  long long handed = 0;  // runs of nextChunk handed on
  bool ended = false;
  const int caller = scheduler.CallerSlot();
  auto handOn = [&](bool wait) {
    while (!ended) {
      const auto state = scheduler.Over(nextChunk, handed, wait);
      if (!state) return;
      const long long begin = scheduler.ChunkBegin(nextChunk);
      const long long end = scheduler.ChunkEnd(nextChunk);
      try {
        for (; handed < state->completed; ++handed) {
          const long long run = begin + handed;
          if (scheduler.TakeDropped(run)) {
            scheduler.SetGoing(caller, run);
            const bool stored = computeRun(run, caller);
            scheduler.SetIdle(caller);
            if (!stored) {
              ended = true;
              return;
            }
          }
          emit(run);
          scheduler.HandedOnRun(run);
          ++outcome.emitted;
          if (progress) progress(outcome.emitted, total);
        }
      } catch (...) {
        scheduler.Fail(std::current_exception());
        ended = true;
        return;
      }
      if (!state->over) continue;
      if (begin + state->completed < end) {
        ended = true;
        return;
      }
      scheduler.HandedOn(nextChunk++);
      handed = 0;
    }
  };

  std::vector<std::thread> pool = StartThreads(wanted, worker);
  outcome.threads = static_cast<int>(pool.size());
  if (pool.empty()) {
    // Not even one worker: the calling thread computes and hands on in turn,
    // each run as soon as it is stored, so that no result waits for memory
    // that only this thread could give back.
    const auto handOnStored = [&] {
      scheduler.Publish(0);
      handOn(false);
    };
    while (workChunk(0, false, handOnStored)) handOn(false);
    handOn(false);
  } else {
    handOn(true);
  }
  for (auto& thread : pool) thread.join();
  if (const auto error = scheduler.Error()) std::rethrow_exception(error);
  outcome.unrecorded = scheduler.Unrecorded();
  if (outcome.emitted < total) outcome.signal = InterruptSignal();
  return outcome;
}

}  // namespace davrel3
