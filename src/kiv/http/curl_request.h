// A request over one libcurl easy handle, kept for the request's whole life so that libcurl
// keeps its connections between uses.
#pragma once

#include <cstdint>
#include <mutex>

#include "kiv/http/request.h"

namespace kiv::http {

class CurlRequest : public Request {
 public:
  // Throws std::runtime_error "libcurl could not be initialized" or "curl_easy_init failed".
  CurlRequest(const RequestParams& params, std::string proxy);
  ~CurlRequest() override;

  RequestResult Perform() override;
  RequestResult GetResult() override;
  void Cancel() override;
  bool Reset(const RequestParams& params, const std::string& proxy) override;

 private:
  // libcurl's callbacks.
  static size_t OnBody(char* data, size_t size, size_t count, void* self);
  static int OnProgress(void* self, int64_t, int64_t, int64_t, int64_t);

  void Configure();
  bool IsRunning();
  void Finish(int curlCode);

  // Opaque libcurl handles, kept as void* so that this header does not pull in curl.h.
  void* easy_ = nullptr;
  void* multi_ = nullptr;
  void* headers_ = nullptr;
  // Guards result_ and performing_; never held across the transfer or a writer call.
  std::mutex mutex_;
  RequestResult result_{State::Idle, 0};
  // Set while libcurl uses the parameters, even after Cancel has changed the state, so that
  // Reset cannot replace them under libcurl.
  bool performing_ = false;
  // Touched only by the performing thread.
  bool bodyStarted_ = false;
};

// The State of a finished transfer from libcurl's code and the HTTP response code.
State StateFromCurlCode(int curlCode, long httpResponseCode);

// A libcurl time (seconds) in milliseconds for the result: 0 when not positive, and never more
// than the request's own time budget (connect time-out plus whole-request time-out).
uint32_t ClippedTimeMs(double seconds, int32_t connectTimeout, int32_t timeout);

}  // namespace kiv::http
