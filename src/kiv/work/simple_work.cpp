// The leaf work's run loop: repeat at once while the task asks for it and a retry is left.
#include "kiv/work/simple_work.h"

#include <exception>

#include "kiv/work/simple_work_retry_callback.h"
#include "kiv/work/work_exception_data.h"
#include "kiv/work/workflow.h"

namespace kiv {

void SimpleWork::Reset() { interrupted_.store(false, std::memory_order_release); }

std::shared_ptr<Work> SimpleWork::SharedFromThis() { return shared_from_this(); }

std::shared_ptr<const Work> SimpleWork::SharedFromThisConst() const { return shared_from_this(); }

void SimpleWork::OnWorkflowSet(const std::shared_ptr<WorkCompleteCallback>&) {}

void SimpleWork::QueueAvailableWork(const std::shared_ptr<Workflow>& workflow) {
  if (workflow) workflow->QueueWork(shared_from_this());
}

void SimpleWork::AddRetryCallback(SimpleWorkRetryCallback* callback) {
  if (callback != nullptr) retryCallbacks_.push_back(callback);
}

WorkStatus SimpleWork::Run() {
  try {
    while (!IsInterrupted()) {
      WorkStatus status = ExecuteTask();
      status.retry = status.result == WorkResult::RetryableError && CanRetry();
      if (!status.retry) return status;
      const std::shared_ptr<SimpleWork> self = shared_from_this();
      for (SimpleWorkRetryCallback* callback : retryCallbacks_) {
        callback->OnSimpleWorkRetry(self, status);
      }
    }
    return WorkStatus(WorkResult::Interrupted);
  } catch (...) {
    return WorkStatus(WorkResult::FatalError,
                      std::make_shared<WorkExceptionData>(std::current_exception()));
  }
}

}  // namespace kiv
