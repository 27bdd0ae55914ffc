// A log manager that works report to: as a completion and retry observer it turns each
// completion or retry into a log event, described and filtered on the log's own threads.
#pragma once

#include "kiv/log/log_manager.h"
#include "kiv/work/simple_work_retry_callback.h"
#include "kiv/work/work_complete_callback.h"

namespace kiv {

class WorkLogManager : public LogManager,
                       public WorkCompleteCallback,
                       public SimpleWorkRetryCallback {
 public:
  using LogManager::LogManager;

  // Queue a SetUpOnCompleteWork / SetUpOnRetryWork for the work on this manager's pool and
  // return at once; the reporting work is only described there, never waited for.
  void OnWorkComplete(const std::shared_ptr<Work>& work, const WorkStatus& status) override;
  void OnSimpleWorkRetry(const std::shared_ptr<SimpleWork>& work,
                         const WorkStatus& status) override;
};

}  // namespace kiv
