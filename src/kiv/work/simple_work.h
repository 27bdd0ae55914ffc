// A leaf of the work tree: carries a task that runs on a work-manager thread, repeating at once
// while it reports RetryableError and CanRetry allows.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "kiv/work/work.h"
#include "kiv/work/work_status.h"

namespace kiv {

class SimpleWorkRetryCallback;

class SimpleWork : public Work, public std::enable_shared_from_this<SimpleWork> {
 public:
  SimpleWork() = default;
  explicit SimpleWork(WorkCompleteCallback* callback) : Work(callback) {}

  // Clears the interrupted flag; overrides call the base.
  void Reset() override;
  std::shared_ptr<Work> SharedFromThis() override;
  std::shared_ptr<const Work> SharedFromThisConst() const override;
  void OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>& workflow) override;
  // Hands this work to the workflow's ready queue.
  void QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) override;

  // The task itself; may throw (Run turns the exception into FatalError).
  virtual WorkStatus ExecuteTask() = 0;
  // Called by the workflow after it set the interrupted flag, while the task may be running. A
  // task that blocks uses it to end early; others implement it empty.
  virtual void Interrupt() = 0;

  void AddRetryCallback(SimpleWorkRetryCallback* callback);

  // The run loop; never throws and never returns a status with retry set.
  WorkStatus Run();

  // Written by the workflow's thread while the task runs on another; read without a lock.
  void SetInterrupted() { interrupted_.store(true, std::memory_order_release); }
  bool IsInterrupted() const { return interrupted_.load(std::memory_order_acquire); }

 private:
  std::atomic<bool> interrupted_{false};
  std::vector<SimpleWorkRetryCallback*> retryCallbacks_;
};

}  // namespace kiv
