// A condition child chooses one of two branches.
#include "kiv/work/conditional_work.h"

#include <stdexcept>

namespace kiv {

void ConditionalWork::SetCondition(std::shared_ptr<Work> condition) {
  SetChild(condition_, std::move(condition));
  std::lock_guard guard(Mutex());
  current_ = condition_;
}

void ConditionalWork::SetOnSuccess(std::shared_ptr<Work> onSuccess) {
  SetChild(onSuccess_, std::move(onSuccess));
}

void ConditionalWork::SetOnFailure(std::shared_ptr<Work> onFailure) {
  SetChild(onFailure_, std::move(onFailure));
}

void ConditionalWork::SetChild(std::shared_ptr<Work>& field, std::shared_ptr<Work> child) {
  {
    std::lock_guard guard(Mutex());
    field = child;
  }
  if (child) AttachChild(child);
}

void ConditionalWork::Reset() {
  std::lock_guard guard(Mutex());
  CompositeWork::Reset();
  current_ = condition_;
  for (const auto* child : {&condition_, &onSuccess_, &onFailure_}) {
    if (*child) (*child)->Reset();
  }
}

void ConditionalWork::OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>& workflow) {
  for (const auto* child : {&condition_, &onFailure_, &onSuccess_}) {
    if (*child) AdoptChild(*child, workflow);
  }
}

void ConditionalWork::QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) {
  if (!condition_ || !onSuccess_ || !onFailure_) {
    throw std::logic_error("ConditionalWork::QueueAvailableWork called with incomplete children");
  }
  current_ = condition_;
  QueueChild(condition_, workflow, 0);
}

bool ConditionalWork::IsExpectedChild(const std::shared_ptr<Work>& child) {
  std::lock_guard guard(Mutex());
  return !IsComplete() && current_ && child == current_;
}

CompletionRecord ConditionalWork::OnChildComplete(const std::shared_ptr<Work>& child,
                                                  const WorkStatus& status) {
  if (child == condition_) {
    current_ = status.result == WorkResult::Success ? onSuccess_ : onFailure_;
    QueueChild(current_, GetWorkflow(), 0);
    return CompletionRecord();
  }
  return CompletionRecord(status);
}

}  // namespace kiv
