// The analytics manager used when analytics are off.
#include "kiv/analytics/null_analytics_manager.h"

namespace kiv {

WorkStatus NullTrackEventWork::ExecuteTask() { return WorkStatus(WorkResult::Success); }

void NullTrackEventWork::Describe(boost::property_tree::ptree& tree) const {
  tree.put("name", "NullTrackEventWork");
}

NullAnalyticsManager::NullAnalyticsManager() : AnalyticsManager(0) {}

std::shared_ptr<TrackEventWork> NullAnalyticsManager::CreateEvent(int32_t flags) {
  return std::make_shared<NullTrackEventWork>(flags);
}

void NullAnalyticsManager::PostEvent(std::shared_ptr<TrackEventWork> work) { work.reset(); }

}  // namespace kiv
