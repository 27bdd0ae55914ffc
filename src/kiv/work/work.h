// The unit of work: a node of a work tree. Leaves (SimpleWork) run a task on a work manager;
// inner nodes (CompositeWork) decide which children are ready and when they are complete. A
// workflow owns the root; a work holds its parent and its workflow only weakly, so dropping the
// root frees the tree.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kiv/work/work_descriptor.h"

namespace kiv {

class CompositeWork;
class Workflow;
class WorkCompleteCallback;
struct WorkStatus;

// A work's position in its tree; the workflow runs ready works in ascending lexicographic order.
using WorkPath = std::vector<uint32_t>;

class Work : public WorkDescriptor {
 public:
  Work() = default;
  explicit Work(WorkCompleteCallback* callback);
  Work(const Work&) = delete;
  Work& operator=(const Work&) = delete;
  ~Work() override = default;

  // Adds nothing; concrete works write at least "name".
  void Describe(boost::property_tree::ptree& tree) const override;
  // Asked after a RetryableError; a true answer uses up one retry.
  virtual bool CanRetry();
  // Makes the work ready to run again from its beginning.
  virtual void Reset() = 0;
  // Describe, then the status under "workStatus".
  virtual void DescribeWithStatus(const WorkStatus& status,
                                  boost::property_tree::ptree& tree) const;
  virtual std::shared_ptr<Work> SharedFromThis() = 0;
  virtual std::shared_ptr<const Work> SharedFromThisConst() const = 0;
  virtual void SetParent(const std::shared_ptr<CompositeWork>& parent);
  // Stores the workflow weakly and passes it on through OnWorkflowSet.
  virtual void SetWorkflow(const std::shared_ptr<WorkCompleteCallback>& workflow);
  virtual void OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>& workflow) = 0;
  // Puts the ready simple works of this subtree into the workflow's queue.
  virtual void QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) = 0;

  // Observers are not owned and must outlive the work; add them before the work is queued.
  void AddCompleteCallback(WorkCompleteCallback* callback);
  // path = parent path followed by index.
  void SetPath(const WorkPath& parentPath, uint32_t index);
  const WorkPath& GetPath() const { return path_; }

  // Tells the workflow, then the observers in order, then the parent (last, because it may
  // complete in turn from inside this call). Takes no lock of the work's own.
  void NotifyComplete(const WorkStatus& status);

  // Null when never set or already gone.
  std::shared_ptr<CompositeWork> GetParent() const { return parent_.lock(); }
  std::shared_ptr<WorkCompleteCallback> GetWorkflowCallback() const { return workflow_.lock(); }
  // The workflow as a Workflow; null when the observer set by SetWorkflow is not a Workflow.
  std::shared_ptr<Workflow> GetWorkflow() const { return workflowInterface_.lock(); }

 private:
  std::weak_ptr<WorkCompleteCallback> workflow_;
  // The same object seen through its Workflow interface, resolved once in SetWorkflow.
  std::weak_ptr<Workflow> workflowInterface_;
  std::vector<WorkCompleteCallback*> callbacks_;
  std::weak_ptr<CompositeWork> parent_;
  WorkPath path_;
};

}  // namespace kiv
