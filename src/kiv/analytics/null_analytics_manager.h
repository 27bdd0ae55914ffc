// Analytics switched off: events are made and filled as usual, but nothing is ever sent.
#pragma once

#include "kiv/analytics/analytics_manager.h"
#include "kiv/analytics/track_event_work.h"

namespace kiv {

// Does nothing and succeeds.
class NullTrackEventWork : public TrackEventWork {
 public:
  using TrackEventWork::TrackEventWork;

  WorkStatus ExecuteTask() override;
  void Describe(boost::property_tree::ptree& tree) const override;
};

class NullAnalyticsManager : public AnalyticsManager {
 public:
  // A pool without threads: nothing is ever run on it.
  NullAnalyticsManager();

  std::shared_ptr<TrackEventWork> CreateEvent(int32_t flags) override;
  // Only releases the work; it is never queued or run.
  void PostEvent(std::shared_ptr<TrackEventWork> work) override;
};

}  // namespace kiv
