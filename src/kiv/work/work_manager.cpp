// The task bodies that every work manager runs for stand-alone and workflow works.
#include "kiv/work/work_manager.h"

#include <exception>

#include "kiv/work/simple_work.h"
#include "kiv/work/work_exception_data.h"
#include "kiv/work/workflow.h"

namespace kiv {

void WorkManager::RunStandaloneTask(const std::shared_ptr<SimpleWork>& work) noexcept {
  try {
    const WorkStatus status = work->Run();
    work->NotifyComplete(status);
  } catch (...) {
    // Nobody waits for a stand-alone work; the pool thread must survive its observers.
  }
}

void WorkManager::RunWorkflowTask(const std::shared_ptr<Workflow>& workflow,
                                  const std::shared_ptr<SimpleWork>& work) noexcept {
  try {
    const WorkStatus status = work->Run();
    work->NotifyComplete(status);
    workflow->OnSimpleWorkComplete(work, status);
  } catch (...) {
    try {
      workflow->Abort(WorkStatus(WorkResult::FatalError,
                                 std::make_shared<WorkExceptionData>(std::current_exception())));
    } catch (...) {
      // An observer of the root threw while learning of the abort; the workflow is finished.
    }
  }
}

}  // namespace kiv
