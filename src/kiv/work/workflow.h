// Drives one work tree: owns the root, keeps the queue of ready simple works, runs them on a work
// manager and holds the state that the tree's owner controls.
#pragma once

#include <memory>

#include "kiv/work/work_complete_callback.h"
#include "kiv/work/workflow_state.h"

namespace kiv {

class SimpleWork;
class WorkflowRetryableErrorCallback;
struct WorkStatus;

class Workflow : public WorkCompleteCallback {
 public:
  // Every work of the tree reports here first (Work::NotifyComplete).
  void OnWorkComplete(const std::shared_ptr<Work>& work, const WorkStatus& status) override = 0;
  // The operations answer false, changing nothing, in states where they do not apply.
  virtual bool Start() = 0;
  virtual bool Pause() = 0;
  virtual bool Resume() = 0;
  virtual bool Retry() = 0;
  virtual WorkflowState GetState() = 0;
  virtual bool IsStarted() = 0;
  virtual bool IsPaused() = 0;
  virtual bool IsRetryPending() = 0;
  virtual bool IsFinished() = 0;
  // Stops the workflow and tells the root's observers the given status.
  virtual bool Abort(const WorkStatus& status) = 0;
  // Not owned; must outlive the workflow.
  virtual void AddRetryableErrorCallback(WorkflowRetryableErrorCallback* callback) = 0;
  // Resets the work and puts it into the ready queue (nothing once the workflow has finished).
  virtual void QueueWork(const std::shared_ptr<SimpleWork>& work) = 0;
  // Called by the workflow task after the work's completion notice.
  virtual void OnSimpleWorkComplete(const std::shared_ptr<SimpleWork>& work,
                                    const WorkStatus& status) = 0;
};

}  // namespace kiv
