// Turns one simple work's retry into an "OnSimpleWorkRetry" log event, on the log manager's
// own pool.
#pragma once

#include <memory>

#include "kiv/work/simple_work.h"
#include "kiv/work/work_status.h"

namespace kiv {

class WorkLogManager;

class SetUpOnRetryWork : public SimpleWork {
 public:
  // The manager is not owned and outlives the work (it drains its pool before it goes).
  SetUpOnRetryWork(WorkLogManager* logManager, std::shared_ptr<Work> work, WorkStatus status);

  // Always Success unless describing or posting threw, which answers FatalError with the
  // exception.
  WorkStatus ExecuteTask() override;
  void Interrupt() override {}
  void Describe(boost::property_tree::ptree& tree) const override;

  // 20 for an important work, else 4.
  static int32_t RetryFlags(bool important);

 private:
  WorkLogManager* const logManager_;
  const std::shared_ptr<Work> work_;
  const WorkStatus status_;
};

}  // namespace kiv
