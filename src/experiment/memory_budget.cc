#include "memory_budget.h"

#include <unistd.h>

#include <chrono>
#include <limits>

namespace davrel3 {

MemoryBudget::MemoryBudget(std::int64_t capacity) : capacity_(capacity < 0 ? 0 : capacity) {}

std::int64_t MemoryBudget::InUse() const { return used_.load(); }

bool MemoryBudget::MayGo(long long priority) const { return waiting_.empty() || *waiting_.begin() >= priority; }

bool MemoryBudget::TakeIfFree(std::int64_t bytes) {
  std::int64_t used = used_.load();
  do {
    if (bytes > capacity_ - used) return false;
  } while (!used_.compare_exchange_weak(used, used + bytes));
  return true;
}

MemoryBudget::Grant MemoryBudget::Acquire(std::int64_t bytes, long long priority, const std::function<bool()>& stop,
                                          const std::function<bool()>& makeRoom) {
  if (bytes < 0) bytes = 0;
  if (bytes > capacity_) return Grant::TooLarge;
  if (TryAcquire(bytes, priority)) return Grant::Granted;
  std::unique_lock lock(mutex_);
  // The request stays in waiting_ until it returns; its own entry never
  // holds it back, since only a strictly lower priority does. waiters_ goes
  // up before the request looks at what is free, so a release either sees
  // it waiting and wakes it, or comes before that look.
  const auto entry = waiting_.insert(priority);
  ++waiters_;
  auto leave = [&] {
    waiting_.erase(entry);
    --waiters_;
    released_.notify_all();
  };
  for (;;) {
    if (MayGo(priority) && TakeIfFree(bytes)) {
      // Someone behind this request may fit in what is left.
      leave();
      return Grant::Granted;
    }
    if (makeRoom) {
      lock.unlock();
      const bool gaveBack = makeRoom();
      lock.lock();
      if (gaveBack) continue;
    }
    // A signal cannot notify a condition variable, so the stop test is polled.
    released_.wait_for(lock, std::chrono::milliseconds(50));
    if (stop && stop()) {
      leave();
      return Grant::Stopped;
    }
  }
}

bool MemoryBudget::TryAcquire(std::int64_t bytes, long long priority) {
  if (bytes < 0) bytes = 0;
  if (waiters_.load() == 0) return TakeIfFree(bytes);
  std::lock_guard lock(mutex_);
  return MayGo(priority) && TakeIfFree(bytes);
}

void MemoryBudget::Release(std::int64_t bytes) {
  if (bytes <= 0) return;
  std::int64_t used = used_.load();
  while (!used_.compare_exchange_weak(used, used > bytes ? used - bytes : 0)) {
  }
  if (waiters_.load() == 0) return;
  // Taken and left so that a waiter between its look and its wait is not
  // missed.
  { std::lock_guard lock(mutex_); }
  released_.notify_all();
}

bool MemoryBudget::LowerWaiting(long long priority) const {
  std::lock_guard lock(mutex_);
  return !MayGo(priority);
}

namespace {

std::int64_t ReadPhysicalMemoryBytes() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  const auto limit = std::numeric_limits<std::int64_t>::max();
  if (pages > limit / pageSize) return limit;
  return static_cast<std::int64_t>(pages) * pageSize;
}

}  // namespace

// Read once: the system call behind it costs more than a small table run's
// whole commit, and every run asks.
std::int64_t PhysicalMemoryBytes() {
  static const std::int64_t bytes = ReadPhysicalMemoryBytes();
  return bytes;
}

std::int64_t DefaultMemoryBudget() {
  const std::int64_t physical = PhysicalMemoryBytes();
  if (physical <= 0) return std::int64_t{1} << 30;
  return physical / 2 < kMinimumMemoryBudget ? kMinimumMemoryBudget : physical / 2;
}

std::optional<std::string> ParseByteSize(std::string_view text, std::int64_t& bytes) {
  const std::string shown(text);
  const std::string expected = "a size such as 4G, 512M or 2048K; got '" + shown + "'";
  std::size_t i = 0;
  std::int64_t value = 0;
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    const int digit = text[i] - '0';
    if (value > (kMax - digit) / 10) return "'" + shown + "' is larger than any memory";
    value = value * 10 + digit;
    ++i;
  }
  if (i == 0) return expected;
  std::string_view unit = text.substr(i);
  int shift = 0;
  if (!unit.empty()) {
    switch (unit[0]) {
      case 'K': case 'k': shift = 10; break;
      case 'M': case 'm': shift = 20; break;
      case 'G': case 'g': shift = 30; break;
      case 'T': case 't': shift = 40; break;
      case 'B': case 'b': break;
      default: return expected;
    }
    if (shift != 0) unit.remove_prefix(1);
    if (unit == "iB" || unit == "B" || unit == "b" || unit.empty()) {
      // 4G, 4GB, 4GiB and 4096B all read as sizes.
    } else {
      return expected;
    }
  }
  if (value > (kMax >> shift)) return "'" + shown + "' is larger than any memory";
  value <<= shift;
  if (value < kMinimumMemoryBudget) return "the memory budget must be at least 16M; got '" + shown + "'";
  bytes = value;
  return std::nullopt;
}

std::string FormatByteSize(std::int64_t bytes) {
  static constexpr const char* kUnits[] = {"", "K", "M", "G", "T"};
  int unit = 0;
  while (unit < 4 && bytes != 0 && bytes % 1024 == 0) {
    bytes /= 1024;
    ++unit;
  }
  return std::to_string(bytes) + kUnits[unit];
}

}  // namespace davrel3
