// The JSON work log manager.
#include "kiv/log/json_work_log_manager.h"

#include "kiv/log/json_log_event_work.h"

namespace kiv {

JsonWorkLogManager::~JsonWorkLogManager() { Drain(); }

std::shared_ptr<TrackEventWork> JsonWorkLogManager::CreateEvent(int32_t flags) {
  return std::make_shared<JsonLogEventWork>(flags, this);
}

}  // namespace kiv
