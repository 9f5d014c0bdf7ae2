#include "failing_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long long> remaining{0};  // 0: not armed
std::atomic<bool> failed{false};
std::atomic<long long> count{0};
std::atomic<unsigned long long> largest{0};  // 0: any size

void* Allocate(std::size_t size) {
  count.fetch_add(1, std::memory_order_relaxed);
  if (remaining.load(std::memory_order_relaxed) > 0 && remaining.fetch_sub(1) == 1) {
    failed = true;
    throw std::bad_alloc();
  }
  const unsigned long long limit = largest.load(std::memory_order_relaxed);
  if (limit > 0 && size > limit) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
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
void ResetAllocationCount() { count = 0; }

}  // namespace davrel3::testing

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
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
