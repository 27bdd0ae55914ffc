// All children at once.
#include "kiv/work/parallel_work.h"

#include <stdexcept>

#include "kiv/work/no_op_work.h"
#include "kiv/work/work_error_data.h"

namespace kiv {

ParallelWork::ParallelWork(WorkCompleteCallback* callback) : CompositeWork(callback) { Reserve(2); }

bool ParallelWork::AddChild(const std::shared_ptr<Work>& child) {
  if (!child) throw std::invalid_argument("ParallelWork::AddChild called with no child");
  {
    std::lock_guard guard(Mutex());
    if (!pending_.insert(child.get()).second) return false;
    children_.push_back(child);
  }
  AttachChild(child);
  return true;
}

void ParallelWork::Reserve(size_t count) {
  std::lock_guard guard(Mutex());
  children_.reserve(count);
  pending_.reserve(count);
}

size_t ParallelWork::GetChildCount() const {
  std::lock_guard guard(Mutex());
  return children_.size();
}

void ParallelWork::Reset() {
  std::lock_guard guard(Mutex());
  CompositeWork::Reset();
  pending_.clear();
  for (const auto& child : children_) {
    pending_.insert(child.get());
    child->Reset();
  }
}

void ParallelWork::OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>& workflow) {
  for (const auto& child : children_) AdoptChild(child, workflow);
}

void ParallelWork::QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) {
  // No lock: see SequentialWork::QueueAvailableWork. Reports of children queued here touch only
  // pending, never the list walked below.
  if (children_.empty()) {
    children_.push_back(std::make_shared<NoOpWork>());
    pending_.insert(children_.back().get());
    AttachChild(children_.back());
  }
  for (size_t i = 0; i < children_.size(); ++i) {
    QueueChild(children_[i], workflow, static_cast<uint32_t>(i));
  }
}

bool ParallelWork::IsExpectedChild(const std::shared_ptr<Work>& child) {
  std::lock_guard guard(Mutex());
  return pending_.count(child.get()) != 0;
}

CompletionRecord ParallelWork::OnChildComplete(const std::shared_ptr<Work>& child,
                                               const WorkStatus& status) {
  // One failed branch makes the whole parallel work fatal.
  if (status.result == WorkResult::Failure) {
    return CompletionRecord(true, WorkStatus(WorkResult::FatalError, status.data));
  }
  pending_.erase(child.get());
  if (pending_.empty()) return CompletionRecord(true, WorkStatus(WorkResult::Success));
  return CompletionRecord();
}

}  // namespace kiv
