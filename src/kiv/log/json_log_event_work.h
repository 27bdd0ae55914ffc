// One work-log event: its params written as one JSON line when the log level takes any of its
// flags.
#pragma once

#include "kiv/analytics/track_event_work.h"

namespace kiv {

class LogManager;

class JsonLogEventWork : public TrackEventWork {
 public:
  // The manager is not owned and outlives the work (it drains its pool before it goes).
  JsonLogEventWork(int32_t flags, LogManager* manager);

  // Always Success: a line that cannot be written is dropped.
  WorkStatus ExecuteTask() override;
  void Describe(boost::property_tree::ptree& tree) const override;

 private:
  LogManager* const manager_;
};

}  // namespace kiv
