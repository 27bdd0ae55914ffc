// The workflow that drives one work tree on a work manager.
#include "kiv/work/standard_workflow.h"

#include <algorithm>
#include <stdexcept>

#include "kiv/work/simple_work.h"
#include "kiv/work/work_manager.h"
#include "kiv/work/work_status.h"
#include "kiv/work/workflow_retryable_error_callback.h"

namespace kiv {

bool StandardWorkflow::ReadyAfter::operator()(const ReadyEntry& a, const ReadyEntry& b) const {
  // std heaps put the greatest element first; "greater" here is "runs later".
  if (a.path != b.path) return b.path < a.path;
  return b.seq < a.seq;
}

std::shared_ptr<StandardWorkflow> StandardWorkflow::Create(std::shared_ptr<Work> root,
                                                           WorkManager* manager,
                                                           uint32_t maxRunning) {
  if (!root) throw std::invalid_argument("StandardWorkflow::Create called with no root work");
  if (manager == nullptr) {
    throw std::invalid_argument("StandardWorkflow::Create called with no work manager");
  }
  // A workflow that may run nothing would wait forever.
  if (maxRunning == 0) {
    throw std::invalid_argument("StandardWorkflow::Create called with zero maxRunning");
  }
  std::shared_ptr<StandardWorkflow> workflow(
      new StandardWorkflow(std::move(root), manager, maxRunning));
  workflow->root_->SetWorkflow(workflow);
  return workflow;
}

StandardWorkflow::StandardWorkflow(std::shared_ptr<Work> root, WorkManager* manager,
                                   uint32_t maxRunning)
    : root_(std::move(root)), manager_(manager), maxRunning_(maxRunning) {}

StandardWorkflow::~StandardWorkflow() = default;

bool StandardWorkflow::IsPausedLocked() const {
  return state_ == WorkflowState::Paused || state_ == WorkflowState::PausedRetryPending;
}

bool StandardWorkflow::IsRetryPendingLocked() const {
  return state_ == WorkflowState::RetryPending || state_ == WorkflowState::PausedRetryPending;
}

bool StandardWorkflow::IsFinishedLocked() const {
  return state_ == WorkflowState::Complete || state_ == WorkflowState::Aborted;
}

bool StandardWorkflow::Start() {
  std::lock_guard guard(lock_);
  if (IsStartedLocked()) return false;
  // The tree queues its first ready works back into this workflow (same thread, lock re-entered).
  // If it throws, the state stays NotStarted and nothing it queued is kept, so that a later Start
  // does not queue those works twice.
  try {
    root_->QueueAvailableWork(shared_from_this());
  } catch (...) {
    ready_.clear();
    throw;
  }
  state_ = WorkflowState::Running;
  Dispatch();
  return true;
}

bool StandardWorkflow::Pause() {
  std::lock_guard guard(lock_);
  if (state_ == WorkflowState::Running) {
    state_ = WorkflowState::Paused;
  } else if (state_ == WorkflowState::RetryPending) {
    state_ = WorkflowState::PausedRetryPending;
  } else {
    return false;
  }
  InterruptAll();
  return true;
}

bool StandardWorkflow::Resume() {
  std::lock_guard guard(lock_);
  if (state_ == WorkflowState::Paused) {
    state_ = WorkflowState::Running;
  } else if (state_ == WorkflowState::PausedRetryPending) {
    state_ = WorkflowState::RetryPending;
  } else {
    return false;
  }
  Dispatch();
  return true;
}

bool StandardWorkflow::Retry() {
  std::lock_guard guard(lock_);
  if (state_ == WorkflowState::RetryPending) {
    state_ = WorkflowState::Running;
  } else if (state_ == WorkflowState::PausedRetryPending) {
    state_ = WorkflowState::Paused;
  } else {
    return false;
  }
  Dispatch();
  return true;
}

WorkflowState StandardWorkflow::GetState() {
  std::lock_guard guard(lock_);
  return state_;
}

bool StandardWorkflow::IsStarted() {
  std::lock_guard guard(lock_);
  return IsStartedLocked();
}

bool StandardWorkflow::IsPaused() {
  std::lock_guard guard(lock_);
  return IsPausedLocked();
}

bool StandardWorkflow::IsRetryPending() {
  std::lock_guard guard(lock_);
  return IsRetryPendingLocked();
}

bool StandardWorkflow::IsFinished() {
  std::lock_guard guard(lock_);
  return IsFinishedLocked();
}

bool StandardWorkflow::Abort(const WorkStatus& status) {
  {
    std::lock_guard guard(lock_);
    if (state_ == WorkflowState::Aborted) return false;
    Pause();
    Finish(WorkflowState::Aborted);
  }
  // Outside the lock: the root's observers (the transfer) may call back into the workflow.
  root_->NotifyComplete(status);
  return true;
}

void StandardWorkflow::AddRetryableErrorCallback(WorkflowRetryableErrorCallback* callback) {
  if (callback == nullptr) return;
  std::lock_guard guard(lock_);
  retryableErrorCallbacks_.push_back(callback);
}

void StandardWorkflow::QueueWork(const std::shared_ptr<SimpleWork>& work) {
  if (!work) return;
  std::lock_guard guard(lock_);
  QueueWorkLocked(work);
}

void StandardWorkflow::QueueWorkLocked(const std::shared_ptr<SimpleWork>& work) {
  if (IsFinishedLocked()) return;
  work->Reset();
  ready_.push_back(ReadyEntry{work->GetPath(), readySeq_++, work});
  std::push_heap(ready_.begin(), ready_.end(), ReadyAfter());
}

void StandardWorkflow::OnSimpleWorkComplete(const std::shared_ptr<SimpleWork>& work,
                                            const WorkStatus& status) {
  std::lock_guard guard(lock_);
  auto it = running_.find(work.get());
  if (it != running_.end()) {
    --runningCount_;
    if (--it->second.second == 0) running_.erase(it);
  }
  if (!IsFinishedLocked() &&
      (status.result == WorkResult::Interrupted || status.result == WorkResult::RetryableError)) {
    QueueWorkLocked(work);
  }
  Dispatch();
}

void StandardWorkflow::OnWorkComplete(const std::shared_ptr<Work>& work, const WorkStatus& status) {
  std::unique_lock lock(lock_);
  if (!IsStartedLocked() || IsFinishedLocked()) return;
  switch (status.result) {
    case WorkResult::FatalError:
      InterruptAll();
      Finish(WorkflowState::Complete);
      break;
    case WorkResult::Interrupted:
    case WorkResult::RetryableError:
      break;
    default:
      if (work == root_) {
        InterruptAll();
        Finish(WorkflowState::Complete);
      }
      break;
  }
  if (status.result == WorkResult::RetryableError && !status.retry && !IsRetryPendingLocked() &&
      !IsFinishedLocked()) {
    EnterRetryPending(lock, work, status);
  }
}

void StandardWorkflow::Finish(WorkflowState state) {
  state_ = state;
  // Nothing queued will run any more; the tree still owns these works.
  ready_.clear();
}

void StandardWorkflow::Dispatch() {
  while (state_ == WorkflowState::Running && runningCount_ < maxRunning_ && !ready_.empty()) {
    std::pop_heap(ready_.begin(), ready_.end(), ReadyAfter());
    std::shared_ptr<SimpleWork> work = std::move(ready_.back().work);
    ready_.pop_back();
    auto& entry = running_[work.get()];
    if (entry.second++ == 0) entry.first = work;
    ++runningCount_;
    manager_->ExecuteForWorkflow(shared_from_this(), std::move(work));
  }
}

void StandardWorkflow::InterruptAll() {
  for (auto& [raw, entry] : running_) {
    entry.first->SetInterrupted();
    entry.first->Interrupt();
  }
}

void StandardWorkflow::EnterRetryPending(std::unique_lock<std::recursive_mutex>& lock,
                                         const std::shared_ptr<Work>& work,
                                         const WorkStatus& status) {
  InterruptAll();
  state_ = state_ == WorkflowState::Running ? WorkflowState::RetryPending
                                            : WorkflowState::PausedRetryPending;
  const std::vector<WorkflowRetryableErrorCallback*> callbacks = retryableErrorCallbacks_;
  const std::shared_ptr<Workflow> self = shared_from_this();
  lock.unlock();
  for (WorkflowRetryableErrorCallback* callback : callbacks) {
    callback->OnWorkflowRetryableError(self, work, status);
  }
}

size_t StandardWorkflow::GetReadyCount() {
  std::lock_guard guard(lock_);
  return ready_.size();
}

size_t StandardWorkflow::GetRunningCount() {
  std::lock_guard guard(lock_);
  return runningCount_;
}

}  // namespace kiv
