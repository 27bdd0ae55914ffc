// Observer told when a workflow stops on a retryable error that no work could retry itself.
#pragma once

#include <memory>

namespace kiv {

class Work;
class Workflow;
struct WorkStatus;

class WorkflowRetryableErrorCallback {
 public:
  virtual ~WorkflowRetryableErrorCallback() = default;

  // Called without the workflow's lock, so the observer may call Retry, Pause or Abort.
  virtual void OnWorkflowRetryableError(const std::shared_ptr<Workflow>& workflow,
                                        const std::shared_ptr<Work>& work,
                                        const WorkStatus& status) = 0;
};

}  // namespace kiv
