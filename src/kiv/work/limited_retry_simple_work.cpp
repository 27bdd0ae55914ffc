// Retry limit of a simple work.
#include "kiv/work/limited_retry_simple_work.h"

namespace kiv {

bool LimitedRetrySimpleWork::CanRetry() {
  if (retries_ >= maxRetries_) return false;
  ++retries_;
  return true;
}

void LimitedRetrySimpleWork::Reset() {
  SimpleWork::Reset();
  retries_ = 0;
}

}  // namespace kiv
