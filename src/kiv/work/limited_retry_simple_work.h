// A simple work that repeats its task at most maxRetries times after a RetryableError; the
// allowance is restored every time the work is queued.
#pragma once

#include <cstdint>

#include "kiv/work/simple_work.h"

namespace kiv {

class LimitedRetrySimpleWork : public SimpleWork {
 public:
  LimitedRetrySimpleWork(WorkCompleteCallback* callback, uint32_t maxRetries)
      : SimpleWork(callback), maxRetries_(maxRetries) {}

  bool CanRetry() override;
  void Reset() override;

  uint32_t GetMaxRetries() const { return maxRetries_; }
  uint32_t GetRetries() const { return retries_; }

 private:
  const uint32_t maxRetries_;
  // Touched only by the thread that runs the work, and by Reset before it is queued.
  uint32_t retries_ = 0;
};

}  // namespace kiv
