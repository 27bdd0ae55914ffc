// Runs its children one after another; ends with the first Failure or with the last child's
// outcome.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "kiv/work/composite_work.h"

namespace kiv {

class SequentialWork : public CompositeWork {
 public:
  explicit SequentialWork(WorkCompleteCallback* callback = nullptr, size_t reserve = 0);

  // Appends and attaches; null is refused with std::invalid_argument.
  void AddChild(const std::shared_ptr<Work>& child);

  void Reset() override;
  void OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>& workflow) override;
  // Queues the first child. A sequence without children runs a no-op stand-in so that it still
  // completes.
  void QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) override;
  bool IsExpectedChild(const std::shared_ptr<Work>& child) override;
  CompletionRecord OnChildComplete(const std::shared_ptr<Work>& child,
                                   const WorkStatus& status) override;

  size_t GetChildCount() const;

 private:
  std::vector<std::shared_ptr<Work>> children_;
  uint32_t index_ = 0;
};

}  // namespace kiv
