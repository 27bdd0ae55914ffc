// Analytics switched on: reports are posted as JSON over HTTP from a pool of three threads,
// through one session of pooled requests. Destruction first delivers what was queued.
#pragma once

#include <memory>
#include <string>

#include "kiv/analytics/analytics_manager.h"

namespace kiv::http {
class RequestFactory;
class Session;
class SessionFactory;
}  // namespace kiv::http

namespace kiv {

struct EngineSettings;

class JsonHttpAnalyticsManager : public AnalyticsManager {
 public:
  static constexpr uint32_t kThreads = 3;

  // The factories are not owned; the request factory must outlive the manager. The endpoints,
  // time-outs and retry limit come from the settings.
  JsonHttpAnalyticsManager(http::RequestFactory* requestFactory,
                           http::SessionFactory* sessionFactory, const EngineSettings& settings);
  // Posts every report queued so far (each bounded by the time-outs), then stops the pool.
  ~JsonHttpAnalyticsManager() override;

  // A JsonHttpAnalyticsEventWork for the transfers endpoint when flags is exactly 32, for the
  // events endpoint otherwise.
  std::shared_ptr<TrackEventWork> CreateEvent(int32_t flags) override;

 private:
  http::RequestFactory* const requestFactory_;
  const std::shared_ptr<http::Session> session_;
  const std::string transfersUrl_;
  const std::string eventsUrl_;
  const int32_t connectTimeout_;
  const int32_t timeout_;
  const int32_t retries_;
};

}  // namespace kiv
