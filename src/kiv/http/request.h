// The request abstraction every network transfer of the engine goes through: its parameters,
// its outcome and the body sink it streams into.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kiv/engine/constants.h"

namespace kiv::http {

// The outcome of a request or of one writer call.
enum class State : uint8_t {
  Idle = 0,
  Running = 1,
  Success = 2,
  Cancelled = 3,
  BadUrl = 4,
  ResolveFailed = 5,
  ConnectFailed = 6,
  HttpClientError = 7,
  HttpServerError = 8,
  ConnectionReset = 9,
  WriteFailed = 10,
  DataMismatch = 11,
  Timeout = 12,
  OutOfMemory = 13,
  OtherError = 14,
};

// The enumerator's name ("Success", "HttpClientError", ...), for logs and test output.
const char* ToString(State state);

struct RequestResult {
  RequestResult(State state, uint64_t bytesWritten) : state(state), bytesWritten(bytesWritten) {}

  State state;
  uint64_t bytesWritten;
  int32_t httpResponseCode = 0;
  std::string ip;
  std::string errorDetails;
  uint32_t firstByteTimeMs = 0;
  uint32_t requestTimeMs = 0;
};

// Receives a response body block by block.
class WriteCallback {
 public:
  virtual ~WriteCallback() = default;
  // Takes up to size bytes; the result's state and bytesWritten say how many it took. Never
  // throws.
  virtual RequestResult Write(const void* data, uint64_t size) = 0;
};

struct RequestParams {
  static constexpr int32_t kGet = 0;
  static constexpr int32_t kPost = 1;
  static constexpr int64_t kNoRangeUpper = -1;

  RequestParams(std::string url, WriteCallback* writer) : url(std::move(url)), writer(writer) {}

  std::string url;
  // Not owned; must outlive every Perform of a request built from these parameters.
  WriteCallback* writer;
  int32_t method = kGet;
  std::string body;
  std::string contentType = "application/x-www-form-urlencoded";
  // Only used when no byte range is set.
  std::string acceptEncoding;
  // Inclusive byte range; 0 and kNoRangeUpper mean the whole body (no Range header). Any
  // other pair is sent as a Range; a negative upper bound reads to the end of the body.
  int64_t rangeLower = 0;
  int64_t rangeUpper = kNoRangeUpper;
  int32_t connectTimeout = 5;  // seconds
  int32_t timeout = 0;         // seconds for the whole request; 0 = none
  int32_t lowSpeedLimit = 0;   // bytes per second; 0 = off
  int32_t lowSpeedTime = 0;    // seconds; 0 = off
  std::string userAgent = kiv::UserAgent;

  bool HasRange() const { return rangeLower != 0 || rangeUpper != kNoRangeUpper; }
};

// One HTTP GET or POST that can be performed, cancelled from any thread, and reused with new
// parameters.
class Request {
 public:
  Request() = default;
  Request(const RequestParams& params, std::string proxy)
      : params_(std::make_unique<RequestParams>(params)), proxy_(std::move(proxy)) {}
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;
  virtual ~Request() = default;

  // Runs the request to its end on the calling thread; only from Idle, otherwise returns the
  // current result without touching the network.
  virtual RequestResult Perform() = 0;
  // A copy of the current result; safe from any thread, also while Perform runs.
  virtual RequestResult GetResult() = 0;
  // Idle or Running become Cancelled; a running transfer stops soon after. Any thread.
  virtual void Cancel() = 0;
  // New parameters and proxy, back to Idle; refused (false) while the request is running.
  virtual bool Reset(const RequestParams& params, const std::string& proxy) = 0;

 protected:
  std::unique_ptr<RequestParams> params_;
  // The proxy to use ("host:port" or a URL); empty for a direct connection.
  std::string proxy_;
};

}  // namespace kiv::http
