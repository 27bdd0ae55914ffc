// Runs all its children at once; succeeds when all have succeeded, and one Failure makes it
// FatalError.
#pragma once

#include <cstddef>
#include <memory>
#include <unordered_set>
#include <vector>

#include "kiv/work/composite_work.h"

namespace kiv {

class ParallelWork : public CompositeWork {
 public:
  explicit ParallelWork(WorkCompleteCallback* callback = nullptr);

  // Adds and attaches the child unless it is already there; answers whether it was added. Null
  // is refused with std::invalid_argument.
  bool AddChild(const std::shared_ptr<Work>& child);
  virtual void Reserve(size_t count);

  void Reset() override;
  void OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>& workflow) override;
  // Queues every child, child i with path index i. Without children, a no-op stand-in runs so
  // that the work still completes.
  void QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) override;
  bool IsExpectedChild(const std::shared_ptr<Work>& child) override;
  CompletionRecord OnChildComplete(const std::shared_ptr<Work>& child,
                                   const WorkStatus& status) override;

  size_t GetChildCount() const;

 private:
  std::vector<std::shared_ptr<Work>> children_;
  std::unordered_set<const Work*> pending_;
};

}  // namespace kiv
