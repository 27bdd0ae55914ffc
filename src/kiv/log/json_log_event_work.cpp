// Writing one work-log event.
#include "kiv/log/json_log_event_work.h"

#include "kiv/analytics/json_form.h"
#include "kiv/log/log_manager.h"

namespace kiv {

JsonLogEventWork::JsonLogEventWork(int32_t flags, LogManager* manager)
    : TrackEventWork(flags), manager_(manager) {}

WorkStatus JsonLogEventWork::ExecuteTask() {
  // The level is checked here first so that filtered events cost no serialisation.
  if ((manager_->GetLevel() & flags_) != 0) {
    try {
      manager_->WriteLine(flags_, ToJson(params_));
    } catch (...) {
      // A tree that cannot be written as JSON loses its line, like a failed write.
    }
  }
  return WorkStatus(WorkResult::Success);
}

void JsonLogEventWork::Describe(boost::property_tree::ptree& tree) const {
  tree.put("name", "JsonLogEventWork");
}

}  // namespace kiv
