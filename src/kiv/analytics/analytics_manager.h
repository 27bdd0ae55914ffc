// The manager that transfer events hand their analytics reports to. Flags 32 make a report for
// the transfers endpoint; any other flags one for the events endpoint.
#pragma once

#include <cstdint>

#include "kiv/analytics/event_manager.h"

namespace kiv {

class AnalyticsManager : public EventManager {
 public:
  // Flags of a transfers-endpoint report and of an events-endpoint report.
  static constexpr int32_t kTransferFlags = 32;
  static constexpr int32_t kEventFlags = 1;

  using EventManager::EventManager;
};

}  // namespace kiv
