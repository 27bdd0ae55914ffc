// Children one after another.
#include "kiv/work/sequential_work.h"

#include <stdexcept>

#include "kiv/work/no_op_work.h"

namespace kiv {

SequentialWork::SequentialWork(WorkCompleteCallback* callback, size_t reserve)
    : CompositeWork(callback) {
  children_.reserve(reserve);
}

void SequentialWork::AddChild(const std::shared_ptr<Work>& child) {
  if (!child) throw std::invalid_argument("SequentialWork::AddChild called with no child");
  {
    std::lock_guard guard(Mutex());
    children_.push_back(child);
  }
  AttachChild(child);
}

size_t SequentialWork::GetChildCount() const {
  std::lock_guard guard(Mutex());
  return children_.size();
}

void SequentialWork::Reset() {
  std::lock_guard guard(Mutex());
  CompositeWork::Reset();
  index_ = 0;
  for (const auto& child : children_) child->Reset();
}

void SequentialWork::OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>& workflow) {
  for (const auto& child : children_) AdoptChild(child, workflow);
}

void SequentialWork::QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) {
  // No lock here: the workflow queues the root under its own lock, and taking a composite lock
  // inside it would invert the order (composite, then workflow) of every child report. Nothing
  // of this work runs before its first child is queued.
  if (children_.empty()) {
    children_.push_back(std::make_shared<NoOpWork>());
    AttachChild(children_.back());
  }
  index_ = 0;
  QueueChild(children_.front(), workflow, 0);
}

bool SequentialWork::IsExpectedChild(const std::shared_ptr<Work>& child) {
  std::lock_guard guard(Mutex());
  return !IsComplete() && index_ < children_.size() && children_[index_] == child;
}

CompletionRecord SequentialWork::OnChildComplete(const std::shared_ptr<Work>& child,
                                                 const WorkStatus& status) {
  if (status.result == WorkResult::Failure || child == children_.back()) {
    return CompletionRecord(status);
  }
  ++index_;
  // Only one child of a sequence is ever queued at a time, so every child has index 0.
  QueueChild(children_[index_], GetWorkflow(), 0);
  return CompletionRecord();
}

}  // namespace kiv
