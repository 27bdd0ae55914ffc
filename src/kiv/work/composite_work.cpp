// The reaction of every composite to its children's reports.
#include "kiv/work/composite_work.h"

#include "kiv/work/work_error_data.h"
#include "kiv/work/workflow.h"

namespace kiv {

void CompositeWork::OnWorkComplete(const std::shared_ptr<Work>& child, const WorkStatus& status) {
  std::unique_lock lock(lock_);
  if (complete_) return;
  if (!IsExpectedChild(child)) {
    complete_ = true;
    status_ = WorkStatus(WorkResult::FatalError,
                         std::make_shared<WorkErrorData>(
                             "Invalid child progress for CompositeWork::OnWorkComplete"));
  } else {
    switch (status.result) {
      case WorkResult::Interrupted:
      case WorkResult::RetryableError:
        // The workflow queues the child again; nothing changes here.
        break;
      case WorkResult::FatalError:
        complete_ = true;
        status_ = status;
        break;
      default: {
        CompletionRecord record = OnChildComplete(child, status);
        complete_ = record.complete;
        status_ = std::move(record.status);
        break;
      }
    }
  }
  if (complete_) {
    if (status_.result == WorkResult::Success) status_.data.reset();
    const WorkStatus notice = status_;
    // Never hold this lock while the parent reacts: the parent may reset or queue this work.
    lock.unlock();
    NotifyComplete(notice);
    return;
  }
  if (status_.result == WorkResult::RetryableError) {
    status_.retry = CanRetry();
    if (!status_.retry) {
      const WorkStatus notice = status_;
      lock.unlock();
      NotifyComplete(notice);
      lock.lock();
    }
    Restart();
  }
}

void CompositeWork::Reset() {
  std::lock_guard guard(lock_);
  complete_ = false;
  status_ = WorkStatus();
}

std::shared_ptr<Work> CompositeWork::SharedFromThis() { return shared_from_this(); }

std::shared_ptr<const Work> CompositeWork::SharedFromThisConst() const {
  return shared_from_this();
}

void CompositeWork::AttachChild(const std::shared_ptr<Work>& child) {
  std::shared_ptr<CompositeWork> self = weak_from_this().lock();
  // Inside a constructor there is no shared self yet; OnWorkflowSet adopts the child later.
  if (!self) return;
  child->SetParent(self);
  if (auto workflow = GetWorkflowCallback()) child->SetWorkflow(workflow);
}

void CompositeWork::AdoptChild(const std::shared_ptr<Work>& child,
                               const std::shared_ptr<WorkCompleteCallback>& workflow) {
  if (auto self = weak_from_this().lock()) child->SetParent(self);
  child->SetWorkflow(workflow);
}

void CompositeWork::Restart() {
  std::lock_guard guard(lock_);
  Reset();
  if (auto workflow = GetWorkflow()) QueueAvailableWork(workflow);
}

void CompositeWork::QueueChild(const std::shared_ptr<Work>& child,
                               const std::shared_ptr<Workflow>& workflow, uint32_t index) {
  if (!child || !workflow) return;
  child->SetPath(GetPath(), index);
  child->QueueAvailableWork(workflow);
}

bool CompositeWork::IsComplete() const {
  std::lock_guard guard(lock_);
  return complete_;
}

WorkStatus CompositeWork::GetStatus() const {
  std::lock_guard guard(lock_);
  return status_;
}

}  // namespace kiv
