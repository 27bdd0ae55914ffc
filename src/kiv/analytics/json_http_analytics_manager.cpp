// The analytics manager that posts.
#include "kiv/analytics/json_http_analytics_manager.h"

#include "kiv/analytics/json_http_analytics_event_work.h"
#include "kiv/engine/engine_settings.h"
#include "kiv/http/session_factory.h"

namespace kiv {

JsonHttpAnalyticsManager::JsonHttpAnalyticsManager(http::RequestFactory* requestFactory,
                                                   http::SessionFactory* sessionFactory,
                                                   const EngineSettings& settings)
    : AnalyticsManager(kThreads),
      requestFactory_(requestFactory),
      session_(sessionFactory->Create()),
      transfersUrl_(settings.analyticsTransfersUrl),
      eventsUrl_(settings.analyticsEventsUrl),
      connectTimeout_(settings.analyticsConnectTimeout),
      timeout_(settings.analyticsTimeout),
      retries_(settings.analyticsRetries) {}

JsonHttpAnalyticsManager::~JsonHttpAnalyticsManager() { Drain(); }

std::shared_ptr<TrackEventWork> JsonHttpAnalyticsManager::CreateEvent(int32_t flags) {
  return std::make_shared<JsonHttpAnalyticsEventWork>(
      flags, flags == kTransferFlags ? transfersUrl_ : eventsUrl_, requestFactory_, session_,
      connectTimeout_, timeout_, retries_);
}

}  // namespace kiv
