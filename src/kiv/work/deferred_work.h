// A composite whose single child is supplied later, while the tree runs (the file level of a
// package, built once the manifest is known). Queued before anything was assigned, it runs a
// no-op instead.
#pragma once

#include <memory>
#include <mutex>

#include "kiv/work/composite_work.h"

namespace kiv {

class DeferredWork : public CompositeWork {
 public:
  explicit DeferredWork(WorkCompleteCallback* callback = nullptr) : CompositeWork(callback) {}

  // Sets the child (a NoOpWork for null) unless one is already set; answers whether it did.
  // Called from another work's task.
  bool Assign(std::shared_ptr<Work> child);
  std::shared_ptr<Work> GetChild() const;

  // Writes "name" = "DeferredWork".
  void Describe(boost::property_tree::ptree& tree) const override;
  void Reset() override;
  void OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>& workflow) override;
  void QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) override;
  bool IsExpectedChild(const std::shared_ptr<Work>& child) override;
  CompletionRecord OnChildComplete(const std::shared_ptr<Work>& child,
                                   const WorkStatus& status) override;

 private:
  mutable std::mutex childLock_;
  std::shared_ptr<Work> child_;
};

}  // namespace kiv
