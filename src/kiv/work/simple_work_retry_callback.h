// Observer of a simple work that repeats its task after a retryable error.
#pragma once

#include <memory>

namespace kiv {

class SimpleWork;
struct WorkStatus;

class SimpleWorkRetryCallback {
 public:
  virtual ~SimpleWorkRetryCallback() = default;

  // status is the failed attempt's, with retry set.
  virtual void OnSimpleWorkRetry(const std::shared_ptr<SimpleWork>& work,
                                 const WorkStatus& status) = 0;
};

}  // namespace kiv
