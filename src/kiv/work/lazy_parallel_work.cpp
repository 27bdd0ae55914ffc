// Children produced on demand, a bounded number in flight.
#include "kiv/work/lazy_parallel_work.h"

#include <stdexcept>
#include <vector>

#include "kiv/work/no_op_work.h"

namespace kiv {

LazyParallelWork::LazyParallelWork(WorkCompleteCallback* callback, uint32_t capacity)
    : CompositeWork(callback), capacity_(capacity) {
  Reserve(capacity);
}

void LazyParallelWork::Reserve(uint32_t capacity) {
  if (capacity == 0) {
    throw std::invalid_argument("LazyParallelWork::Reserve called with zero capacity");
  }
  std::lock_guard guard(Mutex());
  running_.reserve(capacity);
}

void LazyParallelWork::Reset() {
  std::lock_guard guard(Mutex());
  CompositeWork::Reset();
  produced_ = 0;
}

void LazyParallelWork::OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>&) {
  // Children are attached as they are produced.
}

void LazyParallelWork::QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) {
  // No lock (see SequentialWork::QueueAvailableWork): the batch is produced before any of it is
  // queued, so no report can meet the production.
  const uint32_t first = produced_;
  std::vector<std::shared_ptr<Work>> batch;
  while (produced_ < capacity_) {
    std::shared_ptr<Work> next = CreateNextWork();
    if (!next) break;
    if (running_.insert(next).second) {
      AttachChild(next);
      batch.push_back(std::move(next));
    }
    ++produced_;
  }
  if (batch.empty() && running_.empty()) {
    auto standIn = std::make_shared<NoOpWork>();
    running_.insert(standIn);
    AttachChild(standIn);
    batch.push_back(std::move(standIn));
  }
  for (size_t i = 0; i < batch.size(); ++i) {
    QueueChild(batch[i], workflow, first + static_cast<uint32_t>(i));
  }
}

bool LazyParallelWork::IsExpectedChild(const std::shared_ptr<Work>& child) {
  std::lock_guard guard(Mutex());
  return running_.count(child) != 0;
}

CompletionRecord LazyParallelWork::OnChildComplete(const std::shared_ptr<Work>& child,
                                                   const WorkStatus& status) {
  if (status.result == WorkResult::Failure) {
    return CompletionRecord(true, WorkStatus(WorkResult::FatalError, status.data));
  }
  running_.erase(child);
  if (std::shared_ptr<Work> next = CreateNextWork()) {
    const uint32_t index = produced_++;
    // A work handed out twice is already in flight; queueing it again would run it twice.
    if (running_.insert(next).second) {
      AttachChild(next);
      QueueChild(next, GetWorkflow(), index);
    }
  }
  if (running_.empty()) return CompletionRecord(true, WorkStatus(WorkResult::Success));
  return CompletionRecord();
}

}  // namespace kiv
