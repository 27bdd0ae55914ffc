#include "kiv/http/curl_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "kiv/http/curl_global.h"

namespace kiv::http {
namespace {

CURL* Easy(void* handle) { return static_cast<CURL*>(handle); }
CURLM* Multi(void* handle) { return static_cast<CURLM*>(handle); }

// How long one wait for network activity may last before the loop looks at the state again.
// Cancel wakes the wait at once; this only bounds the case of a wake-up that was lost.
constexpr int kPollMs = 200;

}  // namespace

State StateFromCurlCode(int curlCode, long httpResponseCode) {
  switch (curlCode) {
    case CURLE_OK:
      return State::Success;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
    case CURLE_NOT_BUILT_IN:
      return State::BadUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
      return State::ResolveFailed;
    case CURLE_COULDNT_CONNECT:
      return State::ConnectFailed;
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_HTTP_RETURNED_ERROR:
    case CURLE_REMOTE_FILE_NOT_FOUND:
      return httpResponseCode < 500 ? State::HttpClientError : State::HttpServerError;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
      return State::ConnectionReset;
    case CURLE_WRITE_ERROR:
      return State::WriteFailed;
    case CURLE_PARTIAL_FILE:
    case CURLE_RANGE_ERROR:
      return State::DataMismatch;
    case CURLE_OPERATION_TIMEDOUT:
      return State::Timeout;
    case CURLE_OUT_OF_MEMORY:
      return State::OutOfMemory;
    default:
      return State::OtherError;
  }
}

uint32_t ClippedTimeMs(double seconds, int32_t connectTimeout, int32_t timeout) {
  constexpr uint32_t kMax = 4294967295u;
  constexpr int64_t kMaxSeconds = 4294967;
  uint32_t measured = 0;
  if (seconds > 0) {  // also false for NaN
    measured =
        seconds > static_cast<double>(kMaxSeconds) ? kMax : static_cast<uint32_t>(seconds * 1000);
  }
  const int64_t larger = std::max(connectTimeout, timeout);
  const int64_t smaller = std::min(connectTimeout, timeout);
  int64_t budget;
  if (larger < 0) {
    budget = 604800;  // a week: "no limit" still gets a sane bound
  } else {
    budget = smaller > 0 ? larger + smaller : larger;
  }
  const uint32_t budgetMs = budget > kMaxSeconds ? kMax : static_cast<uint32_t>(budget * 1000);
  return std::min(measured, budgetMs);
}

const char* ToString(State state) {
  switch (state) {
    case State::Idle:
      return "Idle";
    case State::Running:
      return "Running";
    case State::Success:
      return "Success";
    case State::Cancelled:
      return "Cancelled";
    case State::BadUrl:
      return "BadUrl";
    case State::ResolveFailed:
      return "ResolveFailed";
    case State::ConnectFailed:
      return "ConnectFailed";
    case State::HttpClientError:
      return "HttpClientError";
    case State::HttpServerError:
      return "HttpServerError";
    case State::ConnectionReset:
      return "ConnectionReset";
    case State::WriteFailed:
      return "WriteFailed";
    case State::DataMismatch:
      return "DataMismatch";
    case State::Timeout:
      return "Timeout";
    case State::OutOfMemory:
      return "OutOfMemory";
    case State::OtherError:
      return "OtherError";
  }
  return "Unknown";
}

CurlRequest::CurlRequest(const RequestParams& params, std::string proxy)
    : Request(params, std::move(proxy)) {
  if (!CurlGlobalInitialized()) throw std::runtime_error("libcurl could not be initialized");
  easy_ = curl_easy_init();
  if (easy_ == nullptr) throw std::runtime_error("curl_easy_init failed");
  // A private multi handle per request: it owns the connection cache that survives between
  // uses (as the easy handle's own would), and its wake-up lets Cancel stop a transfer that
  // is waiting for the network at once rather than at libcurl's next progress call.
  multi_ = curl_multi_init();
  if (multi_ == nullptr) {
    curl_easy_cleanup(Easy(easy_));
    throw std::runtime_error("curl_easy_init failed");
  }
  Configure();
}

CurlRequest::~CurlRequest() {
  curl_multi_cleanup(Multi(multi_));
  curl_easy_cleanup(Easy(easy_));
  curl_slist_free_all(static_cast<curl_slist*>(headers_));
}

void CurlRequest::Configure() {
  CURL* easy = Easy(easy_);
  const RequestParams& p = *params_;
  curl_easy_reset(easy);
  curl_slist_free_all(static_cast<curl_slist*>(headers_));
  headers_ = nullptr;
  curl_slist* headers = nullptr;

  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_URL, p.url.c_str());
  curl_easy_setopt(easy, CURLOPT_USERAGENT, p.userAgent.c_str());
  // Only plain web requests, also after a redirect: no file://, no other schemes a URL from a
  // manifest could name.
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  if (p.method == RequestParams::kPost) {
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    // The size as well, so that a body with a zero byte is sent whole.
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(p.body.size()));
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, p.body.c_str());
    headers = curl_slist_append(headers, ("Content-Type: " + p.contentType).c_str());
  }
  if (p.HasRange()) {
    // A negative upper bound is open-ended ("5-": from byte 5 to the end). Sent as "5--1" it
    // would be a malformed header that servers ignore, answering with the whole body.
    std::string range = std::to_string(p.rangeLower) + "-";
    if (p.rangeUpper >= 0) range += std::to_string(p.rangeUpper);
    curl_easy_setopt(easy, CURLOPT_RANGE, range.c_str());  // libcurl copies option strings
  } else if (!p.acceptEncoding.empty()) {
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, p.acceptEncoding.c_str());
  }
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlRequest::OnBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &CurlRequest::OnProgress);
  curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 1L);
  curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
  // libcurl refuses negative time-outs and would keep its defaults; treat them as "none".
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(std::max(p.connectTimeout, 0)));
  curl_easy_setopt(easy, CURLOPT_TIMEOUT, static_cast<long>(std::max(p.timeout, 0)));
  if (p.lowSpeedLimit > 0 && p.lowSpeedTime > 0) {
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(p.lowSpeedLimit));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(p.lowSpeedTime));
  }
  // Always set: the empty string means "direct" and keeps libcurl from reading proxy
  // environment variables on its own, so the engine's proxy decision is the only one.
  curl_easy_setopt(easy, CURLOPT_PROXY, proxy_.c_str());
  // Likewise libcurl would read no_proxy from the environment when this is not set, and send
  // a request direct that the engine chose to send through the proxy.
  curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
  if (headers != nullptr) curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
  headers_ = headers;
}

RequestResult CurlRequest::Perform() {
  {
    std::lock_guard lock(mutex_);
    if (result_.state != State::Idle) return result_;
    performing_ = true;
    result_.state = State::Running;
  }
  bodyStarted_ = false;

  CURL* easy = Easy(easy_);
  CURLM* multi = Multi(multi_);
  int code = CURLE_FAILED_INIT;
  if (curl_multi_add_handle(multi, easy) == CURLM_OK) {
    bool cancelled = false;
    int running = 1;
    while (true) {
      if (curl_multi_perform(multi, &running) != CURLM_OK) break;
      if (running == 0) break;
      if (!IsRunning()) {
        cancelled = true;
        break;
      }
      if (curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr) != CURLM_OK) break;
    }
    int messages = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &messages)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
        code = message->data.result;
      }
    }
    if (cancelled) code = CURLE_ABORTED_BY_CALLBACK;
    // Removing an unfinished transfer aborts it and closes its connection.
    curl_multi_remove_handle(multi, easy);
  }
  Finish(code);
  return GetResult();
}

void CurlRequest::Finish(int curlCode) {
  CURL* easy = Easy(easy_);
  std::lock_guard lock(mutex_);
  long responseCode = 0;
  if (curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &responseCode) == CURLE_OK) {
    result_.httpResponseCode = static_cast<int32_t>(responseCode);
  }
  char* ip = nullptr;
  if (curl_easy_getinfo(easy, CURLINFO_PRIMARY_IP, &ip) == CURLE_OK && ip != nullptr) {
    result_.ip = ip;
  }
  double seconds = 0;
  if (curl_easy_getinfo(easy, CURLINFO_STARTTRANSFER_TIME, &seconds) != CURLE_OK) seconds = 0;
  result_.firstByteTimeMs = ClippedTimeMs(seconds, params_->connectTimeout, params_->timeout);
  seconds = 0;
  if (curl_easy_getinfo(easy, CURLINFO_TOTAL_TIME, &seconds) != CURLE_OK) seconds = 0;
  result_.requestTimeMs = ClippedTimeMs(seconds, params_->connectTimeout, params_->timeout);
  performing_ = false;
  // A state that a writer or Cancel set earlier stays, with its details.
  if (result_.state == State::Running) {
    result_.state = StateFromCurlCode(curlCode, result_.httpResponseCode);
    if (curlCode != CURLE_OK) {
      result_.errorDetails = "libcurl error " + std::to_string(curlCode) + " (HTTP " +
                             std::to_string(result_.httpResponseCode) + ")";
    }
  }
}

RequestResult CurlRequest::GetResult() {
  std::lock_guard lock(mutex_);
  return result_;
}

void CurlRequest::Cancel() {
  std::lock_guard lock(mutex_);
  if (result_.state == State::Idle || result_.state == State::Running) {
    result_.state = State::Cancelled;
    // Wakes a transfer waiting for the network; harmless when none is. Under the lock so that
    // the handle cannot be in the middle of destruction (callers hold the request anyway).
    if (performing_) curl_multi_wakeup(Multi(multi_));
  }
}

bool CurlRequest::Reset(const RequestParams& params, const std::string& proxy) {
  std::lock_guard lock(mutex_);
  if (result_.state == State::Running || performing_) return false;
  params_ = std::make_unique<RequestParams>(params);
  proxy_ = proxy;
  result_ = RequestResult(State::Idle, 0);
  Configure();
  return true;
}

bool CurlRequest::IsRunning() {
  std::lock_guard lock(mutex_);
  return result_.state == State::Running;
}

size_t CurlRequest::OnBody(char* data, size_t size, size_t count, void* self) {
  auto* request = static_cast<CurlRequest*>(self);
  const uint64_t offered = static_cast<uint64_t>(size) * count;
  // Returning 0 ends the transfer with libcurl's write error; the state set by Cancel stays.
  if (!request->IsRunning()) return 0;
  if (!request->bodyStarted_) {
    request->bodyStarted_ = true;
    // A server that ignores a range starting past byte 0 answers 200 with the body from its
    // first byte: those bytes belong elsewhere and must not reach the writer as the range.
    long code = 0;
    curl_easy_getinfo(Easy(request->easy_), CURLINFO_RESPONSE_CODE, &code);
    if (request->params_->HasRange() && request->params_->rangeLower > 0 && code == 200) {
      std::lock_guard lock(request->mutex_);
      if (request->result_.state == State::Running) {
        request->result_.state = State::DataMismatch;
        request->result_.errorDetails = "range not honoured (HTTP 200)";
      }
      return 0;
    }
  }
  WriteCallback* writer = request->params_->writer;
  RequestResult written =
      writer != nullptr ? writer->Write(data, offered) : RequestResult(State::WriteFailed, 0);
  // A writer that claims more than it was offered is broken; never pass that on to libcurl.
  if (written.bytesWritten > offered) {
    written.bytesWritten = 0;
    written.state = State::WriteFailed;
  }
  {
    std::lock_guard lock(request->mutex_);
    request->result_.bytesWritten += written.bytesWritten;
    if (request->result_.state == State::Running && written.state != State::Success) {
      request->result_.state =
          written.state == State::DataMismatch || written.state == State::OutOfMemory
              ? written.state
              : State::WriteFailed;
      request->result_.errorDetails = written.errorDetails;
    }
  }
  // A writer reporting failure ends the transfer even if it claims to have taken everything.
  if (written.state != State::Success && written.bytesWritten == offered) return 0;
  return static_cast<size_t>(written.bytesWritten);
}

int CurlRequest::OnProgress(void* self, int64_t, int64_t, int64_t, int64_t) {
  return static_cast<CurlRequest*>(self)->IsRunning() ? 0 : 42;
}

}  // namespace kiv::http
