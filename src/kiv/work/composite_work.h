// An inner node of the work tree: runs no task, queues its ready children and turns their
// completions into its own. Children report through the WorkCompleteCallback base; a recursive
// lock serialises the reports (IsExpectedChild re-enters it through IsComplete).
#pragma once

#include <memory>
#include <mutex>

#include "kiv/work/completion_record.h"
#include "kiv/work/work.h"
#include "kiv/work/work_complete_callback.h"
#include "kiv/work/work_status.h"

namespace kiv {

class CompositeWork : public Work,
                      public WorkCompleteCallback,
                      public std::enable_shared_from_this<CompositeWork> {
 public:
  CompositeWork() = default;
  explicit CompositeWork(WorkCompleteCallback* callback) : Work(callback) {}

  // A child reports. Late reports after completion are ignored; an unexpected child makes the
  // composite FatalError. The lock is released before this composite's own notice goes out.
  void OnWorkComplete(const std::shared_ptr<Work>& child, const WorkStatus& status) override;

  // Opens the composite again; subclasses also reset their children.
  void Reset() override;
  std::shared_ptr<Work> SharedFromThis() override;
  std::shared_ptr<const Work> SharedFromThisConst() const override;

  // Makes this composite the child's parent and hands it the workflow when known. Children added
  // while the composite is still being constructed are adopted when the workflow is set.
  virtual void AttachChild(const std::shared_ptr<Work>& child);
  virtual bool IsExpectedChild(const std::shared_ptr<Work>& child) = 0;
  // Called under the lock for children that end Success or Failure.
  virtual CompletionRecord OnChildComplete(const std::shared_ptr<Work>& child,
                                           const WorkStatus& status) = 0;
  // Reset, then queue again on this composite's workflow.
  virtual void Restart();

  // Gives the child its path (this path + index) and queues it; nothing when the workflow is gone.
  void QueueChild(const std::shared_ptr<Work>& child, const std::shared_ptr<Workflow>& workflow,
                  uint32_t index);
  bool IsComplete() const;
  WorkStatus GetStatus() const;

 protected:
  // For OnWorkflowSet: parent and workflow for one child.
  void AdoptChild(const std::shared_ptr<Work>& child,
                  const std::shared_ptr<WorkCompleteCallback>& workflow);
  std::recursive_mutex& Mutex() const { return lock_; }

 private:
  mutable std::recursive_mutex lock_;
  bool complete_ = false;
  WorkStatus status_;
};

}  // namespace kiv
