// A counter that only grows, read as the change since the previous reading: many threads add
// without locking while one reader (analytics) takes the deltas.
#pragma once

#include <atomic>
#include <mutex>

namespace kiv {

template <typename T>
class DeltaCounter {
 public:
  void Add(T amount) { value_.fetch_add(amount, std::memory_order_relaxed); }

  T Get() const { return value_.load(std::memory_order_relaxed); }

  // The growth since the previous call (or since creation) and makes the current value the
  // new baseline. Unsigned subtraction keeps the delta right across a wrap of the total.
  T TakeDelta() {
    std::lock_guard<std::mutex> lock(mutex_);
    const T current = value_.load(std::memory_order_relaxed);
    const T delta = static_cast<T>(current - baseline_);
    baseline_ = current;
    return delta;
  }

 private:
  std::atomic<T> value_{0};
  std::mutex mutex_;
  T baseline_ = 0;
};

}  // namespace kiv
