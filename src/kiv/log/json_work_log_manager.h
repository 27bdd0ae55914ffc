// The engine's work log manager: events become JsonLogEventWorks; destruction first writes
// every event queued so far.
#pragma once

#include "kiv/log/work_log_manager.h"

namespace kiv {

class JsonWorkLogManager : public WorkLogManager {
 public:
  using WorkLogManager::WorkLogManager;
  // Writes every queued event (and the events that queued set-up works still post), then
  // stops the pool. The log file closes with the manager.
  ~JsonWorkLogManager() override;

  std::shared_ptr<TrackEventWork> CreateEvent(int32_t flags) override;
};

}  // namespace kiv
