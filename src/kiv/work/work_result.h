// The outcome of a unit of work, as every work, composite and workflow reports it.
#pragma once

#include <cstdint>

namespace kiv {

enum class WorkResult : uint8_t {
  Success = 0,
  // Ran to its end with a negative outcome (a checksum that did not match, ...).
  Failure = 1,
  // Stopped by the workflow before it finished; the workflow queues it again.
  Interrupted = 2,
  // Failed in a way that may succeed if repeated.
  RetryableError = 3,
  // Failed for good; also the value of a status that has not been decided yet.
  FatalError = 4,
};

}  // namespace kiv
