// Turns one work's completion into a log event, on the log manager's own pool: describes the
// work with its status and posts an "OnWorkComplete" event whose flags say whether the work
// failed and whether it is important.
#pragma once

#include <memory>

#include "kiv/work/simple_work.h"
#include "kiv/work/work_status.h"

namespace kiv {

class WorkLogManager;

class SetUpOnCompleteWork : public SimpleWork {
 public:
  // The manager is not owned and outlives the work (it drains its pool before it goes).
  SetUpOnCompleteWork(WorkLogManager* logManager, std::shared_ptr<Work> work, WorkStatus status);

  // Always Success unless describing or posting threw, which answers FatalError with the
  // exception.
  WorkStatus ExecuteTask() override;
  void Interrupt() override {}
  void Describe(boost::property_tree::ptree& tree) const override;

  // 16 for an important work plus 2 for RetryableError or FatalError, else 8.
  static int32_t CompletionFlags(bool important, WorkResult result);

 private:
  WorkLogManager* const logManager_;
  const std::shared_ptr<Work> work_;
  const WorkStatus status_;
};

}  // namespace kiv
