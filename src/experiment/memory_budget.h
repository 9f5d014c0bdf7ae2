// The memory a batch may use, shared by the runs it has going at once. Each
// run takes the bytes it needs before it starts (and more as it grows) and
// gives them back when it ends; a run that does not fit waits until running
// ones have given back enough, so how many run side by side depends on the
// budget, never what any of them computes. Only a request larger than the
// whole budget is refused.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace davrel3 {

class MemoryBudget {
 public:
  explicit MemoryBudget(std::int64_t capacity);

  std::int64_t Capacity() const { return capacity_; }
  std::int64_t InUse() const;

  enum class Grant { Granted, TooLarge, Stopped };
  // Waits until `bytes` are free and takes them. Requests are served lowest
  // `priority` first: while a request with a lower priority waits, a later
  // one does not overtake it, so a large run is not starved by small ones.
  // `stop` is polled while waiting; when it answers true, nothing is taken.
  // `makeRoom`, when given, is called (without the budget's lock) each time
  // the request is about to wait, once it holds its place in the queue; it
  // answers whether it gave memory back.
  Grant Acquire(std::int64_t bytes, long long priority, const std::function<bool()>& stop = nullptr,
                const std::function<bool()>& makeRoom = nullptr);
  // Takes `bytes` only if they are free now and nobody with a lower priority
  // waits.
  bool TryAcquire(std::int64_t bytes, long long priority);
  void Release(std::int64_t bytes);
  // Whether a request with a lower priority than `priority` is waiting.
  bool LowerWaiting(long long priority) const;

 private:
  // Whether a request of `priority` may be served now: no lower one waits
  // (under mutex_).
  bool MayGo(long long priority) const;
  // Takes `bytes` if they are free, in one atomic step.
  bool TakeIfFree(std::int64_t bytes);

  // What is taken and who waits are atomics, so that a request that fits
  // while nobody waits, and a release nobody waits for, take no lock; the
  // mutex guards the queue of waiting requests.
  const std::int64_t capacity_;
  std::atomic<std::int64_t> used_{0};
  std::atomic<int> waiters_{0};
  std::multiset<long long> waiting_;
  mutable std::mutex mutex_;
  std::condition_variable released_;
};

// The machine's physical memory in bytes as the first call reads it, 0 if it
// cannot be told.
std::int64_t PhysicalMemoryBytes();
// Half of the physical memory (1 GiB if it cannot be told).
std::int64_t DefaultMemoryBudget();

// "4G", "512M", "1536K", "2T" or plain bytes; K, M, G and T are powers of
// 1024 and may be written KiB, MiB, ... or KB, MB, ...; the budget must be
// at least 16M. Returns the reason as text if `text` is not such a size.
std::optional<std::string> ParseByteSize(std::string_view text, std::int64_t& bytes);
// The size in the largest unit that shows it whole ("8G", "1536M", "100").
std::string FormatByteSize(std::int64_t bytes);

inline constexpr std::int64_t kMinimumMemoryBudget = std::int64_t{16} << 20;

}  // namespace davrel3
