// Runs children produced on demand, at most capacity of them in flight: the first queueing
// produces up to capacity, and each success produces at most one more. Suits trees too large to
// build up front (the chunks of a file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_set>

#include "kiv/work/composite_work.h"

namespace kiv {

class LazyParallelWork : public CompositeWork {
 public:
  // capacity 0 is refused with std::invalid_argument.
  LazyParallelWork(WorkCompleteCallback* callback, uint32_t capacity);

  // Checks the capacity and reserves room for it.
  virtual void Reserve(uint32_t capacity);
  // The next child, or null when there is none left. The subclass keeps its own position.
  virtual std::shared_ptr<Work> CreateNextWork() = 0;

  // Restarts production; children still in flight stay expected.
  void Reset() override;
  void OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>& workflow) override;
  // Produces and queues the first batch. When nothing is produced and nothing is in flight, a
  // no-op stand-in runs so that the work still completes.
  void QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) override;
  bool IsExpectedChild(const std::shared_ptr<Work>& child) override;
  CompletionRecord OnChildComplete(const std::shared_ptr<Work>& child,
                                   const WorkStatus& status) override;

  uint32_t GetCapacity() const { return capacity_; }

 private:
  std::unordered_set<std::shared_ptr<Work>> running_;
  const uint32_t capacity_;
  uint32_t produced_ = 0;
};

}  // namespace kiv
