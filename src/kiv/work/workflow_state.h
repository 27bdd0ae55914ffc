// The state of a workflow, as its owner (a transfer) controls and reads it.
#pragma once

#include <cstdint>

namespace kiv {

enum class WorkflowState : uint8_t {
  NotStarted = 0,
  Running = 1,
  Paused = 2,
  // Stopped because a work reported a RetryableError it could not retry itself; waits for Retry.
  RetryPending = 3,
  PausedRetryPending = 4,
  // The root completed, or some work reported FatalError.
  Complete = 5,
  Aborted = 6,
};

}  // namespace kiv
