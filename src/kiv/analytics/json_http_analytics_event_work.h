// One analytics report: its params written in the JSON form and posted to one endpoint. A
// connection failure or a server error (5xx) is posted once more at once; nothing else is
// repeated.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "kiv/analytics/track_event_work.h"

namespace kiv::http {
class Request;
class RequestFactory;
class Session;
}  // namespace kiv::http

namespace kiv {

class JsonHttpAnalyticsEventWork : public TrackEventWork {
 public:
  // The request factory is not owned and must outlive the work; times are in seconds.
  JsonHttpAnalyticsEventWork(int32_t flags, std::string url, http::RequestFactory* requestFactory,
                             std::shared_ptr<http::Session> session, int32_t connectTimeout,
                             int32_t timeout, int32_t retryLimit);

  // Success when the post succeeded; RetryableError for ConnectFailed and HttpServerError;
  // FatalError for every other outcome and for params that cannot be written as JSON.
  WorkStatus ExecuteTask() override;
  // Cancels the post in flight, if any.
  void Interrupt() override;
  // While fewer than retryLimit retries were used: uses one and answers true.
  bool CanRetry() override;
  // Clears the retries used, so that a re-queued report gets the full limit again.
  void Reset() override;
  void Describe(boost::property_tree::ptree& tree) const override;

  const std::string& GetUrl() const { return url_; }

 private:
  const std::string url_;
  http::RequestFactory* const requestFactory_;
  const std::shared_ptr<http::Session> session_;
  const int32_t connectTimeout_;
  const int32_t timeout_;
  const int32_t retryLimit_;
  int32_t retryCount_ = 0;

  std::mutex requestMutex_;
  std::shared_ptr<http::Request> request_;  // the post in flight, for Interrupt
};

}  // namespace kiv
