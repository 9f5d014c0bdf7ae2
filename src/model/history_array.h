// The storage of the history's per-timestep quantities: a contiguous array
// of plain numbers that a long run grows thousands of times.
//
// It reads like a std::vector (size, capacity, data, iteration, ==) and keeps
// a vector's capacities: exactly the size for a new or copied array, exactly
// what reserve asks for. Its memory comes from HistoryReallocate, which keeps
// the values already there when it grows a block: a large block grows where
// it lies or is moved by the system without a copy, so a run's growth never
// copies its whole history (and never touches the memory of the copies
// again). Every allocation either succeeds or throws std::bad_alloc leaving
// the array as it was.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace davrel3 {

// The block `block` (nullptr: none) resized to `bytes` bytes (more than 0),
// its first bytes kept: the new block, or nullptr, leaving `block` as it was,
// when there is no memory for it. HistoryRelease frees a block (nullptr:
// nothing). Both are defined in a file of their own (history_memory.cc), so
// that a test program can link its own pair in their place: the
// out-of-memory tests fail them on request and count what they hold.
void* HistoryReallocate(void* block, std::size_t bytes) noexcept;
void HistoryRelease(void* block) noexcept;

template <typename T>
class HistoryArray {
  static_assert(std::is_trivially_copyable_v<T>, "the history holds plain numbers");

 public:
  using value_type = T;
  using size_type = std::size_t;
  using iterator = T*;
  using const_iterator = const T*;

  HistoryArray() = default;
  // `count` values of `value`.
  HistoryArray(std::size_t count, T value) {
    Reallocate(count);
    std::fill_n(data_, count, value);
    size_ = count;
  }
  // A copy of `count` values from `first`.
  HistoryArray(const T* first, std::size_t count) {
    Reallocate(count);
    if (count > 0) std::memcpy(data_, first, count * sizeof(T));
    size_ = count;
  }
  HistoryArray(const HistoryArray& other) : HistoryArray(other.data_, other.size_) {}
  HistoryArray(HistoryArray&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  HistoryArray& operator=(const HistoryArray& other) {
    if (this != &other) {
      HistoryArray copy(other);
      swap(copy);
    }
    return *this;
  }
  HistoryArray& operator=(HistoryArray&& other) noexcept {
    HistoryArray moved(std::move(other));
    swap(moved);
    return *this;
  }
  ~HistoryArray() { HistoryRelease(data_); }

  void swap(HistoryArray& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }

  // Room for `count` values: the capacity becomes `count` if it was less.
  void reserve(std::size_t count) {
    if (count > capacity_) Reallocate(count);
  }
  // `count` values: new ones are `value`. Growing past the capacity at least
  // doubles it, as a vector's growth does.
  void resize(std::size_t count, T value = T{}) {
    if (count > capacity_) Reallocate(std::max(count, 2 * capacity_));
    if (count > size_) std::fill(data_ + size_, data_ + count, value);
    size_ = count;
  }

  friend bool operator==(const HistoryArray& a, const HistoryArray& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }

 private:
  // Capacity `count` (not below the size); throws std::bad_alloc, changing
  // nothing, when the memory is not there.
  void Reallocate(std::size_t count) {
    if (count == 0) return;
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    void* block = HistoryReallocate(data_, count * sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    data_ = static_cast<T*>(block);
    capacity_ = count;
  }

  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace davrel3
