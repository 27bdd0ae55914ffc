// Logging a work's completion.
#include "kiv/log/set_up_on_complete_work.h"

#include <boost/property_tree/ptree.hpp>

#include "kiv/log/log_event_setup.h"
#include "kiv/log/log_manager.h"
#include "kiv/work/work_exception_data.h"

namespace kiv {
namespace {

int32_t CompletionFlagsOf(bool important, const WorkStatus& status) {
  return SetUpOnCompleteWork::CompletionFlags(important, status.result);
}

}  // namespace

SetUpOnCompleteWork::SetUpOnCompleteWork(WorkLogManager* logManager, std::shared_ptr<Work> work,
                                         WorkStatus status)
    : logManager_(logManager), work_(std::move(work)), status_(std::move(status)) {}

int32_t SetUpOnCompleteWork::CompletionFlags(bool important, WorkResult result) {
  const bool failed = result == WorkResult::RetryableError || result == WorkResult::FatalError;
  return (important ? LogManager::kImportant : 0) +
         (failed ? LogManager::kFailedCompletion : LogManager::kCompletion);
}

WorkStatus SetUpOnCompleteWork::ExecuteTask() {
  try {
    log_detail::PostWorkEvent(*logManager_, *work_, status_, "OnWorkComplete", &CompletionFlagsOf);
    return WorkStatus(WorkResult::Success);
  } catch (...) {
    return WorkStatus(WorkResult::FatalError,
                      std::make_shared<WorkExceptionData>(std::current_exception()));
  }
}

void SetUpOnCompleteWork::Describe(boost::property_tree::ptree& tree) const {
  tree.put("name", "SetUpOnCompleteWork");
}

}  // namespace kiv
