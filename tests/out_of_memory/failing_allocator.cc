#include "failing_allocator.h"

#include <atomic>
#include <malloc.h>

#include <cstdlib>
#include <new>

#include "model/history_array.h"

namespace {

std::atomic<long long> remaining{0};  // 0: not armed
std::atomic<bool> failed{false};
std::atomic<long long> count{0};
std::atomic<unsigned long long> largest{0};  // 0: any size
std::atomic<long long> live{0};
std::atomic<long long> peak{0};

void* Counted(void* p) {
  const long long now = live.fetch_add(static_cast<long long>(malloc_usable_size(p))) +
                        static_cast<long long>(malloc_usable_size(p));
  for (long long seen = peak.load(); now > seen && !peak.compare_exchange_weak(seen, now);) {
  }
  return p;
}

void Free(void* p) {
  if (!p) return;
  live.fetch_sub(static_cast<long long>(malloc_usable_size(p)));
  std::free(p);
}

void* Allocate(std::size_t size) {
  count.fetch_add(1, std::memory_order_relaxed);
  if (remaining.load(std::memory_order_relaxed) > 0 && remaining.fetch_sub(1) == 1) {
    failed = true;
    throw std::bad_alloc();
  }
  const unsigned long long limit = largest.load(std::memory_order_relaxed);
  if (limit > 0 && size > limit) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return Counted(p);
  throw std::bad_alloc();
}

}  // namespace

namespace davrel3::testing {

void FailAllocation(long long n) {
  failed = false;
  remaining = n;
}

void FailAllocationsOver(unsigned long long bytes) { largest = bytes; }

bool StopFailing() {
  remaining = 0;
  largest = 0;
  return failed.exchange(false);
}

long long AllocationCount() { return count.load(); }
long long LiveBytes() { return live.load(); }
long long PeakBytes() { return peak.load(); }
void ResetPeakBytes() { peak = live.load(); }
void ResetAllocationCount() { count = 0; }

}  // namespace davrel3::testing

// The history's arrays take their memory through this pair instead of the
// library's (history_memory.cc): counted and failed on request like every
// other allocation. A block that grows counts as held twice until it is
// grown, as a copy into a new block would be.
namespace davrel3 {

void* HistoryReallocate(void* block, std::size_t bytes) noexcept {
  count.fetch_add(1, std::memory_order_relaxed);
  if (remaining.load(std::memory_order_relaxed) > 0 && remaining.fetch_sub(1) == 1) {
    failed = true;
    return nullptr;
  }
  const unsigned long long limit = largest.load(std::memory_order_relaxed);
  if (limit > 0 && bytes > limit) return nullptr;
  const long long before = block ? static_cast<long long>(malloc_usable_size(block)) : 0;
  void* grown = std::realloc(block, bytes);
  if (!grown) return nullptr;
  Counted(grown);
  live.fetch_sub(before);
  return grown;
}

void HistoryRelease(void* block) noexcept { Free(block); }

}  // namespace davrel3

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
