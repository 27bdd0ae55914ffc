// Runs a condition child, then the success branch when the condition succeeded or the failure
// branch when it failed; the branch's outcome is the work's outcome.
#pragma once

#include <memory>

#include "kiv/work/composite_work.h"

namespace kiv {

class ConditionalWork : public CompositeWork {
 public:
  explicit ConditionalWork(WorkCompleteCallback* callback = nullptr) : CompositeWork(callback) {}

  void Reset() override;
  void OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>& workflow) override;
  // Queues the condition; std::logic_error unless all three children are set.
  void QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) override;
  bool IsExpectedChild(const std::shared_ptr<Work>& child) override;
  CompletionRecord OnChildComplete(const std::shared_ptr<Work>& child,
                                   const WorkStatus& status) override;

 protected:
  // The subclass sets the three children (each is attached).
  void SetCondition(std::shared_ptr<Work> condition);
  void SetOnSuccess(std::shared_ptr<Work> onSuccess);
  void SetOnFailure(std::shared_ptr<Work> onFailure);

 private:
  void SetChild(std::shared_ptr<Work>& field, std::shared_ptr<Work> child);

  std::shared_ptr<Work> condition_;
  std::shared_ptr<Work> onSuccess_;
  std::shared_ptr<Work> onFailure_;
  std::shared_ptr<Work> current_;
};

}  // namespace kiv
