// Completion and retry observers of the work log.
#include "kiv/log/work_log_manager.h"

#include "kiv/log/set_up_on_complete_work.h"
#include "kiv/log/set_up_on_retry_work.h"

namespace kiv {

void WorkLogManager::OnWorkComplete(const std::shared_ptr<Work>& work, const WorkStatus& status) {
  // No kind of completion can pass this level: spare the description.
  if ((GetLevel() & (kFailedCompletion | kCompletion | kImportant)) == 0 || !work) return;
  try {
    Queue(std::make_shared<SetUpOnCompleteWork>(this, work, status));
  } catch (...) {
    // Out of memory: the completion goes unlogged, the work is not disturbed.
  }
}

void WorkLogManager::OnSimpleWorkRetry(const std::shared_ptr<SimpleWork>& work,
                                       const WorkStatus& status) {
  if ((GetLevel() & (kRetry | kImportant)) == 0 || !work) return;
  try {
    Queue(std::make_shared<SetUpOnRetryWork>(this, work, status));
  } catch (...) {
  }
}

}  // namespace kiv
