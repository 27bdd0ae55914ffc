// Logging a simple work's retry.
#include "kiv/log/set_up_on_retry_work.h"

#include <boost/property_tree/ptree.hpp>

#include "kiv/log/log_event_setup.h"
#include "kiv/log/log_manager.h"
#include "kiv/work/work_exception_data.h"

namespace kiv {
namespace {

int32_t RetryFlagsOf(bool important, const WorkStatus&) {
  return SetUpOnRetryWork::RetryFlags(important);
}

}  // namespace

SetUpOnRetryWork::SetUpOnRetryWork(WorkLogManager* logManager, std::shared_ptr<Work> work,
                                   WorkStatus status)
    : logManager_(logManager), work_(std::move(work)), status_(std::move(status)) {}

int32_t SetUpOnRetryWork::RetryFlags(bool important) {
  return (important ? LogManager::kImportant : 0) + LogManager::kRetry;
}

WorkStatus SetUpOnRetryWork::ExecuteTask() {
  try {
    log_detail::PostWorkEvent(*logManager_, *work_, status_, "OnSimpleWorkRetry", &RetryFlagsOf);
    return WorkStatus(WorkResult::Success);
  } catch (...) {
    return WorkStatus(WorkResult::FatalError,
                      std::make_shared<WorkExceptionData>(std::current_exception()));
  }
}

void SetUpOnRetryWork::Describe(boost::property_tree::ptree& tree) const {
  tree.put("name", "SetUpOnRetryWork");
}

}  // namespace kiv
