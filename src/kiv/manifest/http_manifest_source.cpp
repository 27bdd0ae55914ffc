// Fetching manifest text over HTTP.
#include "kiv/manifest/http_manifest_source.h"

#include <new>
#include <sstream>
#include <stdexcept>

#include "kiv/http/request.h"
#include "kiv/http/request_factory.h"
#include "kiv/http/stringstream_writer.h"
#include "kiv/manifest/manifest_exceptions.h"

namespace kiv {
namespace {

// Collects the body like StringstreamWriter but refuses to grow past a limit, so that a
// hostile or broken server cannot make the engine buffer an unbounded answer.
class CappedStringstreamWriter : public http::WriteCallback {
 public:
  CappedStringstreamWriter(std::stringstream* stream, uint64_t maxBytes)
      : writer_(stream), maxBytes_(maxBytes) {}

  http::RequestResult Write(const void* data, uint64_t size) override {
    if (size > maxBytes_ - written_) {
      exceeded_ = true;
      http::RequestResult result(http::State::WriteFailed, 0);
      result.errorDetails = "manifest larger than " + std::to_string(maxBytes_) + " bytes";
      return result;
    }
    http::RequestResult result = writer_.Write(data, size);
    written_ += result.bytesWritten;
    return result;
  }

  bool Exceeded() const { return exceeded_; }

 private:
  http::StringstreamWriter writer_;
  const uint64_t maxBytes_;
  uint64_t written_ = 0;
  bool exceeded_ = false;
};

}  // namespace

HttpManifestSource::HttpManifestSource(std::string url, http::RequestFactory* requestFactory,
                                       std::shared_ptr<http::Session> session,
                                       int32_t connectTimeout, int32_t timeout, uint64_t maxBytes)
    : url_(std::move(url)),
      requestFactory_(requestFactory),
      session_(std::move(session)),
      connectTimeout_(connectTimeout),
      timeout_(timeout),
      maxBytes_(maxBytes) {}

HttpManifestSource::~HttpManifestSource() = default;

void HttpManifestSource::Fetch(const std::string& /*key*/, std::stringstream& output) {
  if (requestFactory_ == nullptr) {
    throw std::logic_error("HttpManifestSource::Fetch called but request factory is missing");
  }
  CappedStringstreamWriter writer(&output, maxBytes_);
  http::RequestParams params(url_, &writer);
  params.connectTimeout = connectTimeout_;
  params.timeout = timeout_;
  std::shared_ptr<http::Request> request = requestFactory_->CreateRequest(params, session_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    currentRequest_ = request;
  }
  const http::RequestResult result = request->Perform();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    currentRequest_.reset();
  }
  // Hand a pooled request back before raising, so the session can reuse it at once.
  request.reset();

  switch (result.state) {
    case http::State::Success:
      if (output.good()) return;
      throw ManifestStreamException(result.errorDetails);
    case http::State::Cancelled:
      throw ManifestAbortedException();
    case http::State::BadUrl:
    case http::State::HttpClientError:
      throw ManifestLocatorException(result.errorDetails);
    case http::State::OutOfMemory:
      throw std::bad_alloc();
    default:
      if (writer.Exceeded()) {
        throw ManifestStreamException("manifest larger than " + std::to_string(maxBytes_) +
                                      " bytes: " + url_);
      }
      throw ManifestStreamException(result.errorDetails);
  }
}

void HttpManifestSource::Abort() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (currentRequest_) currentRequest_->Cancel();
}

}  // namespace kiv
