// Retry limit of a sequence that restarts from its first child after a Failure.
#include "kiv/work/limited_retry_sequential_work.h"

#include "kiv/work/workflow.h"

namespace kiv {

bool LimitedRetrySequentialWork::CanRetry() {
  std::lock_guard guard(Mutex());
  if (retries_ >= maxRetries_) return false;
  ++retries_;
  return true;
}

uint32_t LimitedRetrySequentialWork::GetRetries() const {
  std::lock_guard guard(Mutex());
  return retries_;
}

void LimitedRetrySequentialWork::Reset() {
  std::lock_guard guard(Mutex());
  retries_ = 0;
  SequentialWork::Reset();
}

CompletionRecord LimitedRetrySequentialWork::OnChildComplete(const std::shared_ptr<Work>& child,
                                                             const WorkStatus& status) {
  if (status.result == WorkResult::Failure) {
    // Not complete: the composite machinery sees RetryableError and asks CanRetry.
    return CompletionRecord(false, WorkStatus(WorkResult::RetryableError, status.data));
  }
  return SequentialWork::OnChildComplete(child, status);
}

void LimitedRetrySequentialWork::Restart() {
  std::lock_guard guard(Mutex());
  SequentialWork::Reset();
  if (auto workflow = GetWorkflow()) QueueAvailableWork(workflow);
}

}  // namespace kiv
