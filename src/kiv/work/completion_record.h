// A composite's answer to one child's completion: whether the composite is now complete, and
// with which status.
#pragma once

#include "kiv/work/work_status.h"

namespace kiv {

struct CompletionRecord {
  // Not complete, with the undecided status (FatalError without data).
  CompletionRecord() = default;
  // Complete unless the status is Interrupted or RetryableError.
  explicit CompletionRecord(const WorkStatus& status)
      : complete(status.result != WorkResult::Interrupted &&
                 status.result != WorkResult::RetryableError),
        status(status) {}
  CompletionRecord(bool complete, const WorkStatus& status) : complete(complete), status(status) {}

  bool complete = false;
  WorkStatus status;
};

}  // namespace kiv
