// Posting one analytics report.
#include "kiv/analytics/json_http_analytics_event_work.h"

#include "kiv/analytics/json_form.h"
#include "kiv/http/request.h"
#include "kiv/http/request_factory.h"

namespace kiv {
namespace {

// The service's answer is never read, so its body is counted and dropped rather than kept:
// an answer of any size costs no memory.
class DiscardWriter : public http::WriteCallback {
 public:
  http::RequestResult Write(const void*, uint64_t size) override {
    return http::RequestResult(http::State::Success, size);
  }
};

}  // namespace

JsonHttpAnalyticsEventWork::JsonHttpAnalyticsEventWork(int32_t flags, std::string url,
                                                       http::RequestFactory* requestFactory,
                                                       std::shared_ptr<http::Session> session,
                                                       int32_t connectTimeout, int32_t timeout,
                                                       int32_t retryLimit)
    : TrackEventWork(flags),
      url_(std::move(url)),
      requestFactory_(requestFactory),
      session_(std::move(session)),
      connectTimeout_(connectTimeout),
      timeout_(timeout),
      retryLimit_(retryLimit) {}

WorkStatus JsonHttpAnalyticsEventWork::ExecuteTask() {
  std::string body;
  try {
    body = ToJson(params_);
  } catch (...) {
    return WorkStatus(WorkResult::FatalError);
  }

  DiscardWriter writer;
  http::RequestParams params(url_, &writer);
  params.method = http::RequestParams::kPost;
  params.body = std::move(body);
  params.contentType = "application/json";
  params.connectTimeout = connectTimeout_;
  params.timeout = timeout_;

  std::shared_ptr<http::Request> request = requestFactory_->CreateRequest(params, session_);
  {
    std::lock_guard lock(requestMutex_);
    request_ = request;
  }
  // An interrupt that came before the request was registered still stops it.
  if (IsInterrupted()) request->Cancel();
  const http::RequestResult result = request->Perform();
  {
    std::lock_guard lock(requestMutex_);
    request_.reset();
  }

  switch (result.state) {
    case http::State::Success:
      return WorkStatus(WorkResult::Success);
    case http::State::ConnectFailed:
    case http::State::HttpServerError:
      return WorkStatus(WorkResult::RetryableError);
    default:
      return WorkStatus(WorkResult::FatalError);
  }
}

void JsonHttpAnalyticsEventWork::Interrupt() {
  std::shared_ptr<http::Request> request;
  {
    std::lock_guard lock(requestMutex_);
    request = request_;
  }
  if (request) request->Cancel();
}

bool JsonHttpAnalyticsEventWork::CanRetry() {
  if (retryCount_ >= retryLimit_) return false;
  ++retryCount_;
  return true;
}

void JsonHttpAnalyticsEventWork::Reset() {
  TrackEventWork::Reset();
  retryCount_ = 0;
}

void JsonHttpAnalyticsEventWork::Describe(boost::property_tree::ptree& tree) const {
  tree.put("name", "JsonHttpAnalyticsEventWork");
  tree.put("url", url_);
}

}  // namespace kiv
