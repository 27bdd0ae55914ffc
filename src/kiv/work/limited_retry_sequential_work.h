// A sequence that restarts from its first child, at most maxRetries times, when a child ends with
// Failure. Once out of retries it reports RetryableError (so the workflow waits for Retry) and
// leaves its first child queued for that moment. The allowance is restored only when a parent
// resets it.
#pragma once

#include <cstdint>

#include "kiv/work/sequential_work.h"

namespace kiv {

class LimitedRetrySequentialWork : public SequentialWork {
 public:
  LimitedRetrySequentialWork(WorkCompleteCallback* callback, uint32_t maxRetries)
      : SequentialWork(callback, 2), maxRetries_(maxRetries) {}

  bool CanRetry() override;
  void Reset() override;
  CompletionRecord OnChildComplete(const std::shared_ptr<Work>& child,
                                   const WorkStatus& status) override;
  // Restarts the sequence but keeps the retry count.
  void Restart() override;

  uint32_t GetMaxRetries() const { return maxRetries_; }
  uint32_t GetRetries() const;

 private:
  const uint32_t maxRetries_;
  uint32_t retries_ = 0;  // guarded by the composite lock
};

}  // namespace kiv
